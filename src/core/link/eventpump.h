#pragma once

#include <chrono>

namespace veltara::core {

// Lets the user interface process what is pending, then waits briefly for more (never spins).
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void yield() = 0;
    // The same, but waits no longer than maxWait, so a wait that ends at a deadline ends on time
    // without waking more often than usual.
    virtual void yieldFor(std::chrono::nanoseconds maxWait) {
        (void)maxWait;
        yield();
    }
};

}  // namespace veltara::core
