// Times the programming exchange over a pseudo-terminal against veltara-sim: the wall time from
// Output to the judgement and the CPU time this process spends meanwhile.
#include <time.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "benchsupport.h"
#include "link/portopening.h"
#include "link/programmingexchange.h"
#include "serial/portauthority.h"
#include "serial/qteventpump.h"
#include "serial/qtserialcontrol.h"

namespace {

using namespace veltara;
using bench::median;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int kDefaultExchanges = 10;
constexpr int kPort = 1;
constexpr Millis kWallSlack{15.0};
constexpr Millis kCpuBudget{20.0};

const std::vector<std::uint8_t> kFactoryFrame{
    0x03, 0x00, 0x05, 0x00, 0xE4, 0x40, 0x00, 0x00, 0xA4, 0x40, 0x00, 0x00, 0xA1, 0x64, 0x40, 0x00, 0x00,
    0xFF, 0xE0, 0x00, 0x00, 0x66, 0x60, 0x00, 0x00, 0x2C, 0x01, 0x00, 0x66, 0x60, 0x00, 0x00, 0xED};

Millis processCpuTime() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Counts the yields, so a loop that wakes more often than its bound shows up in the figures.
class CountingPump final : public core::EventPump {
public:
    void yield() override {
        ++yields;
        m_pump.yield();
    }
    void yieldFor(std::chrono::nanoseconds maxWait) override {
        ++yields;
        m_pump.yieldFor(maxWait);
    }
    int yields = 0;

private:
    qt::QtEventPump m_pump;
};

int usage() {
    std::fprintf(stderr, "usage: bench_exchange [--sim PATH] [--exchanges N] [--summary]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString simulatorPath = QStringLiteral(VELTARA_SIM_PATH);
    int exchanges = kDefaultExchanges;
    bool summary = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--sim" && i + 1 < args.size()) {
            simulatorPath = args[++i];
        } else if (args[i] == "--exchanges" && i + 1 < args.size()) {
            exchanges = std::max(1, args[++i].toInt());
        } else if (args[i] == "--summary") {
            summary = true;
        } else {
            return usage();
        }
    }

    // The simulator links COM1 in a private port folder, which the serial control then follows.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Its output goes nowhere: reading it would put a pipe into the loop whose cost we measure. The
    // link it makes tells when it is ready.
    QProcess simulator;
    simulator.setStandardOutputFile(QProcess::nullDevice());
    simulator.start(simulatorPath, {"--as", "COM1", "--reply", "ack"});
    const QFileInfo link(QString::fromStdString(qt::ports::portEntryPath(kPort).value()));
    QElapsedTimer waited;
    waited.start();
    while (simulator.state() != QProcess::NotRunning && !QFileInfo(link.filePath()).isSymLink() &&
           waited.elapsed() < 5000) {
        simulator.waitForFinished(10);
    }
    if (simulator.state() != QProcess::Running || !QFileInfo(link.filePath()).isSymLink()) {
        std::fprintf(stderr, "bench_exchange: cannot run %s\n", qPrintable(simulatorPath));
        return 1;
    }

    qt::QtSerialControl serial;
    CountingPump pump;
    core::SteadyClock clock;
    bool opened = true;
    core::runOpeningProcedure(serial, kPort, [&](const core::Error& error) {
        std::fprintf(stderr, "bench_exchange: opening COM1 failed: %s\n", error.text.c_str());
        opened = false;
    });
    if (!opened) {
        return 1;
    }

    std::printf("%d exchanges against veltara-sim (reply ack) on %s, event pump bound %lld ms\n", exchanges,
                serial.deviceName(kPort).c_str(),
                static_cast<long long>(qt::QtEventPump::kDefaultBound.count()));
    std::printf("target: wall <= %.0f ms + %.0f ms, cpu <= %.0f ms per exchange\n\n",
                Millis(core::kReplyWindow).count(), kWallSlack.count(), kCpuBudget.count());
    Millis worstOver{0}, worstCpu{0}, totalCpu{0};
    std::vector<double> walls, cpus;
    int accepted = 0;
    for (int i = 1; i <= exchanges; ++i) {
        pump.yields = 0;
        const auto wallStart = std::chrono::steady_clock::now();
        const Millis cpuStart = processCpuTime();
        const core::ExchangeResult result =
            core::runProgrammingExchange(serial, pump, clock, kFactoryFrame, [] { return false; });
        const Millis cpu = processCpuTime() - cpuStart;
        const Millis wall = std::chrono::steady_clock::now() - wallStart;
        const Millis over = wall - Millis(core::kReplyWindow);
        std::printf("exchange %2d: %-11s wall %7.2f ms (window + %5.2f ms)  cpu %5.2f ms  %d yields\n", i,
                    std::string(core::verdictKey(result.verdict)).c_str(), wall.count(), over.count(),
                    cpu.count(), pump.yields);
        walls.push_back(wall.count());
        cpus.push_back(cpu.count());
        worstOver = std::max(worstOver, over);
        worstCpu = std::max(worstCpu, cpu);
        totalCpu += cpu;
        accepted += result.verdict == core::Verdict::Accepted ? 1 : 0;
    }
    std::printf("\naccepted %d/%d; worst wall window + %.2f ms (%s); cpu mean %.2f ms, worst %.2f ms (%s)\n",
                accepted, exchanges, worstOver.count(),
                worstOver <= kWallSlack ? "within target" : "OVER TARGET", totalCpu.count() / exchanges,
                worstCpu.count(), worstCpu <= kCpuBudget ? "within target" : "OVER TARGET");

    if (summary) {
        // One line for scripts that put the figures beside others (bench/run).
        std::printf(
            "summary exchanges=%d accepted=%d wall_median_ms=%.2f wall_worst_ms=%.2f cpu_median_ms=%.2f "
            "cpu_worst_ms=%.2f\n",
            exchanges, accepted, median(walls), *std::max_element(walls.begin(), walls.end()), median(cpus),
            worstCpu.count());
    }

    (void)serial.setPortOpen(false);
    simulator.terminate();
    simulator.waitForFinished(5000);
    return accepted == exchanges ? 0 : 1;
}
