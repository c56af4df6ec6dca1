#pragma once

#include <chrono>
#include <functional>

#include "convertersimulator.h"
#include "qteventpump.h"

namespace veltara::test {

// The Qt event pump with the simulated converter served on every yield, so the dialog and the
// converter share one thread and a test needs no locks.
class SimulatorPump final : public core::EventPump {
public:
    explicit SimulatorPump(sim::ConverterSimulator& simulator) : m_simulator(simulator) {}

    void yield() override {
        (void)m_simulator.step(std::chrono::milliseconds(0));  // fails only once the test hung it up
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

private:
    sim::ConverterSimulator& m_simulator;
    qt::QtEventPump m_pump;
};

}  // namespace veltara::test
