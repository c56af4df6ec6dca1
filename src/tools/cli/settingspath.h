#pragma once

#include <optional>
#include <string>

namespace veltara::cli {

// Why the settings file named on the command line cannot be used, or nullopt when it is a regular file
// that can be read. A FIFO, a device or a folder is refused at once: reading one would block or give no
// record. The file is opened without blocking, so even a FIFO swapped in never holds the check up.
std::optional<std::string> settingsPathProblem(const std::string& path);

}  // namespace veltara::cli
