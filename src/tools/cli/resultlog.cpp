#include "resultlog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonDocument>
#include <cerrno>

#include "common/systemerror.h"

namespace veltara::cli {

using namespace core;

Result<std::shared_ptr<ResultLog>> ResultLog::open(const std::string& path) {
    // Non-blocking, so that a FIFO named by mistake fails below instead of waiting for a reader; no
    // link followed, so that a link planted in a shared folder cannot turn the log onto another file.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0644);
    if (fd < 0 && errno == ELOOP) {
        return Error{ErrorCode::Untrusted, "cannot use the log " + path + ": it is a symbolic link"};
    }
    if (fd < 0) {
        const Error error = systemError(errno);
        return Error{error.code, "cannot open the log " + path + ": " + error.text};
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Error{ErrorCode::InvalidArgument, "cannot use the log " + path + ": it is not a regular file"};
    }
    return std::shared_ptr<ResultLog>(new ResultLog(fd, path));
}

ResultLog::~ResultLog() {
    ::close(m_fd);
}

Status ResultLog::append(const QJsonObject& entry) {
    const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
    ssize_t written = -1;
    do {
        written = ::write(m_fd, line.constData(), static_cast<std::size_t>(line.size()));
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        const Error error = systemError(errno);
        return Error{error.code, "cannot write to the log " + m_path + ": " + error.text};
    }
    if (written != line.size()) {
        return Error{ErrorCode::Io,
                     "cannot write to the log " + m_path + ": only part of a line was written"};
    }
    return {};
}

}  // namespace veltara::cli
