#pragma once

#include <QTimer>
#include <chrono>

#include "link/eventpump.h"

namespace veltara::qt {

// The core's waits on the Qt event loop: each yield handles what is pending (window events, serial
// notifiers that move bytes), then sleeps until the next event arrives or `bound` has passed, so the
// dialog stays responsive and the process does not spin.
class QtEventPump final : public core::EventPump {
public:
    static constexpr std::chrono::milliseconds kDefaultBound{10};

    explicit QtEventPump(std::chrono::milliseconds bound = kDefaultBound);
    void yield() override;
    void yieldFor(std::chrono::nanoseconds maxWait) override;

private:
    std::chrono::milliseconds m_bound;
    QTimer m_wakeUp;
};

}  // namespace veltara::qt
