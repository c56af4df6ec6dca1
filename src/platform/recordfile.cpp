#include "recordfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace veltara::platform {

using core::Error;
using core::ErrorCode;
using core::Result;
using core::Status;

namespace {

Error systemError(int error) {
    ErrorCode code = ErrorCode::Io;
    if (error == EACCES || error == EPERM || error == EROFS) {
        code = ErrorCode::PermissionDenied;
    } else if (error == ENOENT || error == ENOTDIR) {
        code = ErrorCode::NotFound;
    }
    std::string text = std::strerror(error);
    if (error == EISDIR) {
        text = "it is a directory, not a file";
    }
    return {code, text};
}

Error notOpen() {
    return {ErrorCode::NotOpen, "the file is not open"};
}

}  // namespace

RecordFile::RecordFile(std::string path, bool readOnly)
    : m_path(std::move(path)), m_readOnlyRequested(readOnly) {}

RecordFile::~RecordFile() {
    (void)close();
}

std::string RecordFile::displayName() const {
    return m_absolutePath.empty() ? m_path : m_absolutePath;
}

Status RecordFile::open() {
    if (m_fd >= 0) {
        return {};
    }
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(m_path, ec);
    m_absolutePath = ec ? m_path : absolute.string();

    if (m_readOnlyRequested) {
        m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        m_absent = m_fd < 0 && errno == ENOENT;
        if (m_absent) {
            return {};  // A missing file reads as an empty record and is never created here.
        }
        if (m_fd < 0) {
            return systemError(errno);
        }
    } else {
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        m_writable = m_fd >= 0;
        if (m_fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            // Still worth reading: the dialog starts with the saved settings and says they will not be saved.
            const int writeError = errno;
            m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
            if (m_fd >= 0) {
                m_readOnlyReason = systemError(writeError).text;
            } else {
                return systemError(writeError);
            }
        } else if (m_fd < 0) {
            return systemError(errno);
        }
    }
    struct stat info {};
    if (::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return systemError(EISDIR);
    }
    return {};
}

Result<std::vector<std::uint8_t>> RecordFile::read(std::size_t maxBytes) {
    if (m_fd < 0) {
        // Only a file that is not there reads as empty; one that failed to open stays a failure.
        if (m_absent) {
            return std::vector<std::uint8_t>{};
        }
        return notOpen();
    }
    std::vector<std::uint8_t> bytes(maxBytes);
    std::size_t total = 0;
    while (total < maxBytes) {
        const ssize_t n = ::pread(m_fd, bytes.data() + total, maxBytes - total, static_cast<off_t>(total));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return systemError(errno);
        }
        if (n == 0) {
            break;
        }
        total += static_cast<std::size_t>(n);
    }
    bytes.resize(total);
    return bytes;
}

Status RecordFile::write(std::span<const std::uint8_t> bytes) {
    if (m_fd < 0) {
        return notOpen();
    }
    if (!m_writable) {
        return Error{ErrorCode::PermissionDenied,
                     m_readOnlyReason.empty() ? "the file is open for reading only" : m_readOnlyReason};
    }
    // In place at offset 0: the file keeps its length, its inode and whatever lies beyond the record.
    std::size_t total = 0;
    while (total < bytes.size()) {
        const ssize_t n =
            ::pwrite(m_fd, bytes.data() + total, bytes.size() - total, static_cast<off_t>(total));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return systemError(errno);
        }
        if (n == 0) {
            // Nothing taken and no error: retrying would spin, so report the record as not written.
            return systemError(EIO);
        }
        total += static_cast<std::size_t>(n);
    }
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) {
        return systemError(errno);
    }
    return {};
}

Status RecordFile::close() {
    if (m_fd < 0) {
        return {};
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        return systemError(errno);
    }
    return {};
}

}  // namespace veltara::platform
