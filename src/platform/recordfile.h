#pragma once

#include <string>

#include "settings/settingsfile.h"

namespace veltara::platform {

// The settings file on disk, written in place with pwrite: never truncated, never replaced, so a
// link keeps pointing where it did and bytes beyond the record stay as they are.
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
    bool isOpen() const override { return m_fd >= 0; }
    std::string readOnlyReason() const override { return m_readOnlyReason; }
    std::string displayName() const override;

private:
    std::string m_path;
    bool m_readOnlyRequested;
    int m_fd = -1;
    bool m_writable = false;
    bool m_absent = false;  // read-only mode found no file
    std::string m_readOnlyReason;
    std::string m_absolutePath;
};

}  // namespace veltara::platform
