#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "serial/serialdevices.h"

namespace veltara::qt {

// What the system tells of the adapters: the one behind the selected entry, whether the entry is a
// link of the user's, the adapters that no COM name reaches, and what a refused user must do.
struct PortAdapters {
    std::optional<SerialDevice> selected;
    bool linked = false;
    std::vector<SerialDevice> unnamed;
    std::string permissionHint;
};

// The port list's tooltip: the device behind the selected entry and the adapter it is, after a failed
// opening the system's reason, and the command that gives an adapter a COM name. The fixed failure
// message does not tell a Linux user that the usual cause is a missing membership of the group that
// owns the device (dialout), so a refused permission says so.
QString portToolTip(const std::string& entry, const std::string& device,
                    const std::optional<core::Error>& openingError, const PortAdapters& adapters = {});

}  // namespace veltara::qt
