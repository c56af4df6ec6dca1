#pragma once

#include "common/result.h"

namespace veltara::core {

// An errno value as an Error: the code callers branch on and the system's own words. Every adapter
// that calls the operating system maps through here, so a busy port or a missing file reads and
// branches the same wherever it shows.
Error systemError(int errorNumber);

}  // namespace veltara::core
