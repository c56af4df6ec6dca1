#include <time.h>

#include "link/monotonicclock.h"

namespace veltara::core {

// steady_clock (CLOCK_MONOTONIC) stops while the machine is suspended; a reply window that spans a
// suspend would then look unbroken. CLOCK_BOOTTIME runs on; every kernel since 2.6.39 has it, so the
// call cannot fail with this clock id and a valid address.
std::chrono::nanoseconds SteadyClock::now() const {
    timespec time{};
    (void)::clock_gettime(CLOCK_BOOTTIME, &time);
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

}  // namespace veltara::core
