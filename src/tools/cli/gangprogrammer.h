#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/programmingexchange.h"

namespace veltara::cli {

// A port to program: the name the user gave and the device it stands for.
struct PortTarget {
    std::string name;
    QString device;
};

struct PortReport {
    PortTarget target;
    // PortNotOpen, with the opening's reason, for a port that did not open.
    core::ExchangeResult result;
};

struct GangWatchers {
    std::function<bool()> interrupted = [] { return false; };
    // Each port's report as soon as its verdict is known (ports that did not open first).
    std::function<void(const PortReport&)> finished{};
    // Asked once the ports are open, before anything is sent: false ends every exchange unsent.
    std::function<bool()> mayStart = [] { return true; };
    // While converters are still being waited for: the time since sending and the ports still waiting.
    std::function<void(std::chrono::nanoseconds elapsed, const std::vector<const PortTarget*>& waiting)>
        waiting{};
};

// Opens every port as the dialog opens one, sends the same frame to all of them at once and judges
// each reply on its own (its own window and settle time), on one thread. Ports that do not open are
// reported and the others programmed. Every port is closed again, its lock released, before this
// returns, also when `interrupted` stops the wait. The reports keep the order of `targets`.
std::vector<PortReport> programPorts(const std::vector<PortTarget>& targets,
                                     std::span<const std::uint8_t> frame, std::chrono::milliseconds settle,
                                     const GangWatchers& watchers);

}  // namespace veltara::cli
