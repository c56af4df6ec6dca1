#include "link/programmingexchange.h"

#include <algorithm>

namespace veltara::core {

std::string_view verdictKey(Verdict verdict) {
    switch (verdict) {
        case Verdict::NotRun:
            return "not_run";
        case Verdict::Accepted:
            return "accepted";
        case Verdict::Silent:
            return "silent";
        case Verdict::WrongReply:
            return "wrong_reply";
        case Verdict::ExtraBytes:
            return "extra_bytes";
        case Verdict::AnsweredLate:
            return "answered_late";
        case Verdict::Paused:
            return "paused";
        case Verdict::SettingsRefused:
            return "settings_refused";
        case Verdict::PortNotOpen:
            return "port_not_open";
        case Verdict::LinkFailed:
            return "link_failed";
        case Verdict::PortChanged:
            return "port_changed";
        case Verdict::Stopped:
            return "stopped";
    }
    return "unknown";
}

ProgrammingExchange::ProgrammingExchange(SerialControl& serial, std::span<const std::uint8_t> frame,
                                         ExchangeOptions options)
    : m_serial(serial), m_frame(frame.begin(), frame.end()), m_options(options) {}

void ProgrammingExchange::start(std::chrono::nanoseconds now) {
    m_started = now;
    m_lastCheck = now;
    m_stage = Stage::Draining;
    m_since = now;
    if (m_options.discardBeforeSending) {
        // A late reply to an earlier run may have arrived since the port opened; it is not this run's.
        if (const Status discarded = m_serial.setInBufferCount(0); !discarded) {
            linkFailed(discarded.error(), now);
            return;
        }
    }
    if (const Status sent = m_serial.output(m_frame); !sent) {
        linkFailed(sent.error(), now);
    }
}

void ProgrammingExchange::advance(std::chrono::nanoseconds now) {
    const auto sinceLastCheck = now - m_lastCheck;
    m_lastCheck = now;
    switch (m_stage) {
        case Stage::Draining: {
            const Result<int> pending = m_serial.outBufferCount();
            if (!pending) {
                linkFailed(pending.error(), now);
            } else if (pending.value() == 0) {
                // The window starts when the frame has left; after a pause that moment is unknown.
                if (sinceLastCheck > kPauseLimit) {
                    if (discardReceived(now)) {
                        finish(Verdict::Paused, now);
                    }
                    return;
                }
                m_stage = Stage::Window;
                m_since = now;
            } else if (now - m_since >= kDrainLimit) {
                linkFailed({ErrorCode::Io, "the frame did not leave the port"}, now);
            }
            return;
        }
        case Stage::Window:
            if (now - m_since >= kReplyWindow) {
                judgeWindow(now);
            }
            return;
        case Stage::Settling:
            watchSettle(now);
            return;
        case Stage::Idle:
        case Stage::Finished:
            return;
    }
}

void ProgrammingExchange::judgeWindow(std::chrono::nanoseconds now) {
    const auto windowEnd = m_since + kReplyWindow;
    const Result<int> received = m_serial.inBufferCount();
    if (!received) {
        linkFailed(received.error(), now);
        return;
    }
    Verdict verdict = Verdict::Silent;
    if (received.value() > 0) {
        // Only one byte is the reply; more are read too, so that the verdict can say what came.
        if (!takeReceived(now)) {
            return;
        }
        verdict = m_result.reply.size() > 1                ? Verdict::ExtraBytes
                  : m_result.reply.front() == kAcknowledge ? Verdict::Accepted
                                                           : Verdict::WrongReply;
    }
    // Judged well after the window's end, the bytes counted may have come after it.
    if (now - windowEnd > kPauseLimit) {
        verdict = Verdict::Paused;
    }
    if (verdict != Verdict::Accepted && !discardReceived(now)) {
        return;
    }
    if (verdict == Verdict::Paused || m_options.settle <= std::chrono::nanoseconds::zero()) {
        finish(verdict, now);
        return;
    }
    m_windowVerdict = verdict;
    m_windowEnd = windowEnd;
    m_stage = Stage::Settling;
    m_since = now;
}

void ProgrammingExchange::watchSettle(std::chrono::nanoseconds now) {
    const auto settleEnd = m_since + m_options.settle;
    const bool watched = now - settleEnd <= kPauseLimit;
    const Result<int> received = m_serial.inBufferCount();
    if (!received) {
        linkFailed(received.error(), now);
        return;
    }
    if (received.value() > 0) {
        // Read and dropped, so that nothing of this run is left for the next one.
        if (!takeReceived(now) || !discardReceived(now)) {
            return;
        }
        m_result.late = now - m_windowEnd;
        finish(watched ? Verdict::AnsweredLate : Verdict::Paused, now);
    } else if (now >= settleEnd) {
        finish(watched ? m_windowVerdict : Verdict::Paused, now);
    }
}

bool ProgrammingExchange::takeReceived(std::chrono::nanoseconds now) {
    const Result<std::vector<std::uint8_t>> bytes = m_serial.input();
    if (!bytes) {
        linkFailed(bytes.error(), now);
        return false;
    }
    m_result.reply.insert(m_result.reply.end(), bytes.value().begin(), bytes.value().end());
    return true;
}

bool ProgrammingExchange::discardReceived(std::chrono::nanoseconds now) {
    if (const Status discarded = m_serial.setInBufferCount(0); !discarded) {
        linkFailed(discarded.error(), now);
        return false;
    }
    return true;
}

std::chrono::nanoseconds ProgrammingExchange::nextDeadline() const {
    switch (m_stage) {
        case Stage::Draining:
            return m_since + kDrainLimit;
        case Stage::Window:
            return m_since + kReplyWindow;
        case Stage::Settling:
            return m_since + m_options.settle;
        case Stage::Idle:
        case Stage::Finished:
            break;
    }
    return std::chrono::nanoseconds::max();
}

void ProgrammingExchange::stop(std::chrono::nanoseconds now) {
    if (m_stage == Stage::Idle) {
        m_started = now;
    }
    if (!done()) {
        finish(Verdict::Stopped, now);
    }
}

void ProgrammingExchange::finish(Verdict verdict, std::chrono::nanoseconds now) {
    m_stage = Stage::Finished;
    m_result.verdict = verdict;
    m_result.elapsed = now - m_started;
}

void ProgrammingExchange::linkFailed(const Error& error, std::chrono::nanoseconds now) {
    (void)m_serial.setPortOpen(false);
    m_result.failure = error;
    finish(Verdict::LinkFailed, now);
}

void runProgrammingExchanges(std::span<ProgrammingExchange* const> exchanges, EventPump& pump,
                             const MonotonicClock& clock, const ExchangeWatchers& watchers) {
    std::vector<bool> reported(exchanges.size(), false);
    auto reportFinished = [&] {
        for (std::size_t i = 0; i < exchanges.size(); ++i) {
            if (exchanges[i]->done() && !reported[i]) {
                reported[i] = true;
                if (watchers.finished) {
                    watchers.finished(i);
                }
            }
        }
    };
    auto running = [&] {
        return std::any_of(exchanges.begin(), exchanges.end(),
                           [](const ProgrammingExchange* e) { return !e->done(); });
    };
    for (ProgrammingExchange* exchange : exchanges) {
        exchange->start(clock.now());
    }
    reportFinished();
    while (running()) {
        std::chrono::nanoseconds next = std::chrono::nanoseconds::max();
        for (const ProgrammingExchange* exchange : exchanges) {
            if (!exchange->done()) {
                next = std::min(next, exchange->nextDeadline());
            }
        }
        pump.yieldFor(std::max(next - clock.now(), std::chrono::nanoseconds::zero()));
        const auto now = clock.now();
        if (watchers.interrupted && watchers.interrupted()) {
            for (ProgrammingExchange* exchange : exchanges) {
                exchange->stop(now);
            }
            reportFinished();
            return;
        }
        for (ProgrammingExchange* exchange : exchanges) {
            exchange->advance(now);
        }
        reportFinished();
        if (watchers.waiting && running()) {
            watchers.waiting(now);
        }
    }
}

ExchangeResult runProgrammingExchange(SerialControl& serial, EventPump& pump, const MonotonicClock& clock,
                                      std::span<const std::uint8_t> frame,
                                      const std::function<bool()>& interrupted, ExchangeOptions options) {
    ProgrammingExchange exchange(serial, frame, options);
    ProgrammingExchange* const one[] = {&exchange};
    runProgrammingExchanges(one, pump, clock, {interrupted, {}, {}});
    return exchange.result();
}

}  // namespace veltara::core
