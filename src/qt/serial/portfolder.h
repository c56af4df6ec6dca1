#pragma once

#include <string>

#include "common/result.h"

namespace veltara::qt {

// The port folder decides which device a COM name opens, so whoever may change it decides where
// "Program Config" sends. As ssh does with its own files, the folder, the folders above it up to the
// configuration folder, and each COMn entry are refused when another user owns them or may write to
// them (root may own them). These name the first reason, or return empty when all is well (or
// nothing exists yet).
std::string portFolderProblem();
std::string portEntryProblem(int port);

// Creates the missing configuration folders mode 0700, whatever the umask, and refuses a folder that
// another user controls.
core::Status makePortFolder();

// Points COMn at `target` (replacing an entry that is there) or removes COMn's entry. The caller checks
// that the target is a serial port; the entry is a symbolic link, swapped in at once.
core::Status assignPort(int port, const std::string& target);
core::Status unassignPort(int port);

}  // namespace veltara::qt
