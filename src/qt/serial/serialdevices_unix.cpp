#include "serialdevices.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace veltara::qt {

namespace {

// Unix98 pseudo-terminal slaves (/dev/pts/N) have majors 136 to 143.
constexpr unsigned kFirstPtyMajor = 136;
constexpr unsigned kLastPtyMajor = 143;

}  // namespace

core::Status checkSerialPort(const std::string& path, const std::vector<SerialDevice>& devices) {
    using core::Error;
    using core::ErrorCode;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return Error{ErrorCode::NotFound, path + " does not exist"};
    }
    if (!S_ISCHR(st.st_mode)) {
        return Error{ErrorCode::InvalidArgument, path + " is not a serial port (not a device)"};
    }
    const unsigned major = ::major(st.st_rdev);
    if (findSerialDevice(devices, path) || (major >= kFirstPtyMajor && major <= kLastPtyMajor)) {
        return {};
    }
    return Error{ErrorCode::InvalidArgument,
                 path + " is not a serial port ('veltara-cli ports' lists the serial ports there are)"};
}

std::string permissionHint(const std::string& device) {
    struct stat st {};
    std::string groupName = "dialout";
    if (::stat(device.c_str(), &st) == 0) {
        if (const group* owner = ::getgrgid(st.st_gid)) {
            groupName = owner->gr_name;
        }
    }
    return "your user must be in the group " + groupName + ", which owns " + device + " (sudo usermod -aG " +
           groupName + " $USER, then log in again)";
}

}  // namespace veltara::qt
