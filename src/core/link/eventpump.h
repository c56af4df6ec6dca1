#pragma once

namespace veltara::core {

// Lets the user interface process what is pending, then waits briefly for more (never spins).
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void yield() = 0;
};

}  // namespace veltara::core
