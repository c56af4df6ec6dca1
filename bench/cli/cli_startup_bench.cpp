// Start-up of `veltara-cli encode` against a bare Qt Core program: each run spawns the program and takes
// the wall time until it has exited, the processor time it used and its peak resident memory. The two
// run alternately, after one discarded warm-up run each, in an empty scratch directory (so encode finds no
// settings file and builds the frame from the start-up defaults); the medians are printed side by side.
//
// Usage: cli_startup_bench [runs per program, default 30] [--tsv]
// --tsv adds one line per program for scripts: "tsv", label, then the medians of wall ms, CPU ms and peak
// MiB, separated by tabs.
#include <sys/wait.h>

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
    double wallMs;
    double cpuMs;
    double peakMiB;
};

struct Program {
    const char* label;
    std::vector<std::string> argv;
    // The length of the first line it prints, so that a run that failed is never timed as a fast one.
    std::size_t outputLength;
    std::vector<Sample> samples;
};

std::optional<Sample> runOnce(const Program& program) {
    const std::optional<ProcessRun> run = runProcess(program.argv);
    if (!run) {
        return std::nullopt;
    }
    const int status = run->status;
    const std::string firstLine = run->output.substr(0, run->output.find('\n'));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || firstLine.size() != program.outputLength) {
        std::fprintf(stderr, "%s failed (status %d): %s\n", program.argv[0].c_str(), status,
                     run->output.c_str());
        return std::nullopt;
    }
    return Sample{std::chrono::duration<double, std::milli>(run->ended - run->spawned).count(),
                  millis(run->usage.ru_utime) + millis(run->usage.ru_stime),
                  static_cast<double>(run->usage.ru_maxrss) / 1024.0};
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto [runs, tsv] = parseOptions(argc, argv, 30);
    // The frame is 33 bytes as hexadecimal pairs with a space between them.
    std::vector<Program> programs{{"veltara-cli encode", {VELTARA_CLI_PATH, "encode"}, 33 * 3 - 1, {}},
                                  {"bare QCoreApplication (floor)", {VELTARA_BARE_QTCORE_PATH}, 5, {}}};

    char scratchTemplate[] = "/tmp/veltara-cli-startup-XXXXXX";
    if (::mkdtemp(scratchTemplate) == nullptr) {
        std::perror("cli_startup_bench: scratch directory");
        return 1;
    }
    const fs::path scratch(scratchTemplate);
    fs::current_path(scratch);
    // The warm-up round warms the disk cache.
    if (!sampleInTurn(programs, runs, runOnce)) {
        return 1;
    }
    fs::current_path("/");
    fs::remove_all(scratch);

    std::printf("Command-line start-up to exit, %d runs each\n\n", runs);
    printTable(programs, 30, "", &Sample::wallMs);
    auto ratio = [&](double Sample::*field) {
        return median(column(programs[0], field)) / median(column(programs[1], field));
    };
    std::printf("\nveltara-cli encode / floor: time %.2f (target <= 1.30), CPU %.2f, memory %.2f\n",
                ratio(&Sample::wallMs), ratio(&Sample::cpuMs), ratio(&Sample::peakMiB));
    if (tsv) {
        printTsv(programs, &Sample::wallMs);
    }
    return 0;
}
