#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "link/configframe.h"

namespace veltara::cli {

// A frame's fields as decode --json prints them, read back.
struct FrameJson {
    core::ConfigFrame frame{};
    // The fields the window's controls hold, as KEY and VALUE texts for setDialogField.
    std::vector<std::pair<std::string, std::string>> dialogFields;
};

// The frame that `text` (one JSON object) describes, byte for byte; an unknown key, a wrong type or a
// value out of range gives an error that names the key.
std::variant<FrameJson, std::string> parseFrameJson(const std::string& text);

// A field whose value two frames do not share, the checksum aside.
struct FieldDifference {
    std::string key;
    std::string label;
    std::string value;  // in the first frame, as people read it
    std::string other;  // in the second
};
std::vector<FieldDifference> differingFields(const core::ConfigFrame& frame, const core::ConfigFrame& other);

}  // namespace veltara::cli
