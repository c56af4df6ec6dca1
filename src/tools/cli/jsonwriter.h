#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jsontext.h"

namespace veltara::cli {

// One JSON object on one line, members in the order they are added. Distinct names per type, so an
// int never turns into a flag by overload resolution.
class JsonObject {
public:
    JsonObject& text(std::string_view key, std::string_view value);
    JsonObject& number(std::string_view key, std::int64_t value);
    JsonObject& flag(std::string_view key, bool value);
    JsonObject& null(std::string_view key);
    // A value that is JSON already: a nested object or array.
    JsonObject& raw(std::string_view key, std::string_view json);
    std::string str() const { return "{" + m_members + "}"; }

private:
    JsonObject& member(std::string_view key, std::string_view json);
    std::string m_members;
};

// "[a, b]" from values that are JSON already.
std::string jsonArray(const std::vector<std::string>& items);
std::string jsonStringArray(const std::vector<std::string>& texts);

}  // namespace veltara::cli
