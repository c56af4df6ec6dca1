#include "portfolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "portnames.h"

namespace veltara::qt {

namespace {

namespace fs = std::filesystem;
using core::Error;
using core::ErrorCode;

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

std::string userName(uid_t uid) {
    if (const passwd* entry = ::getpwuid(uid)) {
        return entry->pw_name;
    }
    return "uid " + std::to_string(uid);
}

// The folders from the configuration folder down to the port folder, outermost first.
std::vector<fs::path> folderChain() {
    const fs::path top =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
    const fs::path ports = portFolder().toStdString();
    std::vector<fs::path> chain{top};
    for (const auto& part : ports.lexically_relative(top)) {
        chain.push_back(chain.back() / part);
    }
    return chain;
}

// Why `st` (of `path`) lets someone other than us or root change what it holds.
std::string controlProblem(const std::string& what, const fs::path& path, const struct stat& st,
                           bool modeMatters) {
    if (st.st_uid != 0 && st.st_uid != ::geteuid()) {
        return what + " " + path.string() + " belongs to " + userName(st.st_uid) +
               ", not to you or root: another user could point a COM name at a device of their own";
    }
    if (modeMatters && (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return what + " " + path.string() + " may be written by other users (mode " + octal(st.st_mode) +
               "): another user could point a COM name at a device of their own; run chmod go-w " +
               path.string();
    }
    return {};
}

std::string systemText(int error) {
    return std::strerror(error);
}

Error fileError(const std::string& what, const fs::path& path, int error) {
    return {error == EACCES || error == EPERM ? ErrorCode::PermissionDenied : ErrorCode::Io,
            "cannot " + what + " " + path.string() + ": " + systemText(error)};
}

}  // namespace

std::string portFolderProblem() {
    for (const fs::path& folder : folderChain()) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0) {
            if (errno == ENOENT) {
                return {};  // nothing below it exists either
            }
            return "cannot check the port folder " + folder.string() + ": " + systemText(errno);
        }
        if (std::string problem = controlProblem("the folder", folder, st, true); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

std::string portEntryProblem(int port) {
    if (std::string problem = portFolderProblem(); !problem.empty()) {
        return problem;
    }
    const fs::path entry = portEntryPath(port).toStdString();
    struct stat st {};
    if (::lstat(entry.c_str(), &st) != 0) {
        return errno == ENOENT ? std::string() : "cannot check " + entry.string() + ": " + systemText(errno);
    }
    // A link's own mode means nothing; a plain file's does.
    return controlProblem("the port entry", entry, st, !S_ISLNK(st.st_mode));
}

core::Status makePortFolder() {
    for (const fs::path& folder : folderChain()) {
        if (::mkdir(folder.c_str(), 0700) == 0) {
            // The umask may have taken bits away, or (umask 000) left them; either way 0700.
            if (::chmod(folder.c_str(), 0700) != 0) {
                return fileError("set the mode of", folder, errno);
            }
        } else if (errno != EEXIST) {
            return fileError("create", folder, errno);
        }
    }
    if (std::string problem = portFolderProblem(); !problem.empty()) {
        return Error{ErrorCode::PermissionDenied, problem};
    }
    return {};
}

core::Status assignPort(int port, const std::string& target) {
    if (port < kFirstCommPort || port > kLastCommPort) {
        return Error{ErrorCode::InvalidArgument, "the port must be COM1 to COM8"};
    }
    if (core::Status folder = makePortFolder(); !folder) {
        return folder;
    }
    const fs::path entry = portEntryPath(port).toStdString();
    // A link made beside the entry and renamed over it: COMn names the old device or the new one,
    // never nothing, and an entry of any kind (even another user's) is replaced, not written through.
    const fs::path fresh = entry.string() + ".new-" + std::to_string(::getpid());
    (void)::unlink(fresh.c_str());
    if (::symlink(target.c_str(), fresh.c_str()) != 0) {
        return fileError("create", fresh, errno);
    }
    if (::rename(fresh.c_str(), entry.c_str()) != 0) {
        const int error = errno;
        (void)::unlink(fresh.c_str());
        return fileError("replace", entry, error);
    }
    return {};
}

core::Status unassignPort(int port) {
    if (port < kFirstCommPort || port > kLastCommPort) {
        return Error{ErrorCode::InvalidArgument, "the port must be COM1 to COM8"};
    }
    if (std::string problem = portFolderProblem(); !problem.empty()) {
        return Error{ErrorCode::PermissionDenied, problem};
    }
    const fs::path entry = portEntryPath(port).toStdString();
    struct stat st {};
    if (::lstat(entry.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            return Error{ErrorCode::NotFound, "COM" + std::to_string(port) + " is not assigned"};
        }
        return fileError("check", entry, errno);
    }
    if (!S_ISLNK(st.st_mode)) {
        return Error{ErrorCode::Refused,
                     entry.string() + " is not a link; remove it yourself if it is not needed"};
    }
    if (::unlink(entry.c_str()) != 0) {
        return fileError("remove", entry, errno);
    }
    return {};
}

}  // namespace veltara::qt
