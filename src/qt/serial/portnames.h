#pragma once

#include <QString>
#include <string_view>

namespace veltara::qt {

inline constexpr int kFirstCommPort = 1;
inline constexpr int kLastCommPort = 8;

// "COM1".."COM8", in any case, give 1..8; anything else 0.
int parseComName(std::string_view name);

// The per-user folder whose entries "COM1".."COM8" name devices, normally as symbolic links
// (~/.config/veltara/ports). Unix only; Windows has real COM names.
QString portFolder();

// The folder entry that names COMn, whether it exists or not.
QString portEntryPath(int port);

// The device that COMn stands for. Windows: "COMn". Elsewhere: what the folder entry points at, fully
// resolved when the target exists (so the port's lock file carries the device's own name); without an
// entry, COM1..COM4 are /dev/ttyS0..3 and COM5..COM8 /dev/ttyUSB0..3. Empty outside 1..8.
QString portDevice(int port);

}  // namespace veltara::qt
