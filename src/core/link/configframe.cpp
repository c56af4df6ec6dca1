#include "link/configframe.h"

#include <cstdio>
#include <numeric>

namespace veltara::core {

namespace {

std::uint8_t lowByte(unsigned value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}

void put(ConfigFrame& frame, std::size_t offset, const std::array<std::uint8_t, 4>& field) {
    for (std::size_t i = 0; i < field.size(); ++i) {
        frame[offset + i] = field[i];
    }
}

void putId(ConfigFrame& frame, std::size_t offset, const IdBytes& id, bool standard) {
    put(frame, offset, standard ? encodeStandardId(id) : encodeExtendedId(id));
}

std::string hex2(unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02X", value & 0xFFu);
    return buffer;
}

}  // namespace

std::array<std::uint8_t, 4> encodeStandardId(const IdBytes& id) {
    const unsigned e0 = id[0];
    const unsigned e1 = id[1] & 0x07u;
    return {lowByte((e0 >> 3) | (e1 << 5)), lowByte((e0 & 0x07u) << 5), 0, 0};
}

std::array<std::uint8_t, 4> encodeExtendedId(const IdBytes& id) {
    const unsigned e2 = id[2];
    const unsigned e3 = id[3];
    return {lowByte((e3 << 3) | (e2 >> 5)),
            lowByte(((e2 & 0x1Cu) << 3) | frame::kExtendedMarker | (e2 & 0x03u)), id[1], id[0]};
}

DecodedId decodeIdField(std::span<const std::uint8_t, 4> g) {
    DecodedId id;
    id.extended = (g[1] & frame::kExtendedMarker) != 0;
    if (id.extended) {
        id.value = (static_cast<std::uint32_t>(g[0]) << 21) | (static_cast<std::uint32_t>(g[1] >> 5) << 18) |
                   (static_cast<std::uint32_t>(g[1] & 0x03) << 16) | (static_cast<std::uint32_t>(g[2]) << 8) |
                   g[3];
    } else {
        id.value = (static_cast<std::uint32_t>(g[0]) << 3) | (g[1] >> 5);
    }
    const std::uint32_t whole = (static_cast<std::uint32_t>(g[0]) << 24) |
                                (static_cast<std::uint32_t>(g[1]) << 16) |
                                (static_cast<std::uint32_t>(g[2]) << 8) | g[3];
    id.reservedBits = whole & (id.extended ? frame::kExtendedIdReserved : frame::kStandardIdReserved);
    return id;
}

std::uint8_t frameChecksum(std::span<const std::uint8_t> frame) {
    const unsigned sum = std::accumulate(frame.begin(), frame.begin() + frame::kChecksum, 0u);
    return lowByte(sum);
}

std::optional<std::string> frameInputProblem(const FrameInputs& in) {
    if (in.rs232BaudRate < 0 || in.rs232BaudRate > 7) {
        return "Please select the RS232 Baud Rate (1200 to 230400)!";
    }
    if (in.canBaudRate < 0 || in.canBaudRate > 7) {
        return "Please select the CAN Baud Rate (20K to 1000K)!";
    }
    for (const frame::IdentifierField& field : frame::kIdentifierFields) {
        const int type = in.*field.frameType;
        const bool extended = field.receiveList ? type == 1 : type != 0;
        if (extended && (in.*field.input)[3] > 0x1F) {
            return std::string("Please enter the hexcial digit (0 to 1F) in the leftmost box of ") +
                   field.name + "!";
        }
    }
    if (in.periodmsCountValue < 1 || in.periodmsCountValue > 65535) {
        return "Please enter decimal number (1 to 65535) in Period ms Count!";
    }
    return std::nullopt;
}

void encodeConfigFrame(const FrameInputs& in, ConfigFrame& frame) {
    using namespace frame;
    frame[kRs232Baud] = lowByte(static_cast<unsigned>(in.rs232BaudRate));
    frame[1] = 0;
    frame[kCanBaud] = lowByte(static_cast<unsigned>(in.canBaudRate));
    frame[3] = 0;
    for (const IdentifierField& field : kIdentifierFields) {
        const int type = in.*field.frameType;
        // "All" (and anything but Standard or Extended) leaves the receive bytes as the last frame had them.
        if (!field.receiveList || type == 0 || type == 1) {
            putId(frame, field.offset, in.*field.input, type == 0);
        }
    }

    std::uint8_t flags = lowByte(static_cast<unsigned>(in.canRecFrmType + 1)) & kFlagRecFrameTypeMask;
    if (in.outputProtection == 1) {
        flags |= kFlagOutputProtection;
    }
    if (in.canTrMultiByte) {
        flags |= kFlagTrMultiByte;
    }
    if (in.rs232RecId != 1) {
        flags |= kFlagRs232RecNoId;
    }
    if (!in.inputChangeTr) {
        flags |= kFlagInputPeriodic;
    }
    if (in.rs232TrId != 1) {
        flags |= kFlagRs232TrNoId;
    }
    frame[kFlags] = flags;

    const auto period = static_cast<unsigned>(in.periodmsCountValue);
    frame[kPeriodHigh] = lowByte(period / 256);
    frame[kPeriodLow] = lowByte(period % 256);
    frame[kChecksum] = frameChecksum(frame);
}

DecodedFrame decodeConfigFrameFields(std::span<const std::uint8_t, kConfigFrameSize> b) {
    using namespace frame;
    DecodedFrame d;
    d.rs232BaudCode = b[kRs232Baud];
    d.reserved1 = b[1];
    d.canBaudCode = b[kCanBaud];
    d.reserved3 = b[3];
    d.inputId = decodeIdField(b.subspan<kInputId, 4>());
    d.outputId = decodeIdField(b.subspan<kOutputId, 4>());
    d.flags = b[kFlags];
    d.canRecFrameType = d.flags & kFlagRecFrameTypeMask;
    d.outputProtection = (d.flags & kFlagOutputProtection) != 0;
    d.canTrMultiByte = (d.flags & kFlagTrMultiByte) != 0;
    d.rs232RecContainsId = (d.flags & kFlagRs232RecNoId) == 0;
    d.inputPeriodic = (d.flags & kFlagInputPeriodic) != 0;
    d.rs232TrContainsId = (d.flags & kFlagRs232TrNoId) == 0;
    d.canTrId = decodeIdField(b.subspan<kCanTrId, 4>());
    d.canMask = decodeIdField(b.subspan<kCanMask, 4>());
    d.canFilter1 = decodeIdField(b.subspan<kCanFilter1, 4>());
    d.canFilter2 = decodeIdField(b.subspan<kCanFilter2, 4>());
    d.periodmsCount = static_cast<std::uint16_t>(b[kPeriodLow] | (b[kPeriodHigh] << 8));
    d.protectValue = b[kProtectValue];
    d.checksum = b[kChecksum];
    return d;
}

Result<DecodedFrame> decodeConfigFrame(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kConfigFrameSize) {
        return makeError(ErrorCode::InvalidArgument,
                         "a configuration frame has 33 bytes, not " + std::to_string(bytes.size()));
    }
    const std::span<const std::uint8_t, kConfigFrameSize> fixed(bytes.data(), kConfigFrameSize);
    const std::uint8_t expected = frameChecksum(fixed);
    if (expected != bytes[frame::kChecksum]) {
        return makeError(ErrorCode::Checksum, "checksum mismatch: expected " + hex2(expected) + ", found " +
                                                  hex2(bytes[frame::kChecksum]));
    }
    return decodeConfigFrameFields(fixed);
}

}  // namespace veltara::core
