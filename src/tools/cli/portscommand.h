#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace veltara::cli {

// The command that lists COM1..COM8 beside every serial device, or changes one COM name's link, is
// kPortsCommand in commands.h.

}  // namespace veltara::cli
