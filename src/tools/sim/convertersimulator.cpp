#include "convertersimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

#include "common/systemerror.h"
#include "link/configframe.h"

namespace veltara::sim {

namespace {

core::Error systemError(const std::string& what, int error) {
    core::Error mapped = core::systemError(error);
    mapped.text = what + ": " + mapped.text;
    return mapped;
}

// "(seconds.microseconds)" since the epoch, as candump stamps its lines: no time zone to get wrong
// when logs of several machines are compared.
std::string timestamp(std::chrono::system_clock::time_point when) {
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count();
    char text[40];
    std::snprintf(text, sizeof text, "(%lld.%06lld)", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000));
    return text;
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += text.empty() ? "" : " ";
        text += {kDigits[byte >> 4], kDigits[byte & 0x0F]};
    }
    return text;
}

constexpr std::string_view kReceived = "rx";
constexpr std::string_view kSent = "tx";
constexpr std::string_view kNote = "--";

}  // namespace

std::optional<ReplyMode> parseReplyMode(std::string_view text) {
    for (ReplyMode mode : {ReplyMode::Ack, ReplyMode::Silent, ReplyMode::Nak, ReplyMode::Double,
                           ReplyMode::Late, ReplyMode::Strict}) {
        if (text == replyModeName(mode)) {
            return mode;
        }
    }
    return std::nullopt;
}

std::string_view replyModeName(ReplyMode mode) {
    switch (mode) {
        case ReplyMode::Ack:
            return "ack";
        case ReplyMode::Silent:
            return "silent";
        case ReplyMode::Nak:
            return "nak";
        case ReplyMode::Double:
            return "double";
        case ReplyMode::Late:
            return "late";
        case ReplyMode::Strict:
            return "strict";
    }
    return "?";
}

ConverterSimulator::ConverterSimulator(ReplyMode mode, LineSink sink, WallClock wallClock)
    : m_mode(mode), m_sink(std::move(sink)), m_wallClock(std::move(wallClock)) {}

ConverterSimulator::~ConverterSimulator() {
    hangUp();
}

core::Status ConverterSimulator::open() {
    termios raw{};
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B9600);
    ::cfsetospeed(&raw, B9600);
    raw.c_cflag |= CREAD | CLOCAL;
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        return systemError("cannot open a pseudo-terminal", errno);
    }
    // Neither end may leak into programs started from here; the master never blocks our loop.
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_devicePath = name;
    return {};
}

core::Status ConverterSimulator::step(std::chrono::milliseconds timeout) {
    if (m_master < 0) {
        return core::makeError(core::ErrorCode::NotOpen, "the simulator's device is closed");
    }
    auto now = Clock::now();
    for (const ScheduledReply& reply : m_scheduled) {
        const auto untilDue = std::chrono::ceil<std::chrono::milliseconds>(reply.due - now);
        timeout = std::clamp(untilDue, std::chrono::milliseconds(0), timeout);
    }
    if (!m_partial.empty()) {
        // Bytes that make no frame are noise once the gap has passed, whether or not more follow.
        const auto untilGap = std::chrono::ceil<std::chrono::milliseconds>(m_lastByte + kFrameGap - now) +
                              std::chrono::milliseconds(1);
        timeout = std::clamp(untilGap, std::chrono::milliseconds(0), timeout);
    }
    pollfd ready{m_master, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(timeout.count()));
    if (polled < 0 && errno != EINTR) {
        return systemError("waiting for the port", errno);
    }
    now = Clock::now();
    dropStalePartial(now);
    if (polled > 0 && (ready.revents & POLLIN) != 0) {
        std::array<std::uint8_t, 512> buffer{};
        const ssize_t got = ::read(m_master, buffer.data(), buffer.size());
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            return systemError("reading from the port", errno);
        }
        if (got > 0) {
            takeBytes(std::span(buffer.data(), static_cast<std::size_t>(got)), now);
        }
    }
    sendDueReplies(now);
    return {};
}

// Frames carry no header, so a pause is the only way to find where the next one starts.
void ConverterSimulator::dropStalePartial(Clock::time_point now) {
    if (!m_partial.empty() && now - m_lastByte > kFrameGap) {
        report(m_lastByteWall, kReceived, m_partial, "discarded: an incomplete frame");
        m_partial.clear();
    }
}

