#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "common/result.h"
#include "link/eventpump.h"
#include "link/monotonicclock.h"
#include "link/serialcontrol.h"

namespace veltara::core {

inline constexpr std::uint8_t kAcknowledge = 0x55;
inline constexpr std::chrono::milliseconds kReplyWindow{1000};
// 33 bytes leave a 9600-baud line in about 34 ms; a transmit buffer that has not drained by then
// belongs to a port that stopped working, not to a slow line.
inline constexpr std::chrono::seconds kDrainLimit{10};

enum class ExchangeOutcome {
    Accepted,     // exactly one byte, 0x55
    Rejected,     // silence, a wrong byte or more than one byte
    LinkFailed,   // the port refused an operation (unplugged, closed); it has been closed
    Interrupted,  // the caller stopped the wait (the dialog closed, or another port was picked)
};

struct ExchangeResult {
    ExchangeOutcome outcome = ExchangeOutcome::Rejected;
    Error failure;  // what the port reported, for LinkFailed
};

// Sends the frame, waits until it has left the port, gives the converter one second and judges the
// reply. Yields to the event pump throughout; `interrupted` is asked after every yield.
ExchangeResult runProgrammingExchange(SerialControl& serial, EventPump& pump, const MonotonicClock& clock,
                                      std::span<const std::uint8_t> frame,
                                      const std::function<bool()>& interrupted);

}  // namespace veltara::core
