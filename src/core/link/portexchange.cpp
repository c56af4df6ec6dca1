#include "link/portexchange.h"

#include <algorithm>

#include "link/programmingexchange.h"

namespace veltara::core {

PortExchange::PortExchange(SerialControl& serial, std::span<const std::uint8_t> frame,
                           std::chrono::nanoseconds settle)
    : m_serial(serial), m_frame(frame.begin(), frame.end()), m_settle(settle) {}

void PortExchange::start(std::chrono::nanoseconds now) {
    // A late reply to an earlier run may have arrived since the port opened; it is not this run's.
    if (const Status discarded = m_serial.setInBufferCount(0); !discarded) {
        linkFailed(discarded.error());
        return;
    }
    if (const Status sent = m_serial.output(m_frame); !sent) {
        linkFailed(sent.error());
        return;
    }
    m_stage = Stage::Draining;
    m_since = now;
}

void PortExchange::advance(std::chrono::nanoseconds now) {
    switch (m_stage) {
        case Stage::Draining: {
            const Result<int> pending = m_serial.outBufferCount();
            if (!pending) {
                linkFailed(pending.error());
            } else if (pending.value() == 0) {
                m_stage = Stage::Window;
                m_since = now;
            } else if (now - m_since >= kDrainLimit) {
                linkFailed({ErrorCode::Io, "the frame did not leave the port"});
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

void PortExchange::judgeWindow(std::chrono::nanoseconds now) {
    const Result<int> received = m_serial.inBufferCount();
    if (!received) {
        linkFailed(received.error());
        return;
    }
    m_windowVerdict = PortVerdict::Rejected;
    if (received.value() == 1) {
        const Result<std::vector<std::uint8_t>> reply = m_serial.input();
        if (!reply) {
            linkFailed(reply.error());
            return;
        }
        if (!reply.value().empty() && reply.value()[0] == kAcknowledge) {
            m_windowVerdict = PortVerdict::Accepted;
        }
    }
    if (m_windowVerdict == PortVerdict::Rejected) {
        if (const Status discarded = m_serial.setInBufferCount(0); !discarded) {
            linkFailed(discarded.error());
            return;
        }
    }
    if (m_settle <= std::chrono::nanoseconds::zero()) {
        finish(m_windowVerdict);
        return;
    }
    m_stage = Stage::Settling;
    m_since = now;
}

void PortExchange::watchSettle(std::chrono::nanoseconds now) {
    const Result<int> received = m_serial.inBufferCount();
    if (!received) {
        linkFailed(received.error());
        return;
    }
    if (received.value() > 0) {
        // Read and dropped, so that nothing of this run is left for the next one.
        (void)m_serial.setInBufferCount(0);
        finish(PortVerdict::AnsweredLate);
    } else if (now - m_since >= m_settle) {
        finish(m_windowVerdict);
    }
}

std::chrono::nanoseconds PortExchange::nextDeadline() const {
    switch (m_stage) {
        case Stage::Draining:
            return m_since + kDrainLimit;
        case Stage::Window:
            return m_since + kReplyWindow;
        case Stage::Settling:
            return m_since + m_settle;
        case Stage::Idle:
        case Stage::Finished:
            break;
    }
    return std::chrono::nanoseconds::max();
}

void PortExchange::interrupt() {
    if (!done()) {
        finish(PortVerdict::Interrupted);
    }
}

void PortExchange::finish(PortVerdict verdict) {
    m_stage = Stage::Finished;
    m_verdict = verdict;
}

void PortExchange::linkFailed(const Error& error) {
    // As in the dialog: no half-dead port is left open.
    (void)m_serial.setPortOpen(false);
    m_failure = error.text;
    finish(PortVerdict::LinkFailed);
}

void runPortExchanges(std::span<PortExchange* const> exchanges, EventPump& pump, const MonotonicClock& clock,
                      const std::function<bool()>& interrupted) {
    for (PortExchange* exchange : exchanges) {
        exchange->start(clock.now());
    }
    auto running = [&] {
        return std::any_of(exchanges.begin(), exchanges.end(),
                           [](const PortExchange* e) { return !e->done(); });
    };
    while (running()) {
        std::chrono::nanoseconds next = std::chrono::nanoseconds::max();
        for (const PortExchange* exchange : exchanges) {
            if (!exchange->done()) {
                next = std::min(next, exchange->nextDeadline());
            }
        }
        pump.yieldFor(std::max(next - clock.now(), std::chrono::nanoseconds::zero()));
        if (interrupted()) {
            for (PortExchange* exchange : exchanges) {
                exchange->interrupt();
            }
            return;
        }
        const auto now = clock.now();
        for (PortExchange* exchange : exchanges) {
            exchange->advance(now);
        }
    }
}

}  // namespace veltara::core
