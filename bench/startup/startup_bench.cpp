// Start-up of the program against the toolkit's floor. Each run spawns a probe and takes the time from the
// spawn to the probe's first painted frame, the processor time it used until then and its peak resident
// memory (ru_maxrss); the medians are printed side by side. The probes are the program itself, an empty
// QDialog of the same size (the floor the target is set against) and that dialog with one label, which
// shows what bringing up the font system alone costs. They run alternately in one scratch directory after
// one discarded warm-up run each, so all see a warm disk cache and veltara finds the settings file it
// wrote before, as on every start but the first. COM1 is a pseudo-terminal, so the port opens and no
// message box holds the start-up. Every probe reports the size of its window and the Qt platform it
// painted on; the bench refuses to compare probes that differ in either.
//
// Usage: startup_bench [runs per program, default 15] [--tsv]
// --tsv adds one line per program for scripts: "tsv", label, then the medians of ms to first paint, CPU ms
// and peak MiB, separated by tabs.
// Needs a display (e.g. under xvfb-run) or QT_QPA_PLATFORM=offscreen.
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "benchsupport.h"

namespace {

namespace fs = std::filesystem;
using namespace veltara::bench;

struct Sample {
    double firstPaintMs;
    double cpuMs;  // processor time up to the first paint: what other load on the machine does not inflate
    double peakMiB;
    std::string window;  // "<width>x<height> on <platform>"
};

struct Program {
    const char* label;
    fs::path path;
    const char* option;
    std::vector<Sample> samples;
};

std::optional<Sample> runOnce(const Program& program) {
    const std::string file = program.path.string();
    std::vector<std::string> argv{file};
    if (program.option != nullptr) {
        argv.emplace_back(program.option);
    }
    const std::optional<ProcessRun> run = runProcess(argv);
    if (!run) {
        return std::nullopt;
    }
    const int status = run->status;
    const std::string& output = run->output;
    long long paintedNs = 0;
    long long cpuUs = 0;
    int width = 0;
    int height = 0;
    char platform[32] = {};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(output.c_str(), "first-paint-ns %lld cpu-us %lld window %dx%d platform %31s", &paintedNs,
                    &cpuUs, &width, &height, platform) != 5) {
        std::fprintf(stderr, "%s did not report its first paint (status %d): %s\n", file.c_str(), status,
                     output.c_str());
        return std::nullopt;
    }
    const auto spawnedNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(run->spawned.time_since_epoch()).count();
    return Sample{static_cast<double>(paintedNs - spawnedNs) / 1e6, static_cast<double>(cpuUs) / 1e3,
                  static_cast<double>(run->usage.ru_maxrss) / 1024.0,
                  std::to_string(width) + "x" + std::to_string(height) + " on " + platform};
}

// COM1 of the scratch configuration folder names a pseudo-terminal that stays open for the whole run.
bool preparePort(const fs::path& scratch) {
    int master = -1;
    int slave = -1;
    char name[128];
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        return false;
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    const fs::path ports = scratch / "config" / "veltara" / "ports";
    std::error_code error;
    fs::create_directories(ports, error);
    fs::create_symlink(name, ports / "COM1", error);
    return !error && ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto [runs, tsv] = parseOptions(argc, argv, 15);
    const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
    // The third shows what the font system alone adds to the floor; the target is against the second.
    std::vector<Program> programs{{"veltara", here / "startup_probe_veltara", nullptr, {}},
                                  {"bare QDialog (floor)", here / "startup_probe_floor", nullptr, {}},
                                  {"QDialog + one label", here / "startup_probe_floor", "--with-text", {}}};

    char scratchTemplate[] = "/tmp/veltara-startup-XXXXXX";
    if (::mkdtemp(scratchTemplate) == nullptr || !preparePort(scratchTemplate)) {
        std::perror("startup_bench: scratch directory");
        return 1;
    }
    const fs::path scratch(scratchTemplate);
    fs::current_path(scratch);

    // The warm-up round warms the cache and writes the settings file.
    if (!sampleInTurn(programs, runs, runOnce)) {
        return 1;
    }

    fs::current_path("/");
    fs::remove_all(scratch);

    // A floor of another size, or painted on another platform, is no floor for this window.
    const std::string& window = programs[0].samples.front().window;
    for (const Program& p : programs) {
        for (const Sample& s : p.samples) {
            if (s.window != window) {
                std::fprintf(stderr, "startup_bench: %s showed %s but veltara %s; not comparable\n", p.label,
                             s.window.c_str(), window.c_str());
                return 1;
            }
        }
    }

    std::printf("Start-up to first paint and peak memory, %d runs each, window %s\n\n", runs, window.c_str());
    printTable(programs, 22, "to first paint:", &Sample::firstPaintMs);
    auto ratio = [&](double Sample::*field, std::size_t floor) {
        return median(column(programs[0], field)) / median(column(programs[floor], field));
    };
    std::printf("\nveltara / floor: time %.2f (target <= 1.20), CPU %.2f, memory %.2f (target <= 1.25)\n",
                ratio(&Sample::firstPaintMs, 1), ratio(&Sample::cpuMs, 1), ratio(&Sample::peakMiB, 1));
    std::printf("veltara / floor with text: time %.2f, CPU %.2f, memory %.2f\n",
                ratio(&Sample::firstPaintMs, 2), ratio(&Sample::cpuMs, 2), ratio(&Sample::peakMiB, 2));
    if (tsv) {
        printTsv(programs, &Sample::firstPaintMs);
    }
    return 0;
}
