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

// "250K" is 250000 bit/s.
std::int64_t bitsPerSecond(std::string_view text) {
    std::int64_t value = 0;
    for (char c : text) {
        value = c == 'K' ? value * 1000 : value * 10 + (c - '0');
    }
    return value;
}

template <std::size_t N>
FrameField rate(const char* key, const char* label, const std::array<std::string_view, N>& texts,
                unsigned code) {
    if (code < texts.size()) {
        return {key, label, std::string(texts[code]), bitsPerSecond(texts[code])};
    }
    return {key, label, "unknown code " + std::to_string(code), std::monostate{}};
}

FrameField yesNo(const char* key, const char* label, bool value) {
    return {key, label, value ? "yes" : "no", value};
}

FrameField choice(const char* key, const char* label, bool second, const char* firstText,
                  const char* firstName, const char* secondText, const char* secondName) {
    return {key, label, second ? secondText : firstText, std::string(second ? secondName : firstName)};
}

FrameField identifier(const char* key, const char* label, const DecodedId& id) {
    return {key, label, describeId(id), IdentifierValue{id.value, id.extended}};
}

FrameField number(const char* key, const char* label, std::string text, std::int64_t value) {
    return {key, label, std::move(text), value};
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
    static const char* const kReceiveTypeNames[] = {"none", "standard", "extended", "all"};
    const auto receiveType = static_cast<std::size_t>(f.canRecFrameType & 3);
    return {
        rate("rs232_baud_rate", "RS232 baud rate", kRs232RateTexts, f.rs232BaudCode),
        rate("can_baud_rate", "CAN bit rate", kCanRateTexts, f.canBaudCode),
        identifier("input_id", "Input frame ID", f.inputId),
        identifier("output_id", "Output frame ID", f.outputId),
        {"can_receive_frame_type", "CAN receive frame type", kReceiveTypes[receiveType],
         std::string(kReceiveTypeNames[receiveType])},
        yesNo("output_protection", "Output protection during CAN bus fault", f.outputProtection),
        choice("can_transmit_mode", "CAN transmit mode", f.canTrMultiByte, "Immediatly 1 byteTransmit",
               "one_byte", "Single or Multi-bytes Transmit", "multi_byte"),
        yesNo("rs232_receive_contains_id", "RS232 receiving contains message ID and DLC",
              f.rs232RecContainsId),
        yesNo("rs232_transmit_contains_id", "RS232 transmitting contains message ID and DLC",
              f.rs232TrContainsId),
        choice("input_transmitting", "Input transmitting", f.inputPeriodic, "on change", "on_change",
               "periodic", "periodic"),
        identifier("can_transmit_id", "CAN transmit ID", f.canTrId),
        identifier("can_mask", "CAN receive mask", f.canMask),
        identifier("can_filter1", "CAN receive filter 1", f.canFilter1),
        identifier("can_filter2", "CAN receive filter 2", f.canFilter2),
        number("period_ms_count", "Period ms count", std::to_string(f.periodmsCount), f.periodmsCount),
        number("output_protect_value", "Output protection value", hex(f.protectValue, 2), f.protectValue),
        number("checksum", "Checksum", hex(f.checksum, 2), f.checksum),
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
