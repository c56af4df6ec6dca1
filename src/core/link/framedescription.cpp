#include "link/framedescription.h"

#include <cstdio>

#include "link/ratecodes.h"

namespace veltara::core {

namespace {

std::string hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
    return buffer;
}

template <std::size_t N>
std::string rate(const std::array<std::string_view, N>& texts, unsigned code) {
    if (code < texts.size()) {
        return std::string(texts[code]);
    }
    return "unknown code " + std::to_string(code);
}

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

}  // namespace

std::string describeId(const DecodedId& id) {
    std::string text = id.extended ? "extended " + hex(id.value, 8) : "standard " + hex(id.value, 3);
    if (!id.wellFormed) {
        text += " (reserved bits set)";
    }
    return text;
}

std::vector<FrameField> describeFrame(const DecodedFrame& f) {
    static const char* const kReceiveTypes[] = {"none", "Standard", "Extended", "All"};
    return {
        {"rs232_baud_rate", "RS232 baud rate", rate(kRs232RateTexts, f.rs232BaudCode)},
        {"can_baud_rate", "CAN bit rate", rate(kCanRateTexts, f.canBaudCode)},
        {"input_id", "Input frame ID", describeId(f.inputId)},
        {"output_id", "Output frame ID", describeId(f.outputId)},
        {"can_receive_frame_type", "CAN receive frame type",
         kReceiveTypes[static_cast<std::size_t>(f.canRecFrameType & 3)]},
        {"output_protection", "Output protection during CAN bus fault", yesNo(f.outputProtection)},
        {"can_transmit_mode", "CAN transmit mode",
         f.canTrMultiByte ? "Single or Multi-bytes Transmit" : "Immediatly 1 byteTransmit"},
        {"rs232_receive_contains_id", "RS232 receiving contains message ID and DLC",
         yesNo(f.rs232RecContainsId)},
        {"rs232_transmit_contains_id", "RS232 transmitting contains message ID and DLC",
         yesNo(f.rs232TrContainsId)},
        {"input_transmitting", "Input transmitting", f.inputPeriodic ? "periodic" : "on change"},
        {"can_transmit_id", "CAN transmit ID", describeId(f.canTrId)},
        {"can_mask", "CAN receive mask", describeId(f.canMask)},
        {"can_filter1", "CAN receive filter 1", describeId(f.canFilter1)},
        {"can_filter2", "CAN receive filter 2", describeId(f.canFilter2)},
        {"period_ms_count", "Period ms count", std::to_string(f.periodmsCount)},
        {"output_protect_value", "Output protection value", hex(f.protectValue, 2)},
        {"checksum", "Checksum", hex(f.checksum, 2)},
    };
}

std::string describeFrameLine(const DecodedFrame& frame) {
    std::string line;
    for (const FrameField& field : describeFrame(frame)) {
        if (!line.empty()) {
            line += "; ";
        }
        line += field.label + ": " + field.value;
    }
    return line;
}

}  // namespace veltara::core
