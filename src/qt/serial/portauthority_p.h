#pragma once

#include "portauthority.h"

// What the platform back ends (portauthority_unix.cpp, portauthority_win.cpp) give the shared front.
namespace veltara::qt::ports::detail {

// Fills in `port.device` (the node `port.typed` reaches) and `port.problem`.
void resolveDevicePath(ResolvedPort& port);

}  // namespace veltara::qt::ports::detail
