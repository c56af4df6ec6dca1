#include "qteventpump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <thread>

namespace veltara::qt {

QtEventPump::QtEventPump(std::chrono::milliseconds bound) : m_bound(bound) {
    // The reply window ends on the first yield past its second; a precise timer keeps that overshoot
    // within the bound instead of the 5 % slack of a coarse one.
    m_wakeUp.setTimerType(Qt::PreciseTimer);
    m_wakeUp.setSingleShot(true);
}

void QtEventPump::yield() {
    yieldFor(m_bound);
}

void QtEventPump::yieldFor(std::chrono::nanoseconds maxWait) {
    // Whole milliseconds, rounded up, at least one: a zero timer would turn the wait into a spin.
    const auto wait = std::clamp(std::chrono::ceil<std::chrono::milliseconds>(maxWait),
                                 std::chrono::milliseconds(1), m_bound);
    if (QCoreApplication::instance() == nullptr) {
        // No event loop to wait on: still never spin.
        std::this_thread::sleep_for(wait);
        return;
    }
    // The timer only wakes the loop; it needs no handler. With events pending, processEvents handles
    // them and returns without waiting.
    m_wakeUp.start(wait);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace veltara::qt
