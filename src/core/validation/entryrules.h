#pragma once

#include <cstdint>
#include <optional>

namespace veltara::core {

inline constexpr const char* kHexByteMessage = "Please enter the hexcial digit (0 to FF)!";
inline constexpr const char* kStandardBox1Message = "Please enter the hexcial digit (0 to 7)!";
inline constexpr const char* kExtendedBox3Message = "Please enter the hexcial digit (0 to 1F)!";
inline constexpr const char* kPeriodMessage = "Please enter decimal number (1 to 65535)!";
inline constexpr const char* kInputDataErrorTitle = "Input Data Error";

// The range an identifier byte must keep under its row's frame type (0 standard, 1 extended): box 1 of
// a standard identifier holds its top three bits, box 3 of an extended one its top five. The message
// for a byte outside it, nullopt when it fits.
std::optional<const char*> identifierRangeProblem(std::uint8_t value, int frameType, int index);

// The period count fits the frame's two bytes and is never zero.
bool periodCountInRange(std::int32_t value);

}  // namespace veltara::core
