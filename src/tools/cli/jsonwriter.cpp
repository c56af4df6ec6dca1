#include "jsonwriter.h"

namespace veltara::cli {

JsonObject& JsonObject::member(std::string_view key, std::string_view json) {
    if (!m_members.empty()) {
        m_members += ", ";
    }
    m_members += jsonString(key);
    m_members += ": ";
    m_members += json;
    return *this;
}

JsonObject& JsonObject::text(std::string_view key, std::string_view value) {
    return member(key, jsonString(value));
}

JsonObject& JsonObject::number(std::string_view key, std::int64_t value) {
    return member(key, std::to_string(value));
}

JsonObject& JsonObject::flag(std::string_view key, bool value) {
    return member(key, value ? "true" : "false");
}

JsonObject& JsonObject::null(std::string_view key) {
    return member(key, "null");
}

JsonObject& JsonObject::raw(std::string_view key, std::string_view json) {
    return member(key, json);
}

std::string jsonArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += (i > 0 ? ", " : "") + items[i];
    }
    return out + "]";
}

std::string jsonStringArray(const std::vector<std::string>& texts) {
    std::vector<std::string> items;
    items.reserve(texts.size());
    for (const std::string& t : texts) {
        items.push_back(jsonString(t));
    }
    return jsonArray(items);
}

}  // namespace veltara::cli
