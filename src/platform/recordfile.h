#pragma once

#include <string>

#include "settings/settingsfile.h"

namespace veltara::platform {

// The settings file on disk, written in place at offset 0: never truncated, never replaced, so a link
// keeps pointing where it did and bytes beyond the record stay as they are. One adapter per platform
// (recordfile_unix.cpp for POSIX, recordfile_win.cpp for Win32, behind the shared recordfile.cpp), picked by
// the build. A writable file is held so that two windows never save over each other: under an exclusive
// advisory lock (flock) on POSIX, by a share mode that lets readers in but no other writer on Windows. On
// POSIX a link that another user planted in a shared sticky folder is not followed.
class RecordFile final : public core::SettingsFile {
public:
    // path is used as given (a bare name resolves against the current directory at open()).
    explicit RecordFile(std::string path, bool readOnly = false);
    ~RecordFile() override;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    core::Status open() override;
    core::Result<std::vector<std::uint8_t>> read(std::size_t maxBytes) override;
    core::Status write(std::span<const std::uint8_t> bytes) override;
    core::Status close() override;
#ifdef _WIN32
    bool isOpen() const override {
        return m_handle != nullptr;
    }
#else
    bool isOpen() const override {
        return m_fd >= 0;
    }
#endif
    std::string readOnlyReason() const override {
        return m_readOnlyReason;
    }
    bool lockedElsewhere() const override {
        return m_lockedElsewhere;
    }
    std::string displayName() const override;

private:
    static core::Error notOpen();

    std::string m_path;
    bool m_readOnlyRequested;
#ifdef _WIN32
    void* m_handle = nullptr;  // a HANDLE; null while closed, as CreateFileW never gives null
#else
    int m_fd = -1;
#endif
    bool m_writable = false;
    bool m_absent = false;  // read-only mode found no file
    bool m_lockedElsewhere = false;
    std::string m_readOnlyReason;
    std::string m_absolutePath;
};

}  // namespace veltara::platform
