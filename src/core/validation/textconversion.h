#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltara::core {

// Removes leading and trailing U+0020 only; other white space is part of the text.
std::string_view trimSpaces(std::string_view text);

// 0..15 for a hexadecimal digit of either case, -1 for anything else.
int hexDigitValue(char c);

// One or more hexadecimal digits of either case, value 0..FF; leading zeros allowed.
std::optional<std::uint8_t> parseHexByte(std::string_view text);

// Optional sign, decimal digits and an optional fraction after the locale's decimal separator (the
// point in the C and English locales), rounded half to even into a signed 32-bit value.
std::optional<std::int32_t> parseDecimalInt32(std::string_view text, std::string_view decimalSeparator = ".");

std::string toUpperAscii(std::string_view text);

}  // namespace veltara::core
