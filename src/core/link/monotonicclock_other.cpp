#include "link/monotonicclock.h"

namespace veltara::core {

// Elsewhere (Windows: the performance counter) the steady clock runs on through a suspend.
std::chrono::nanoseconds SteadyClock::now() const {
    return std::chrono::steady_clock::now().time_since_epoch();
}

}  // namespace veltara::core
