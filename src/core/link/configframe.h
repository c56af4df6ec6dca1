#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/result.h"

namespace veltara::core {

// Four identifier bytes, element 0 the least significant.
using IdBytes = std::array<std::uint8_t, 4>;

inline constexpr std::size_t kConfigFrameSize = 33;
using ConfigFrame = std::array<std::uint8_t, kConfigFrameSize>;

namespace frame {
inline constexpr std::size_t kRs232Baud = 0;
inline constexpr std::size_t kCanBaud = 2;
inline constexpr std::size_t kInputId = 4;
inline constexpr std::size_t kOutputId = 8;
inline constexpr std::size_t kFlags = 12;
inline constexpr std::size_t kCanTrId = 13;
inline constexpr std::size_t kCanMask = 17;
inline constexpr std::size_t kCanFilter1 = 21;
inline constexpr std::size_t kPeriodLow = 25;
inline constexpr std::size_t kPeriodHigh = 26;
inline constexpr std::size_t kProtectValue = 27;
inline constexpr std::size_t kCanFilter2 = 28;
inline constexpr std::size_t kChecksum = 32;

inline constexpr std::uint8_t kFlagRecFrameTypeMask = 0x03;
inline constexpr std::uint8_t kFlagOutputProtection = 0x04;
inline constexpr std::uint8_t kFlagTrMultiByte = 0x10;
inline constexpr std::uint8_t kFlagRs232RecNoId = 0x20;
inline constexpr std::uint8_t kFlagInputPeriodic = 0x40;
inline constexpr std::uint8_t kFlagRs232TrNoId = 0x80;
inline constexpr std::uint8_t kExtendedMarker = 0x08;

// The bits of an identifier field's four bytes (G0 as the high byte) that each layout keeps zero.
inline constexpr std::uint32_t kStandardIdReserved = 0x001FFFFF;
inline constexpr std::uint32_t kExtendedIdReserved = 0x00140000;
}  // namespace frame

// Everything the encoder reads from the dialog.
struct FrameInputs {
    int rs232BaudRate = -1;  // CmbRS232BaudRate.ListIndex
    int canBaudRate = -1;    // CmbCANBaudRate.ListIndex
    int inputFrmType = -1;
    int outputFrmType = -1;
    int canTrFrmType = -1;
    int canRecFrmType = -1;
    int outputProtection = 0;  // check values 0, 1, 2
    int rs232RecId = 0;
    int rs232TrId = 0;
    bool canTrMultiByte = false;
    bool inputChangeTr = true;
    IdBytes inputId1{};
    IdBytes outputId1{};
    IdBytes canTrId1{};
    IdBytes canMask1{};
    IdBytes canFilter1{};
    IdBytes canFilter2{};
    std::int32_t periodmsCountValue = 0;
};

// Where the frame carries each identifier, in frame order, and what it is called in a message. The
// encoder, the decoder and the encodability check walk this table; the dialog's identifier rows name
// their FrameInputs member.
namespace frame {
struct IdentifierField {
    IdBytes FrameInputs::*input;
    int FrameInputs::*frameType;
    bool receiveList;  // the receive list: 0 standard, 1 extended, anything else keeps the bytes
    std::size_t offset;
    const char* name;
};

inline constexpr IdentifierField kIdentifierFields[] = {
    {&FrameInputs::inputId1, &FrameInputs::inputFrmType, false, kInputId, "Input Frame ID"},
    {&FrameInputs::outputId1, &FrameInputs::outputFrmType, false, kOutputId, "Output Frame ID"},
    {&FrameInputs::canTrId1, &FrameInputs::canTrFrmType, false, kCanTrId,
     "CAN transmitting Frame Message ID"},
    {&FrameInputs::canMask1, &FrameInputs::canRecFrmType, true, kCanMask, "CAN receiving Mask"},
    {&FrameInputs::canFilter1, &FrameInputs::canRecFrmType, true, kCanFilter1, "CAN receiving Filter1"},
    {&FrameInputs::canFilter2, &FrameInputs::canRecFrmType, true, kCanFilter2, "CAN receiving Filter2"},
};
}  // namespace frame

// The packed register layout of one identifier.
std::array<std::uint8_t, 4> encodeStandardId(const IdBytes& id);
std::array<std::uint8_t, 4> encodeExtendedId(const IdBytes& id);

std::uint8_t frameChecksum(std::span<const std::uint8_t> frame);

// Names the first input that would not fit its frame byte (a missing baud rate, an extended top byte
// above 1F, a period count outside 1..65535), as a message for the user; nullopt when encodable.
std::optional<std::string> frameInputProblem(const FrameInputs& inputs);

// Rewrites the frame in place; byte 27 and, for receive type "All", the receive bytes keep their
// previous values. Requires frameInputProblem(inputs) to be nullopt.
void encodeConfigFrame(const FrameInputs& inputs, ConfigFrame& frame);

// A frame read back into its fields, for the simulator and the command-line inspector.
struct DecodedId {
    bool extended = false;
    std::uint32_t value = 0;
    std::uint32_t reservedBits = 0;  // those of frame::k*IdReserved that are set
    bool wellFormed() const { return reservedBits == 0; }
};

// One identifier field read back; the extended marker decides the layout.
DecodedId decodeIdField(std::span<const std::uint8_t, 4> field);

struct DecodedFrame {
    std::uint8_t rs232BaudCode = 0;
    std::uint8_t canBaudCode = 0;
    std::uint8_t reserved1 = 0;
    std::uint8_t reserved3 = 0;
    DecodedId inputId;
    DecodedId outputId;
    std::uint8_t flags = 0;
    int canRecFrameType = 0;  // 0 none, 1 standard, 2 extended, 3 all
    bool outputProtection = false;
    bool canTrMultiByte = false;
    bool rs232RecContainsId = false;
    bool inputPeriodic = false;
    bool rs232TrContainsId = false;
    DecodedId canTrId;
    DecodedId canMask;
    DecodedId canFilter1;
    DecodedId canFilter2;
    std::uint16_t periodmsCount = 0;
    std::uint8_t protectValue = 0;
    std::uint8_t checksum = 0;
};

// Fails with ErrorCode::InvalidArgument on a wrong length and ErrorCode::Checksum when the checksum
// does not match; the error text names expected and found.
Result<DecodedFrame> decodeConfigFrame(std::span<const std::uint8_t> bytes);
// The same fields without the checksum test, for showing a damaged frame.
DecodedFrame decodeConfigFrameFields(std::span<const std::uint8_t, kConfigFrameSize> bytes);

}  // namespace veltara::core
