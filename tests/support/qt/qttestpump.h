#pragma once

#include <chrono>
#include <functional>

#include "serial/qteventpump.h"

namespace veltara::test {

// The Qt event pump with a test's own work (the converter answering, a fault striking) after every
// yield, counting the yields.
class QtTestPump : public core::EventPump {
public:
    void yield() override {
        serve();
        m_pump.yield();
        ++yields;
        if (onYield) {
            onYield();
        }
    }

    // Keeps yielding for `duration`, e.g. to let late bytes arrive between presses.
    void run(std::chrono::milliseconds duration) {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end) {
            yield();
        }
    }

    int yields = 0;
    std::function<void()> onYield;

protected:
    // Work due before the wait of every yield, such as a simulated converter's turn.
    virtual void serve() {}

private:
    qt::QtEventPump m_pump;
};

}  // namespace veltara::test
