#include "recordfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "common/systemerror.h"

namespace veltara::platform {

using core::Error;
using core::ErrorCode;
using core::Result;
using core::Status;

namespace {

// A directory opens for reading; the system's "Is a directory" would not say what is wrong with it.
Error fileError(int error) {
    if (error == EISDIR) {
        return {ErrorCode::Io, "it is a directory, not a file"};
    }
    return core::systemError(error);
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
            return fileError(errno);
        }
    } else {
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        m_writable = m_fd >= 0;
        if (m_fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            // Still worth reading: the dialog starts with the saved settings and says they will not be saved.
            const int writeError = errno;
            m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
            if (m_fd >= 0) {
                m_readOnlyReason = fileError(writeError).text;
            } else {
                return fileError(writeError);
            }
        } else if (m_fd < 0) {
            return fileError(errno);
        }
    }
    struct stat info {};
    if (::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return fileError(EISDIR);
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
            return fileError(errno);
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
            return fileError(errno);
        }
        if (n == 0) {
            // Nothing taken and no error: retrying would spin, so report the record as not written.
            return fileError(EIO);
        }
        total += static_cast<std::size_t>(n);
    }
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) {
        return fileError(errno);
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
        return fileError(errno);
    }
    return {};
}

}  // namespace veltara::platform
