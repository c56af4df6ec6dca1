#include "jsontext.h"

#include "commandline/printable.h"

#include <cstdint>
#include <cstdio>

namespace veltara::cli {

using commandline::utf8SequenceLength;

namespace {

void appendEscaped(std::string& out, std::uint8_t value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", value);
    out += buffer;
}

}  // namespace

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<std::uint8_t>(text[i]) < 0x80) {
            ++i;
        } else if (const std::size_t length = utf8SequenceLength(text.substr(i)); length > 0) {
            i += length;
        } else {
            return false;
        }
    }
    return true;
}

std::string readableUtf8(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<std::uint8_t>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : utf8SequenceLength(text.substr(i));
        if (length > 0) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
        ++i;
    }
    return out;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<std::uint8_t>(text[i]);
        if (c >= 0x80) {
            if (const std::size_t length = utf8SequenceLength(text.substr(i)); length > 0) {
                out.append(text.substr(i, length));
                i += length;
            } else {
                appendEscaped(out, c);
                ++i;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    appendEscaped(out, c);
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    return out + "\"";
}

}  // namespace veltara::cli
