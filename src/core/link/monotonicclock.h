#pragma once

#include <chrono>

namespace veltara::core {

// Elapsed time that neither midnight nor a change of the wall clock disturbs.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
};

// The system's monotonic clock, counting also the time the machine was suspended, so that a
// suspend during the reply window shows as the jump it is (monotonicclock_linux.cpp says why Linux
// needs its own).
class SteadyClock final : public MonotonicClock {
public:
    std::chrono::nanoseconds now() const override;
};

}  // namespace veltara::core
