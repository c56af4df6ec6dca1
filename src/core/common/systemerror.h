#pragma once

#include <string>

#include "common/result.h"

namespace veltara::core {

// An errno value as an Error: the code callers branch on and the system's own words. Every adapter
// that calls the operating system maps through here, so a busy port or a missing file reads and
// branches the same wherever it shows.
Error systemError(int errorNumber);

#ifdef _WIN32
// The same for a Win32 error code (GetLastError), for every Windows adapter (systemerror_win.cpp).
Error windowsError(unsigned long errorCode);
// Win32 speaks UTF-16; the program's texts are UTF-8.
std::string utf8FromWide(const std::wstring& wide);
#endif

}  // namespace veltara::core
