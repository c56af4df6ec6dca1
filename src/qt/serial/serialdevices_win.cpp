#include "serialdevices.h"

namespace veltara::qt {

// Every COM port Windows has is listed by Qt SerialPort; there is nothing else a name may point at.
core::Status checkSerialPort(const std::string& path, const std::vector<SerialDevice>& devices) {
    if (findSerialDevice(devices, path)) {
        return {};
    }
    return core::Error{core::ErrorCode::NotFound, path + " is not a serial port of this system"};
}

// Access to a COM port is not granted by group on Windows; a refusal means another program holds it.
std::string permissionHint(const std::string& device) {
    return "close the program that holds " + device;
}

}  // namespace veltara::qt
