#pragma once

#include <string>

#include "dialog/dialog.h"

namespace veltara::cli {

// The field a control stands for, named as the window labels it: its frame, then its label or its own
// caption, and for an identifier box its place in the row ("CAN Transmitting > Frame Message ID, box 2
// of 4"). `objectName` is a control's object name as core::Message::field carries it; empty or unknown
// names give an empty text.
std::string fieldLabel(const core::Dialog& dialog, const std::string& objectName);

}  // namespace veltara::cli
