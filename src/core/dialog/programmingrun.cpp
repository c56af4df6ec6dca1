#include "dialog/programmingrun.h"

#include "dialog/dialog.h"

namespace veltara::core {

ExchangeResult ProgrammingRun::run(std::span<const std::uint8_t> frame) {
    m_running = true;
    m_abandoned = false;
    m_portChanged = false;
    m_verdict = Verdict::NotRun;
    ExchangeResult result = runProgrammingExchange(m_serial, m_pump, m_clock, frame,
                                                   [this] { return m_abandoned || m_portChanged; });
    m_running = false;
    m_verdict = result.verdict;
    if (result.verdict == Verdict::Stopped && !m_abandoned) {
        // Another port picked during the wait means this one got no answer; closing says nothing.
        m_verdict = Verdict::PortChanged;
    }
    return result;
}

std::optional<Message> ProgrammingRun::message() const {
    switch (m_verdict) {
        case Verdict::Accepted:
            return Message{Dialog::kConfigSucceeds, "config confirmation", MessageIcon::Information};
        case Verdict::Stopped:
        case Verdict::NotRun:
            return std::nullopt;
        default:
            return Message{Dialog::kConfigFails, "Config confirmation", MessageIcon::Information};
    }
}

}  // namespace veltara::core
