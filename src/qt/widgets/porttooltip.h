#pragma once

#include <QString>
#include <optional>
#include <string>

#include "common/result.h"

namespace veltara::qt {

// The port list's tooltip: the device behind the selected entry and, after a failed opening, the
// system's reason. The fixed failure message does not tell a Linux user that the usual cause is a
// missing membership of the dialout group, so a refused permission says so.
QString portToolTip(const std::string& entry, const std::string& device,
                    const std::optional<core::Error>& openingError);

}  // namespace veltara::qt
