#include "recordfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>

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

// The kernel's protected-symlinks rule, kept whether or not the system turns it on: in a folder that
// is sticky and writable by everyone (/tmp), anyone may plant a link to a file of the user's, so a link
// there is followed only when the folder's owner or the user owns it.
bool plantedLink(const std::string& path, const struct stat& link) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    struct stat info {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0) {
        return false;
    }
    const bool shared = (info.st_mode & S_ISVTX) != 0 && (info.st_mode & S_IWOTH) != 0;
    return shared && link.st_uid != info.st_uid && link.st_uid != ::geteuid();
}

Error plantedLinkError() {
    return {ErrorCode::PermissionDenied,
            "it is a symbolic link that another user owns in a folder everyone may write to, so it is "
            "not followed"};
}

// Opens the file unless it is a planted link. A name that was not a link when checked is opened without
// following links, so a link planted between the check and the open fails the open and is checked in
// turn. A link that may be followed can only be replaced by its owner (the sticky bit).
int openUnlessPlanted(const std::string& path, int flags, std::optional<Error>& refused) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        struct stat entry {};
        if (::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
            if (plantedLink(path, entry)) {
                refused = plantedLinkError();
                return -1;
            }
            return ::open(path.c_str(), flags, 0666);
        }
        const int fd = ::open(path.c_str(), flags | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != ELOOP) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

Status RecordFile::open() {
    if (m_fd >= 0) {
        return {};
    }
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(m_path, ec);
    m_absolutePath = ec ? m_path : absolute.string();

    m_writable = m_absent = m_lockedElsewhere = false;
    m_readOnlyReason.clear();
    std::optional<Error> refused;
    if (m_readOnlyRequested) {
        m_fd = openUnlessPlanted(m_path, O_RDONLY | O_CLOEXEC, refused);
        m_absent = m_fd < 0 && !refused && errno == ENOENT;
        if (m_absent) {
            return {};  // A missing file reads as an empty record and is never created here.
        }
        if (m_fd < 0) {
            return refused ? *refused : fileError(errno);
        }
    } else {
        m_fd = openUnlessPlanted(m_path, O_RDWR | O_CREAT | O_CLOEXEC, refused);
        m_writable = m_fd >= 0;
        if (refused) {
            return *refused;
        }
        if (m_fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            // Still worth reading: the dialog starts with the saved settings and says they will not be saved.
            const int writeError = errno;
            m_fd = openUnlessPlanted(m_path, O_RDONLY | O_CLOEXEC, refused);
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
    // Held until close. A second window finds it taken and never writes, so neither discards the
    // other's changes; a file system without locks leaves the file unlocked, as before.
    if (m_writable && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        m_writable = false;
        m_lockedElsewhere = true;
        m_readOnlyReason = "another window uses it";
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
    // Under a file-size limit below the record the first part would be written and the rest refused:
    // a torn record. Refuse all of it instead.
    if (struct rlimit limit{}; ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
                               limit.rlim_cur < bytes.size()) {
        return fileError(EFBIG);
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
