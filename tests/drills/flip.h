#pragma once

#include "dialog/dialog.h"
#include "settings/convertersettings.h"

namespace veltara::test {

// Two saved records that differ in every field but Reserved: the tests' saved record (COM3) and
// another (COM2). Puts the other one into a dialog that shows one of them, as the user would.
void flipSettings(core::Dialog& dialog);

}  // namespace veltara::test
