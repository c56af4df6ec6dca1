#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "link/framefields.h"

namespace veltara::sim {

// How the simulated converter answers a frame whose checksum is right.
enum class ReplyMode {
    Ack,     // 0x55 at once
    Silent,  // nothing
    Nak,     // one byte other than 0x55
    Double,  // 0x55 twice
    Late,    // 0x55 after 1.5 s, later than the dialog waits
    Strict,  // 0x55 at once, but 0xAA to a frame the dialog never sends (core::unsendableFields)
};

std::optional<ReplyMode> parseReplyMode(std::string_view text);
std::string_view replyModeName(ReplyMode mode);

inline constexpr std::uint8_t kAck = 0x55;
inline constexpr std::uint8_t kNak = 0xAA;
inline constexpr std::chrono::milliseconds kLateDelay{1500};
// 33 bytes at 9600 baud arrive within 35 ms; after a pause this long, a partial frame is noise.
inline constexpr std::chrono::milliseconds kFrameGap{200};

// A converter at the far end of a pseudo-terminal pair: it reads 33-byte configuration frames and
// answers as its reply mode says. Every frame, answer and piece of noise is reported through the line
// sink as one log line, the way CAN dump tools print traffic: wall-clock time, direction, byte count and
// raw bytes, then what they mean, with what in a frame the dialog never sends:
//   (1765120255.123456) rx [33] 03 00 05 ... ED  frame 1: RS232 baud rate: 9600; ...
//   (1765120255.123480) tx [1] 55  reply to frame 1
//   (1765120256.500000) rx [33] 03 00 99 ... 81  frame 2 (the dialog never sends this: CAN bit ...): ...
// Single-threaded: the owner calls step() from its loop (the simulator program) or from an event pump
// (tests).
class ConverterSimulator {
public:
    using Clock = std::chrono::steady_clock;
    using WallClock = std::function<std::chrono::system_clock::time_point()>;
    using LineSink = std::function<void(const std::string&)>;

    ConverterSimulator(ReplyMode mode, LineSink sink, WallClock wallClock = &std::chrono::system_clock::now);
    ~ConverterSimulator();
    ConverterSimulator(const ConverterSimulator&) = delete;
    ConverterSimulator& operator=(const ConverterSimulator&) = delete;

    // Opens the pair in raw mode; devicePath() then names the end a serial port opens.
    core::Status open();
    const std::string& devicePath() const { return m_devicePath; }

    // Waits up to `timeout` for bytes, for a late reply to fall due or for a partial frame's gap to
    // pass, then handles them. A signal ends the wait early without an error.
    core::Status step(std::chrono::milliseconds timeout);

    void setReplyMode(ReplyMode mode) { m_mode = mode; }
    ReplyMode replyMode() const { return m_mode; }
    // Bytes the converter sends on its own, e.g. noise before a frame.
    core::Status send(std::span<const std::uint8_t> bytes);
    // Closes the pair: whoever has the device open sees it vanish, as when a cable is pulled.
    void hangUp();

    int framesReceived() const { return m_frames; }
    bool replyPending() const { return !m_scheduled.empty(); }

private:
    struct ScheduledReply {
        Clock::time_point due;
        std::uint8_t byte;
        int frame;
    };

    void dropStalePartial(Clock::time_point now);
    void takeBytes(std::span<const std::uint8_t> bytes, Clock::time_point now);
    void handleFrame(core::FrameView frame, Clock::time_point now);
    void sendDueReplies(Clock::time_point now);
    core::Status answer(std::span<const std::uint8_t> bytes, const std::string& what);
    void report(std::chrono::system_clock::time_point when, std::string_view direction,
                std::span<const std::uint8_t> bytes, const std::string& text);

    ReplyMode m_mode;
    LineSink m_sink;
    WallClock m_wallClock;
    int m_master = -1;
    int m_slave = -1;  // kept open so the pair survives while no port has it open
    std::string m_devicePath;
    std::vector<std::uint8_t> m_partial;
    Clock::time_point m_lastByte{};
    std::chrono::system_clock::time_point m_lastByteWall{};
    std::vector<ScheduledReply> m_scheduled;
    int m_frames = 0;
};

}  // namespace veltara::sim
