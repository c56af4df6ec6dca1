#include "portauthority.h"
#include "portauthority_p.h"

// Windows names its COM ports itself and opens them for one program at a time: there is no map to
// trust, no link to follow and no lock file to read.
namespace veltara::qt::ports {

namespace {

core::Error noPortFolder() {
    return core::Error{core::ErrorCode::Refused,
                       "COM names are the system's own on Windows (Device Manager sets them)"};
}

}  // namespace

namespace detail {

void resolveDevicePath(ResolvedPort& port) {
    port.device = port.typed;
}

}  // namespace detail

core::Result<std::string> portFolder() {
    return noPortFolder();
}

core::Result<std::string> portEntryPath(int) {
    return noPortFolder();
}

ResolvedPort resolvePort(int comPort) {
    ResolvedPort resolved;
    resolved.typed = comName(comPort);
    resolved.comPort = comPort;
    if (comPort < kFirstCommPort || comPort > kLastCommPort) {
        resolved.problem = core::Error{core::ErrorCode::InvalidArgument, "the port must be COM1 to COM8"};
    } else {
        resolved.device = resolved.typed;
    }
    return resolved;
}

std::string lockFilePath(const std::string&) {
    return {};
}

core::Status checkBeforeOpen(const std::string&) {
    return {};
}

std::optional<Holder> findHolder(const std::string&) {
    return std::nullopt;
}

PortState inspectPort(int comPort) {
    PortState state;
    state.port = resolvePort(comPort);
    state.problem = state.port.problem;
    return state;
}

// Access to a COM port is not granted by group on Windows; a refusal means another program holds it.
std::string permissionHint(const std::string& device) {
    return "close the program that holds " + device;
}

// Every COM port Windows has is listed by Qt SerialPort; there is nothing else a name may point at.
core::Status checkSerialPort(const std::string& path, const std::vector<SerialDevice>& devices) {
    if (findSerialDevice(devices, path)) {
        return {};
    }
    return core::Error{core::ErrorCode::NotFound, path + " is not a serial port of this system"};
}

core::Result<Assignment> assignPort(int, const std::string&) {
    return noPortFolder();
}

core::Result<bool> unassignPort(int) {
    return noPortFolder();
}

ComLink::~ComLink() = default;

core::Status ComLink::create(int, const std::string&) {
    return noPortFolder();
}

void ComLink::remove() {}

}  // namespace veltara::qt::ports
