#include "gangprogrammer.h"

#include <memory>

#include "link/portopening.h"
#include "qteventpump.h"
#include "qtserialcontrol.h"

namespace veltara::cli {

using namespace core;

std::vector<PortReport> programPorts(const std::vector<PortTarget>& targets,
                                     std::span<const std::uint8_t> frame, std::chrono::milliseconds settle,
                                     const std::function<bool()>& interrupted) {
    std::vector<PortReport> reports;
    std::vector<std::unique_ptr<qt::QtSerialControl>> ports;
    std::vector<std::unique_ptr<PortExchange>> exchanges;
    std::vector<PortExchange*> running;
    reports.reserve(targets.size());
    for (const PortTarget& target : targets) {
        PortReport& report = reports.emplace_back();
        report.target = target;
        auto& serial = ports.emplace_back(std::make_unique<qt::QtSerialControl>());
        serial->setDeviceOverride(target.device);
        // The device is named by the override; the port number only has to be a valid one.
        runOpeningProcedure(*serial, 1, [&](const Error& error) {
            if (report.error.empty()) {
                report.error = error.text;
            }
        });
        const Result<bool> open = serial->portOpen();
        report.opened = open && open.value();
        if (report.opened) {
            report.error.clear();
            running.push_back(
                exchanges.emplace_back(std::make_unique<PortExchange>(*serial, frame, settle)).get());
        } else if (report.error.empty()) {
            report.error = "it does not open";
        }
    }

    if (interrupted()) {
        for (PortExchange* exchange : running) {
            exchange->interrupt();
        }
    } else if (!running.empty()) {
        SteadyClock clock;
        qt::QtEventPump pump;
        runPortExchanges(running, pump, clock, interrupted);
    }

    auto exchange = running.begin();
    for (std::size_t i = 0; i < reports.size(); ++i) {
        if (reports[i].opened) {
            reports[i].verdict = (*exchange)->verdict();
            reports[i].error = (*exchange)->failure();
            ++exchange;
        }
        (void)ports[i]->setPortOpen(false);
    }
    return reports;
}

}  // namespace veltara::cli
