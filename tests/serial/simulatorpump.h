#pragma once

#include <chrono>

#include "qttestpump.h"
#include "sim/convertersimulator.h"

namespace veltara::test {

// The Qt event pump with the simulated converter served on every yield, so the dialog and the
// converter share one thread and a test needs no locks.
class SimulatorPump final : public QtTestPump {
public:
    explicit SimulatorPump(sim::ConverterSimulator& simulator) : m_simulator(simulator) {}

private:
    void serve() override {
        (void)m_simulator.step(std::chrono::milliseconds(0));  // fails only once the test hung it up
    }

    sim::ConverterSimulator& m_simulator;
};

}  // namespace veltara::test
