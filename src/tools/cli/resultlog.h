#pragma once

#include <QJsonObject>
#include <memory>
#include <string>

#include "common/result.h"

namespace veltara::cli {

// The traceability log of `program --log`: JSON lines appended to one file that several runs and
// stations may share.
class ResultLog {
public:
    // Opens (creating if missing) a regular file for appending; the error says why it cannot be used.
    static core::Result<std::shared_ptr<ResultLog>> open(const std::string& path);
    ~ResultLog();
    ResultLog(const ResultLog&) = delete;
    ResultLog& operator=(const ResultLog&) = delete;

    // One line in one write() on an O_APPEND descriptor, so that lines of runs appending at the same
    // moment never mix; a write that is refused or cut short is an error.
    core::Status append(const QJsonObject& entry);

private:
    ResultLog(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd;
    std::string m_path;
};

}  // namespace veltara::cli
