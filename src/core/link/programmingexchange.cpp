#include "link/programmingexchange.h"

namespace veltara::core {

namespace {

ExchangeResult linkFailed(SerialControl& serial, const Error& error) {
    // Leave no half-dead port behind: the user reopens it by picking the port again.
    (void)serial.setPortOpen(false);
    return {ExchangeOutcome::LinkFailed, error};
}

}  // namespace

ExchangeResult runProgrammingExchange(SerialControl& serial, EventPump& pump, const MonotonicClock& clock,
                                      std::span<const std::uint8_t> frame,
                                      const std::function<bool()>& interrupted) {
    if (const Status sent = serial.output(frame); !sent) {
        return linkFailed(serial, sent.error());
    }

    const auto drainStart = clock.now();
    for (;;) {
        pump.yield();
        if (interrupted()) {
            return {ExchangeOutcome::Interrupted, {}};
        }
        const Result<int> pending = serial.outBufferCount();
        if (!pending) {
            return linkFailed(serial, pending.error());
        }
        if (pending.value() == 0) {
            break;
        }
        if (clock.now() - drainStart >= kDrainLimit) {
            return linkFailed(serial, {ErrorCode::Io, "the frame did not leave the port"});
        }
    }

    const auto windowStart = clock.now();
    for (;;) {
        const auto elapsed = clock.now() - windowStart;
        if (elapsed >= kReplyWindow) {
            break;
        }
        pump.yieldFor(kReplyWindow - elapsed);
        if (interrupted()) {
            return {ExchangeOutcome::Interrupted, {}};
        }
    }

    const Result<int> received = serial.inBufferCount();
    if (!received) {
        return linkFailed(serial, received.error());
    }
    if (received.value() == 1) {
        const Result<std::vector<std::uint8_t>> reply = serial.input();
        if (!reply) {
            return linkFailed(serial, reply.error());
        }
        if (!reply.value().empty() && reply.value()[0] == kAcknowledge) {
            return {ExchangeOutcome::Accepted, {}};
        }
    }
    if (const Status discarded = serial.setInBufferCount(0); !discarded) {
        return linkFailed(serial, discarded.error());
    }
    return {ExchangeOutcome::Rejected, {}};
}

}  // namespace veltara::core
