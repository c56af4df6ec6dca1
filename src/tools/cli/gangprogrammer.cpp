#include "gangprogrammer.h"

#include <memory>
#include <optional>

#include "link/portopening.h"
#include "serial/qteventpump.h"
#include "serial/qtserialcontrol.h"

namespace veltara::cli {

using namespace core;

std::vector<PortReport> programPorts(const std::vector<PortTarget>& targets,
                                     std::span<const std::uint8_t> frame, std::chrono::milliseconds settle,
                                     const GangWatchers& watchers) {
    std::vector<PortReport> reports;
    std::vector<std::unique_ptr<qt::QtSerialControl>> ports;
    std::vector<std::unique_ptr<ProgrammingExchange>> exchanges;
    std::vector<ProgrammingExchange*> running;
    std::vector<std::size_t> runningReport;  // the report each running exchange fills
    reports.reserve(targets.size());
    const ExchangeOptions options{.discardBeforeSending = true, .settle = settle};
    for (const PortTarget& target : targets) {
        PortReport& report = reports.emplace_back();
        report.target = target;
        auto& serial = ports.emplace_back(std::make_unique<qt::QtSerialControl>());
        serial->setDeviceOverride(target.device);
        std::optional<Error> failure;
        // The device is named by the override; the port number only has to be a valid one.
        runOpeningProcedure(*serial, 1, [&](const Error& error) {
            if (!failure) {
                failure = error;
            }
        });
        const Result<bool> open = serial->portOpen();
        if (open && open.value()) {
            running.push_back(
                exchanges.emplace_back(std::make_unique<ProgrammingExchange>(*serial, frame, options)).get());
            runningReport.push_back(reports.size() - 1);
            continue;
        }
        report.result.verdict = Verdict::PortNotOpen;
        report.result.failure = failure.value_or(Error{ErrorCode::Io, "it does not open"});
        if (watchers.finished) {
            watchers.finished(report);
        }
    }

    SteadyClock clock;
    const auto started = clock.now();
    if (watchers.interrupted() || !watchers.mayStart()) {
        for (ProgrammingExchange* exchange : running) {
            exchange->stop(started);
        }
    } else if (!running.empty()) {
        qt::QtEventPump pump;
        std::vector<const PortTarget*> waiting;
        runProgrammingExchanges(running, pump, clock,
                                {.interrupted = watchers.interrupted,
                                 .finished =
                                     [&](std::size_t i) {
                                         PortReport& report = reports[runningReport[i]];
                                         report.result = running[i]->result();
                                         // Closed at once, so that its lock is not held while the others are
                                         // waited for.
                                         (void)ports[runningReport[i]]->setPortOpen(false);
                                         if (watchers.finished) {
                                             watchers.finished(report);
                                         }
                                     },
                                 .waiting =
                                     [&](std::chrono::nanoseconds now) {
                                         if (!watchers.waiting) {
                                             return;
                                         }
                                         waiting.clear();
                                         for (std::size_t i = 0; i < running.size(); ++i) {
                                             if (!running[i]->done()) {
                                                 waiting.push_back(&reports[runningReport[i]].target);
                                             }
                                         }
                                         watchers.waiting(now - started, waiting);
                                     }});
    }
    for (std::size_t i = 0; i < running.size(); ++i) {
        reports[runningReport[i]].result = running[i]->result();
    }
    for (auto& port : ports) {
        (void)port->setPortOpen(false);
    }
    return reports;
}

}  // namespace veltara::cli
