#include "validation/textconversion.h"

#include <cmath>
#include <limits>

namespace veltara::core {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string_view trimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::optional<std::uint8_t> parseHexByte(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 0xFF) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<std::int32_t> parseDecimalInt32(std::string_view text, std::string_view decimalSeparator) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // The integer part is accumulated with a cap so that a very long number fails instead of wrapping.
    constexpr std::uint64_t kCap = std::uint64_t{1} << 40;
    std::uint64_t integer = 0;
    std::size_t digits = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        integer = std::min(kCap, integer * 10 + static_cast<std::uint64_t>(text[pos] - '0'));
        ++pos;
        ++digits;
    }
    // The fraction only decides the rounding: below, at or above one half, read exactly from its digits.
    int fractionVersusHalf = -1;  // -1 below, 0 exactly half, 1 above
    bool sawFraction = false;
    auto separatorAt = [&](std::string_view separator) {
        return !separator.empty() && text.substr(pos, separator.size()) == separator;
    };
    // Only the locale's own separator: in a locale that writes "1.000" for a thousand, taking the point
    // as a decimal point would turn it into 1 without a word.
    const std::size_t separatorLength = separatorAt(decimalSeparator) ? decimalSeparator.size() : 0;
    if (separatorLength > 0) {
        pos += separatorLength;
        sawFraction = true;
        const std::size_t fractionStart = pos;
        while (pos < text.size() && isDigit(text[pos])) {
            ++pos;
        }
        const std::string_view fraction = text.substr(fractionStart, pos - fractionStart);
        digits += fraction.size();
        if (!fraction.empty()) {
            if (fraction[0] > '5') {
                fractionVersusHalf = 1;
            } else if (fraction[0] == '5') {
                fractionVersusHalf = fraction.find_first_not_of('0', 1) == std::string_view::npos ? 0 : 1;
            }
        }
    }
    if (digits == 0 || pos != text.size()) {
        return std::nullopt;
    }
    if (sawFraction && (fractionVersusHalf > 0 || (fractionVersusHalf == 0 && integer % 2 == 1))) {
        integer = std::min(kCap, integer + 1);
    }
    const std::int64_t signedValue =
        negative ? -static_cast<std::int64_t>(integer) : static_cast<std::int64_t>(integer);
    if (signedValue < std::numeric_limits<std::int32_t>::min() ||
        signedValue > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(signedValue);
}

std::string toUpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

}  // namespace veltara::core
