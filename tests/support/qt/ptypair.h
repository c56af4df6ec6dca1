#pragma once

#include <termios.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace veltara::test {

// A raw pseudo-terminal pair: the port under test opens path(), the test plays the far end (the
// converter) on the master, which never blocks. The pair's own slave descriptor keeps the line up
// while no port has it open and shows what the line holds and how it is set.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return m_master >= 0; }
    const std::string& path() const { return m_path; }

    void send(const std::vector<std::uint8_t>& bytes);
    // Writes what the line takes now; returns how many bytes that was.
    std::size_t offer(std::span<const std::uint8_t> bytes);
    // Waits until the port's side holds `count` unread bytes (the driver's queue), up to a second.
    bool waitUntilQueued(int count);
    // Reads what the port sent until `count` bytes have come or a second has passed.
    std::vector<std::uint8_t> receive(std::size_t count);
    // Reads whatever the port has sent so far, without waiting.
    std::vector<std::uint8_t> take();
    // As take(), counting the bytes only.
    std::size_t drain();
    termios lineSettings() const;
    // The device vanishes for whoever has it open.
    void closeMaster();
    // The device vanishes and the pair lets go of the line too, as when the cable is pulled.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

}  // namespace veltara::test
