#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace veltara::test {

// The frame that the factory defaults encode to, as a converter receives it.
inline const std::vector<std::uint8_t> kFactoryFrame{
    0x03, 0x00, 0x05, 0x00, 0xE4, 0x40, 0x00, 0x00, 0xA4, 0x40, 0x00, 0x00, 0xA1, 0x64, 0x40, 0x00, 0x00,
    0xFF, 0xE0, 0x00, 0x00, 0x66, 0x60, 0x00, 0x00, 0x2C, 0x01, 0x00, 0x66, 0x60, 0x00, 0x00, 0xED};

// "03 00 05 ...": the bytes as the programs print them.
inline std::string hexPairs(std::span<const std::uint8_t> bytes) {
    std::string text;
    char pair[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += (text.empty() ? "" : " ") + std::string(pair);
    }
    return text;
}

}  // namespace veltara::test
