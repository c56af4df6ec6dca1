#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "link/eventpump.h"
#include "link/monotonicclock.h"
#include "link/serialcontrol.h"

namespace veltara::core {

inline constexpr std::uint8_t kAcknowledge = 0x55;
inline constexpr std::chrono::milliseconds kReplyWindow{1000};
// 33 bytes leave a 9600-baud line in about 34 ms; a transmit buffer that has not drained by then
// belongs to a port that stopped working, not to a slow line.
inline constexpr std::chrono::seconds kDrainLimit{10};
// How long the command-line tool keeps listening after the reply window unless told otherwise.
inline constexpr std::chrono::milliseconds kDefaultSettleTime{500};
// A check that comes this long after the moment it was due means the exchange was not running (the
// process stopped, the machine suspended, a modal box held the loop): bytes counted then may have
// arrived after the window. Ten times the lateness of a busy machine's wake-up.
inline constexpr std::chrono::milliseconds kPauseLimit{200};

// How a programming exchange ended, and every way it can end before one starts: callers decide on
// this, never on the message shown.
enum class Verdict {
    NotRun,           // nothing was tried yet, or an exchange is still waiting
    Accepted,         // exactly one byte, 0x55, in the window (and nothing in the settle time)
    Silent,           // no byte within the window
    WrongReply,       // one byte other than 0x55
    ExtraBytes,       // more than one byte in the window
    AnsweredLate,     // a byte in the settle time after the window
    Paused,           // the exchange was not running for part of its wait: when the reply came is unknown
    SettingsRefused,  // the settings give no frame, or their corrections were not accepted; nothing sent
    PortNotOpen,      // the port did not open; nothing sent
    LinkFailed,       // the port refused an operation during the exchange; it has been closed
    PortChanged,      // another port was picked during the wait, so the reply could not be judged
    Stopped,          // the caller stopped the wait (the window closed, a signal)
};

// A stable key for each verdict, for scripts and logs ("accepted", "answered_late").
std::string_view verdictKey(Verdict verdict);

struct ExchangeResult {
    Verdict verdict = Verdict::NotRun;
    std::vector<std::uint8_t> reply;     // what was received in the window and the settle time
    std::chrono::nanoseconds late{};     // AnsweredLate: from the window's end to the byte seen
    std::chrono::nanoseconds elapsed{};  // from handing the frame to the port to the verdict
    Error failure;                       // what the port reported, for LinkFailed and PortNotOpen
};

// What tells the window's exchange from the command line's. The window sends at once and judges at
// the end of the window. The command line runs converters back to back: it discards what arrived
// before the frame, and watches the port for a settle time after the window so that a late answer
// fails its own run instead of being taken for the next run's reply.
struct ExchangeOptions {
    bool discardBeforeSending = false;
    std::chrono::nanoseconds settle{};
};

// One converter's exchange, advanced step by step so that one thread can run several side by side:
// send, wait until the frame has left the port, give the converter one second, judge, and (with a
// settle time) watch for a late byte. A port that refuses an operation is closed, so that no half-dead
// port is left open; the user reopens it.
class ProgrammingExchange {
public:
    ProgrammingExchange(SerialControl& serial, std::span<const std::uint8_t> frame, ExchangeOptions options);

    void start(std::chrono::nanoseconds now);
    // Does what is due at `now`; call it after every yield.
    void advance(std::chrono::nanoseconds now);
    void stop(std::chrono::nanoseconds now);

    bool done() const { return m_stage == Stage::Finished; }
    // When advance() next has something to do without a byte arriving; a pump may sleep until then.
    std::chrono::nanoseconds nextDeadline() const;
    const ExchangeResult& result() const { return m_result; }

private:
    enum class Stage { Idle, Draining, Window, Settling, Finished };

    void judgeWindow(std::chrono::nanoseconds now);
    void watchSettle(std::chrono::nanoseconds now);
    // Reads what waits into the reply; false when the port failed (the exchange is then finished).
    bool takeReceived(std::chrono::nanoseconds now);
    bool discardReceived(std::chrono::nanoseconds now);
    void finish(Verdict verdict, std::chrono::nanoseconds now);
    void linkFailed(const Error& error, std::chrono::nanoseconds now);

    SerialControl& m_serial;
    std::vector<std::uint8_t> m_frame;
    ExchangeOptions m_options;
    Stage m_stage = Stage::Idle;
    std::chrono::nanoseconds m_started{};
    std::chrono::nanoseconds m_since{};      // when the current stage began
    std::chrono::nanoseconds m_lastCheck{};  // the previous advance(), to see a pause in the drain
    Verdict m_windowVerdict = Verdict::NotRun;
    std::chrono::nanoseconds m_windowEnd{};
    ExchangeResult m_result;
};

// Starts the exchanges together and runs them on one pump until each has its verdict. `interrupted`
// is asked after every yield; when it says so, the exchanges still running end as Stopped. `finished`
// hears of each exchange as it ends, `waiting` after every yield while some still run.
struct ExchangeWatchers {
    std::function<bool()> interrupted = [] { return false; };
    std::function<void(std::size_t index)> finished{};
    std::function<void(std::chrono::nanoseconds now)> waiting{};
};
void runProgrammingExchanges(std::span<ProgrammingExchange* const> exchanges, EventPump& pump,
                             const MonotonicClock& clock, const ExchangeWatchers& watchers);

// One exchange, run to its verdict.
ExchangeResult runProgrammingExchange(SerialControl& serial, EventPump& pump, const MonotonicClock& clock,
                                      std::span<const std::uint8_t> frame,
                                      const std::function<bool()>& interrupted, ExchangeOptions options = {});

}  // namespace veltara::core
