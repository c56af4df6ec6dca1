#include "portlink.h"

#include <filesystem>
#include <system_error>

#include "portfolder.h"
#include "portnames.h"

namespace veltara::sim {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPtyFolder = "/dev/pts/";

core::Error fileError(const std::string& what, const std::error_code& error) {
    return core::makeError(core::ErrorCode::Io, what + ": " + error.message());
}

bool isLeftBehind(const fs::path& entry, const std::string& device) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(entry, error))) {
        return false;
    }
    const std::string target = fs::read_symlink(entry, error).string();
    if (error || !target.starts_with(kPtyFolder)) {
        return false;
    }
    // Our own terminal number again, or a terminal that no longer exists.
    return target == device || !fs::exists(target, error);
}

}  // namespace

PortLink::~PortLink() {
    remove();
}

core::Status PortLink::create(int port, const std::string& device) {
    if (port < qt::kFirstCommPort || port > qt::kLastCommPort) {
        return core::makeError(core::ErrorCode::InvalidArgument, "the port must be COM1 to COM8");
    }
    remove();
    const fs::path entry = qt::portEntryPath(port).toStdString();
    if (core::Status folder = qt::makePortFolder(); !folder) {
        return folder;
    }
    std::error_code error;
    if (fs::exists(fs::symlink_status(entry, error))) {
        if (!isLeftBehind(entry, device)) {
            const std::string target = fs::is_symlink(fs::symlink_status(entry, error))
                                           ? " (it points at " + fs::read_symlink(entry, error).string() + ")"
                                           : "";
            return core::makeError(core::ErrorCode::Busy, entry.string() + " already exists" + target +
                                                              "; remove it or choose another port");
        }
        fs::remove(entry, error);
    }
    fs::create_symlink(device, entry, error);
    if (error) {
        return fileError("cannot create " + entry.string(), error);
    }
    m_path = entry.string();
    m_device = device;
    return {};
}

void PortLink::remove() {
    if (m_path.empty()) {
        return;
    }
    std::error_code error;
    if (fs::read_symlink(m_path, error).string() == m_device && !error) {
        fs::remove(m_path, error);
    }
    m_path.clear();
    m_device.clear();
}

}  // namespace veltara::sim
