#include "hexbytes.h"

#include <cstdio>

#include "validation/textconversion.h"

namespace veltara::cli {

std::optional<std::vector<std::uint8_t>> parseHexBytes(const std::string& text, std::string& error) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    bool tokenStart = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // "0x03" as C and most dumps write a byte, or "0x0300..." for a run of them.
        if (tokenStart && c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            if (i + 2 >= text.size() || core::hexDigitValue(text[i + 2]) < 0) {
                error = "'0x' at position " + std::to_string(i + 1) + " is followed by no hexadecimal digit";
                return std::nullopt;
            }
            ++i;
            tokenStart = false;
            continue;
        }
        const bool separator = c == ',';
        tokenStart = separator || c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (tokenStart) {
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
