#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/portexchange.h"

namespace veltara::cli {

// A port to program: the name the user gave and the device it stands for.
struct PortTarget {
    std::string name;
    QString device;
};

struct PortReport {
    PortTarget target;
    bool opened = false;
    core::PortVerdict verdict = core::PortVerdict::Pending;
    std::string error;  // why the port did not open, or what it reported during the exchange
};

// Opens every port as the dialog opens one, sends the same frame to all of them at once and judges
// each reply on its own (its own window and settle time), on one thread. Ports that do not open are
// reported and the others programmed. Every port is closed again, its lock released, before this
// returns, also when `interrupted` stops the wait.
std::vector<PortReport> programPorts(const std::vector<PortTarget>& targets,
                                     std::span<const std::uint8_t> frame, std::chrono::milliseconds settle,
                                     const std::function<bool()>& interrupted);

}  // namespace veltara::cli
