#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/eventpump.h"
#include "link/monotonicclock.h"
#include "link/serialcontrol.h"

namespace veltara::core {

// How long the command-line tool keeps listening after the reply window unless told otherwise.
inline constexpr std::chrono::milliseconds kDefaultSettleTime{500};

enum class PortVerdict {
    Pending,
    Accepted,      // exactly one byte, 0x55, in the window, and nothing after it
    Rejected,      // silence, a wrong byte or more than one byte in the window
    AnsweredLate,  // a byte arrived in the settle time after the window
    LinkFailed,    // the port refused an operation; it has been closed
    Interrupted,   // the caller stopped the wait
};

// One converter's exchange as the command-line tool runs it, advanced step by step so that one thread
// can run several side by side. Sending, draining, the window and its judgement are the dialog's. Two
// additions make back-to-back runs trustworthy: what arrived before the frame is discarded, and the
// port is watched for a settle time after the window, so that a converter answering late is caught
// by its own run instead of being taken for the reply of the next one.
class PortExchange {
public:
    PortExchange(SerialControl& serial, std::span<const std::uint8_t> frame, std::chrono::nanoseconds settle);

    // Discards what waits in the receive buffer and sends the frame.
    void start(std::chrono::nanoseconds now);
    // Does what is due at `now`; call it after every yield.
    void advance(std::chrono::nanoseconds now);
    void interrupt();

    bool done() const { return m_verdict != PortVerdict::Pending; }
    // When advance() next has something to do without a byte arriving; a pump may sleep until then.
    std::chrono::nanoseconds nextDeadline() const;
    PortVerdict verdict() const { return m_verdict; }
    // The port's own words, for LinkFailed.
    const std::string& failure() const { return m_failure; }

private:
    enum class Stage { Idle, Draining, Window, Settling, Finished };

    void judgeWindow(std::chrono::nanoseconds now);
    void watchSettle(std::chrono::nanoseconds now);
    void finish(PortVerdict verdict);
    void linkFailed(const Error& error);

    SerialControl& m_serial;
    std::vector<std::uint8_t> m_frame;
    std::chrono::nanoseconds m_settle;
    Stage m_stage = Stage::Idle;
    std::chrono::nanoseconds m_since{};  // when the current stage began
    PortVerdict m_verdict = PortVerdict::Pending;
    PortVerdict m_windowVerdict = PortVerdict::Pending;
    std::string m_failure;
};

// Starts the exchanges together and runs them on one pump until each has its verdict. `interrupted`
// is asked after every yield; when it says so, the exchanges still running end as Interrupted.
void runPortExchanges(std::span<PortExchange* const> exchanges, EventPump& pump, const MonotonicClock& clock,
                      const std::function<bool()>& interrupted);

}  // namespace veltara::core
