#include "settingspath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace veltara::cli {

namespace {

std::optional<std::string> kindProblem(mode_t mode) {
    if (S_ISREG(mode)) {
        return std::nullopt;
    }
    if (S_ISDIR(mode)) {
        return "it is a directory, not a settings file";
    }
    if (S_ISFIFO(mode) || S_ISSOCK(mode)) {
        return "it is a pipe, not a settings file";
    }
    return "it is a device, not a settings file";
}

std::string systemText(int error) {
    return std::generic_category().message(error);
}

}  // namespace

std::optional<std::string> settingsPathProblem(const std::string& path) {
    // Looked at before opening: opening a serial device alone already changes its modem lines.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return systemText(errno);
    }
    if (auto problem = kindProblem(info.st_mode)) {
        return problem;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return systemText(errno);
    }
    const bool statted = ::fstat(fd, &info) == 0;
    const int error = errno;
    ::close(fd);
    if (!statted) {
        return systemText(error);
    }
    return kindProblem(info.st_mode);
}

}  // namespace veltara::cli
