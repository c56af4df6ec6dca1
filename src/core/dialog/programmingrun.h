#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "dialog/messageboxes.h"
#include "link/eventpump.h"
#include "link/monotonicclock.h"
#include "link/programmingexchange.h"
#include "link/serialcontrol.h"

namespace veltara::core {

// One press of "Program Config" at a time: the window's exchange (nothing discarded before sending, no
// settle time), what may stop it while it waits, its verdict and the one message the window shows for it.
class ProgrammingRun {
public:
    ProgrammingRun(SerialControl& serial, EventPump& pump, const MonotonicClock& clock)
        : m_serial(serial), m_pump(pump), m_clock(clock) {}

    // True while the exchange waits for the converter; the press that started it has not returned.
    bool running() const { return m_running; }
    // The dialog is closing: the waiting exchange gives up without its message.
    void abandon() { m_abandoned = true; }
    // Another port was picked: the reply would be read from it, so this exchange cannot be judged.
    void portChanged() { m_portChanged = m_running; }
    // The press ended before anything was sent (settings refused, no open port).
    void refuse(Verdict why) { m_verdict = why; }

    ExchangeResult run(std::span<const std::uint8_t> frame);
    // NotRun while a press is still waiting.
    Verdict verdict() const { return m_verdict; }
    // What the window says of the verdict: one message for every failure, a pause included; nothing
    // when the dialog closed under the exchange.
    std::optional<Message> message() const;

private:
    SerialControl& m_serial;
    EventPump& m_pump;
    const MonotonicClock& m_clock;
    bool m_running = false;
    bool m_abandoned = false;
    bool m_portChanged = false;
    Verdict m_verdict = Verdict::NotRun;
};

}  // namespace veltara::core
