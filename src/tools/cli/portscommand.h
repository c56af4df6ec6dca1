#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace veltara::cli {

struct PortsRequest {
    bool json = false;
    std::optional<std::string> assignName;  // --assign COMn DEVICE
    std::string assignDevice;
    std::optional<std::string> unassignName;  // --unassign COMn
};

// Lists COM1..COM8 beside every serial device, or changes one COM name's link.
int portsCommand(const PortsRequest& request, std::ostream& out, std::ostream& err);

}  // namespace veltara::cli
