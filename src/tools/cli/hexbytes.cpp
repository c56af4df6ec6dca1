#include "hexbytes.h"

#include <cstdio>

#include "validation/textconversion.h"

namespace veltara::cli {

std::optional<std::vector<std::uint8_t>> parseHexBytes(const std::string& text, std::string& error) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (high >= 0) {
                error = "a single hexadecimal digit before position " + std::to_string(i + 1) +
                        "; write bytes as pairs";
                return std::nullopt;
            }
            continue;
        }
        const int value = core::hexDigitValue(c);
        if (value < 0) {
            error = "'" + std::string(1, c) + "' at position " + std::to_string(i + 1) +
                    " is not a hexadecimal digit";
            return std::nullopt;
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + value));
            high = -1;
        }
    }
    if (high >= 0) {
        error = "the last hexadecimal digit has no partner; write bytes as pairs";
        return std::nullopt;
    }
    return bytes;
}

std::string formatHexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    char pair[4];
    for (std::uint8_t b : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

}  // namespace veltara::cli
