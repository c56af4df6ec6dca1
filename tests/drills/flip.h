#pragma once

#include "dialog/dialog.h"
#include "settings/convertersettings.h"

namespace veltara::test {

// Puts savedRecord() (COM3) into a dialog that shows otherRecord() (COM2), and otherRecord() into one
// that shows savedRecord(), as the user would: every setting but Reserved changes.
void flipSettings(core::Dialog& dialog);

}  // namespace veltara::test
