#include "portauthority.h"

#include "portauthority_p.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace veltara::qt::ports {

namespace {

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool startsWithCom(std::string_view name) {
    return name.size() >= 3 && upper(name[0]) == 'C' && upper(name[1]) == 'O' && upper(name[2]) == 'M';
}

}  // namespace

int parseComName(std::string_view name) {
    if (name.size() == 4 && startsWithCom(name) && name[3] >= '0' + kFirstCommPort &&
        name[3] <= '0' + kLastCommPort) {
        return name[3] - '0';
    }
    return 0;
}

bool looksLikeComName(std::string_view name) {
    return name.size() > 3 && startsWithCom(name) && name.find('/') == std::string_view::npos &&
           name.find('\\') == std::string_view::npos;
}

std::string comName(int port) {
    return "COM" + std::to_string(port);
}

ResolvedPort resolvePort(std::string_view typed) {
    if (const int port = parseComName(typed); port != 0) {
        ResolvedPort resolved = resolvePort(port);
        resolved.typed = typed;
        return resolved;
    }
    ResolvedPort resolved;
    resolved.typed = typed;
    if (looksLikeComName(typed)) {
        resolved.problem =
            core::Error{core::ErrorCode::InvalidArgument,
                        std::string(typed) + " is not a port: use COM1..COM8 or a device path"};
        return resolved;
    }
    resolved.device = typed;
    detail::resolveDevicePath(resolved);
    return resolved;
}

std::string describe(const Holder& holder) {
    std::string text = "PID " + std::to_string(holder.pid);
    if (!holder.program.empty()) {
        text += " (" + holder.program + ")";
    }
    if (!holder.host.empty()) {
        text += " on " + holder.host;
    }
    if (!holder.lockFile.empty()) {
        text += ", lock file " + holder.lockFile;
    }
    return text;
}

core::Error busyError(const std::string& device) {
    const std::optional<Holder> holder = findHolder(device);
    return {core::ErrorCode::Busy,
            device + " is in use" + (holder ? " by " + describe(*holder) : " by another program")};
}

std::vector<int> comNamesOf(const SerialDevice& device) {
    std::vector<int> names;
    const ResolvedPort wanted = resolvePort(device.device);
    for (int port = kFirstCommPort; port <= kLastCommPort; ++port) {
        const ResolvedPort resolved = resolvePort(port);
        if (!resolved.problem && !wanted.device.empty() && resolved.device == wanted.device) {
            names.push_back(port);
        }
    }
    return names;
}

std::string assignCommand(const std::string& comName, const SerialDevice& device) {
    return "veltara-cli ports --assign " + comName + " " +
           (device.byId.empty() ? device.device : device.byId);
}

}  // namespace veltara::qt::ports
