#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace veltara::test {

// What tells one file from another while both exist: the device and inode on POSIX; on Windows, which
// has no inodes (its C runtime reports 0 for every file), the volume serial number and file index.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Empty when the file cannot be looked at.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path);

}  // namespace veltara::test
