#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace veltara::core {

// The serial port as the dialog drives it: one property per operation, each of which can fail.
// Buffer properties and Settings written while the port is closed are kept for the next opening.
class SerialControl {
public:
    virtual ~SerialControl() = default;

    virtual Result<bool> portOpen() const = 0;
    virtual Status setPortOpen(bool open) = 0;
    // Port number 1..8 ("COM1".."COM8"); takes effect at the next opening.
    virtual Status setCommPort(int port) = 0;
    virtual Status setInputLen(int length) = 0;
    virtual Status setInBufferSize(int size) = 0;
    // Bytes received and not yet read; writing 0 discards them.
    virtual Result<int> inBufferCount() = 0;
    virtual Status setInBufferCount(int count) = 0;
    // Bytes not yet on the line; writing 0 discards them.
    virtual Result<int> outBufferCount() = 0;
    virtual Status setOutBufferCount(int count) = 0;
    // Line settings such as "9600,N,8,1".
    virtual Status setSettings(std::string_view settings) = 0;
    virtual Status output(std::span<const std::uint8_t> bytes) = 0;
    virtual Result<std::vector<std::uint8_t>> input() = 0;

    // The device the port number names, for the user's information ("/dev/ttyUSB0"); empty if unknown.
    virtual std::string deviceName(int port) const = 0;
};

}  // namespace veltara::core
