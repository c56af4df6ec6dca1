#pragma once

#include <string>
#include <string_view>

namespace veltara::cli {

// `text` as a JSON string literal, quotes included. Always valid JSON: paths and port names are bytes,
// not necessarily UTF-8, and a byte that is not part of a well-formed UTF-8 sequence is written as
// \u00XX (its Latin-1 reading, the commonest meaning of such a byte) instead of raw.
std::string jsonString(std::string_view text);

bool isUtf8(std::string_view text);
// `text` as UTF-8 that a reader can show: well-formed sequences kept, any other byte read as Latin-1,
// as jsonString() reads it.
std::string readableUtf8(std::string_view text);

}  // namespace veltara::cli
