#pragma once

#include <QTemporaryDir>
#include <filesystem>
#include <string>

#include "serial/portauthority.h"

namespace veltara::test {

// A fresh per-user configuration folder for one test, so COMn entries never touch the user's own.
class TempPortFolder {
public:
    TempPortFolder() { qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit()); }
    ~TempPortFolder() { qunsetenv("XDG_CONFIG_HOME"); }
    TempPortFolder(const TempPortFolder&) = delete;
    TempPortFolder& operator=(const TempPortFolder&) = delete;

    bool ok() const { return m_dir.isValid(); }
    std::string path(const std::string& name) const {
        return m_dir.filePath(QString::fromStdString(name)).toStdString();
    }

    // Makes COMn a link to `target`, as a user would with ln -s.
    bool link(int port, const std::string& target) const {
        std::error_code error;
        const std::filesystem::path entry = qt::ports::portEntryPath(port).value();
        std::filesystem::create_directories(entry.parent_path(), error);
        std::filesystem::create_symlink(target, entry, error);
        return !error;
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace veltara::test
