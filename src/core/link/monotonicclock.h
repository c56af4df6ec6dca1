#pragma once

#include <chrono>

namespace veltara::core {

// Elapsed time that neither midnight nor a change of the wall clock disturbs.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
};

class SteadyClock final : public MonotonicClock {
public:
    std::chrono::nanoseconds now() const override {
        return std::chrono::steady_clock::now().time_since_epoch();
    }
};

}  // namespace veltara::core
