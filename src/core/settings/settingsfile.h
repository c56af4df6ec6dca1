#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"

namespace veltara::core {

// The one record file of the settings, held open from start-up to shutdown.
class SettingsFile {
public:
    virtual ~SettingsFile() = default;

    // Opens for reading and writing, creating the file when it is missing.
    virtual Status open() = 0;
    // Up to maxBytes from offset 0; a short file gives fewer bytes, which is not an error.
    virtual Result<std::vector<std::uint8_t>> read(std::size_t maxBytes) = 0;
    // Writes at offset 0 in place; the file is never truncated.
    virtual Status write(std::span<const std::uint8_t> bytes) = 0;
    virtual Status close() = 0;
    virtual bool isOpen() const = 0;
    // Why the file is open for reading only (it could not be opened for writing); empty when writable.
    virtual std::string readOnlyReason() const = 0;
    // Another program (another window) holds the file's lock: this one opened it for reading only.
    // Where the system has no such lock it is never held elsewhere.
    virtual bool lockedElsewhere() const { return false; }
    // The file as the user should see it named in a message.
    virtual std::string displayName() const = 0;
};

}  // namespace veltara::core
