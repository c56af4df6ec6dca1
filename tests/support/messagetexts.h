#pragma once

#include "dialog/dialog.h"

namespace veltara::test {

// The dialog's answers to "Program Config" as the user reads them; the dialog's own constants, so a
// test asserts the text it shows rather than a copy of it.
inline constexpr const char* kSucceeds = core::Dialog::kConfigSucceeds;
inline constexpr const char* kFails = core::Dialog::kConfigFails;
inline constexpr const char* kPortFailure = core::Dialog::kPortFailure;

}  // namespace veltara::test
