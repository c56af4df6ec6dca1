#pragma once

#include <string>
#include <vector>

#include "link/configframe.h"

namespace veltara::core {

// One field of a decoded frame in words, for people reading a frame (simulator, command line).
struct FrameField {
    std::string key;    // stable machine name, e.g. "can_transmit_id"
    std::string label;  // what a person reads, e.g. "CAN transmit ID"
    std::string value;  // e.g. "standard 0x322"
};

std::vector<FrameField> describeFrame(const DecodedFrame& frame);
// The fields on one line, "label: value; ..." for logs.
std::string describeFrameLine(const DecodedFrame& frame);
std::string describeId(const DecodedId& id);

}  // namespace veltara::core
