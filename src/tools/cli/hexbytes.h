#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace veltara::cli {

// "03 00 05 ...", "030005..." or "0x03, 0x00, ...": pairs of hexadecimal digits, spaces optional
// between pairs, a 0x before a pair or a run of pairs allowed, commas taken as spaces.
// nullopt with a reason in `error` when a character is not hexadecimal or a digit is left over.
std::optional<std::vector<std::uint8_t>> parseHexBytes(const std::string& text, std::string& error);
// Upper-case pairs separated by single spaces.
std::string formatHexBytes(std::span<const std::uint8_t> bytes);

}  // namespace veltara::cli
