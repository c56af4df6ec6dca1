#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace veltara::test {

// The converter's end of a raw pseudo-terminal, never blocking: a drill offers bytes as fast as the
// line takes them, reads what the port sent and pulls the plug.
class FarEnd {
public:
    FarEnd();
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    bool ok() const { return m_master >= 0; }
    // The device a serial port opens.
    const std::string& path() const { return m_path; }

    // Writes what the line takes now; returns how many bytes that was.
    std::size_t offer(std::span<const std::uint8_t> bytes);
    // Reads everything the port has sent so far.
    std::vector<std::uint8_t> take();
    // The device vanishes for whoever has it open, as when the cable is pulled.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1;  // keeps the line up while no port has it open
    std::string m_path;
};

}  // namespace veltara::test
