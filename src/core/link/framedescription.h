#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "link/configframe.h"

namespace veltara::core {

// An identifier as a number, its frame type apart, so a script need not parse "standard 0x322".
struct IdentifierValue {
    std::uint32_t id = 0;
    bool extended = false;
};

// A field's value for machines: a number, a flag, a choice's name, an identifier, or nothing (a rate
// code that names no rate).
using FieldValue = std::variant<std::monostate, std::int64_t, bool, std::string, IdentifierValue>;

// One field of a decoded frame in words, for people reading a frame (simulator, command line), and
// typed, for scripts.
struct FrameField {
    std::string key;    // stable machine name, e.g. "can_transmit_id"
    std::string label;  // what a person reads, e.g. "CAN transmit ID"
    std::string value;  // e.g. "standard 0x322"
    FieldValue data;    // e.g. IdentifierValue{0x322, false}
};

std::vector<FrameField> describeFrame(const DecodedFrame& frame);
// The fields on one line, "label: value; ..." for logs.
std::string describeFrameLine(const DecodedFrame& frame);
std::string describeId(const DecodedId& id);

}  // namespace veltara::core