void ConverterSimulator::takeBytes(std::span<const std::uint8_t> bytes, Clock::time_point now) {
    m_lastByte = now;
    m_lastByteWall = m_wallClock();
    m_partial.insert(m_partial.end(), bytes.begin(), bytes.end());
    std::size_t used = 0;
    while (m_partial.size() - used >= core::kConfigFrameSize) {
        handleFrame(std::span(m_partial).subspan(used).first<core::kConfigFrameSize>(), now);
        used += core::kConfigFrameSize;
    }
    m_partial.erase(m_partial.begin(), m_partial.begin() + static_cast<std::ptrdiff_t>(used));
}

void ConverterSimulator::handleFrame(core::FrameView frame, Clock::time_point now) {
    ++m_frames;
    const std::string name = "frame " + std::to_string(m_frames);
    const core::Result<core::DecodedFrame> decoded = core::decodeConfigFrame(frame);
    if (!decoded) {
        // A converter cannot trust such a frame and takes none of it.
        report(m_lastByteWall, kReceived, frame, name + ": " + decoded.error().text + "; not answered");
        return;
    }
    const std::vector<std::string> unsendable = core::unsendableFields(frame);
    std::string marks;
    for (const std::string& field : unsendable) {
        marks += (marks.empty() ? " (the dialog never sends this: " : "; ") + field;
    }
    marks += marks.empty() ? "" : ")";
    report(m_lastByteWall, kReceived, frame, name + marks + ": " + core::describeFrameLine(frame));
    const std::string replyTo = "reply to " + name;
    core::Status sent;
    switch (m_mode) {
        case ReplyMode::Ack:
            sent = answer(std::array{kAck}, replyTo);
            break;
        case ReplyMode::Silent:
            report(m_wallClock(), kNote, {}, "no " + replyTo + " (silent)");
            break;
        case ReplyMode::Nak:
            sent = answer(std::array{kNak}, replyTo);
            break;
        case ReplyMode::Double:
            sent = answer(std::array{kAck, kAck}, replyTo);
            break;
        case ReplyMode::Late:
            m_scheduled.push_back({now + kLateDelay, kAck, m_frames});
            report(m_wallClock(), kNote, {}, replyTo + " due in 1.5 s");
            break;
        case ReplyMode::Strict:
            sent = answer(std::array{unsendable.empty() ? kAck : kNak}, replyTo);
            break;
    }
    if (!sent) {
        report(m_wallClock(), kNote, {}, sent.error().text);
    }
}

void ConverterSimulator::sendDueReplies(Clock::time_point now) {
    const auto due = std::stable_partition(m_scheduled.begin(), m_scheduled.end(),
                                           [now](const ScheduledReply& reply) { return reply.due > now; });
    for (auto it = due; it != m_scheduled.end(); ++it) {
        if (const core::Status sent =
                answer(std::span(&it->byte, 1), "late reply to frame " + std::to_string(it->frame));
            !sent) {
            report(m_wallClock(), kNote, {}, sent.error().text);
        }
    }
    m_scheduled.erase(due, m_scheduled.end());
}

core::Status ConverterSimulator::answer(std::span<const std::uint8_t> bytes, const std::string& what) {
    const core::Status sent = send(bytes);
    if (sent) {
        report(m_wallClock(), kSent, bytes, what);
    }
    return sent;
}

core::Status ConverterSimulator::send(std::span<const std::uint8_t> bytes) {
    if (m_master < 0) {
        return core::makeError(core::ErrorCode::NotOpen, "the simulator's device is closed");
    }
    const ssize_t written = ::write(m_master, bytes.data(), bytes.size());
    if (written != static_cast<ssize_t>(bytes.size())) {
        return systemError("sending a reply", written < 0 ? errno : EAGAIN);
    }
    return {};
}

void ConverterSimulator::hangUp() {
    for (int* fd : {&m_master, &m_slave}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
    m_scheduled.clear();
}

void ConverterSimulator::report(std::chrono::system_clock::time_point when, std::string_view direction,
                                std::span<const std::uint8_t> bytes, const std::string& text) {
    if (!m_sink) {
        return;
    }
    std::string line = timestamp(when) + " " + std::string(direction);
    if (direction != kNote) {
        line += " [" + std::to_string(bytes.size()) + "] " + hexBytes(bytes) + " ";
    }
    m_sink(line + " " + text);
}

}  // namespace veltara::sim
