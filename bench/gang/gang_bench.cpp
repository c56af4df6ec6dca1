// Gang programming against a single exchange: eight veltara-sim converters, each on its own
// pseudo-terminal, are programmed by one `veltara-cli program` with eight --port options; the reference
// is the same command with one port. Both append every result to a --log file, as a production line
// keeping a trace does. Each run spawns the command and takes the wall time until it has
// exited and the processor time it used; the two alternate, after one discarded warm-up run each. The
// targets: eight converters in at most 1.15 times the wall time of one, and no more processor time per
// converter than the single exchange takes.
//
// Usage: gang_bench [runs per program, default 10] [--tsv]
// --tsv adds one line per program for scripts: "tsv", label, then the medians of wall ms, CPU ms per
// converter and peak MiB, separated by tabs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "benchsupport.h"

namespace {

namespace fs = std::filesystem;
using namespace veltara::bench;

constexpr int kGang = 8;

struct Sample {
    double wallMs;
    double cpuMs;  // per converter
    double peakMiB;
};

struct Program {
    const char* label;
    std::vector<std::string> argv;
    int converters;
    std::vector<Sample> samples;
};

// One simulated converter: a veltara-sim whose output goes to a file, so it never waits on a reader.
struct Converter {
    pid_t pid = 0;
    std::string device;
};

std::optional<Converter> startConverter(const fs::path& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    char* argv[] = {const_cast<char*>(VELTARA_SIM_PATH), const_cast<char*>("--reply"),
                    const_cast<char*>("ack"), nullptr};
    Converter converter;
    const int failed = ::posix_spawn(&converter.pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        return std::nullopt;
    }
    // Its first line names the device: "device /dev/pts/N".
    for (int wait = 0; wait < 500; ++wait) {
        std::ifstream in(log);
        std::string word;
        if (in >> word >> converter.device && word == "device") {
            return converter;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(converter.pid, SIGTERM);
    ::waitpid(converter.pid, nullptr, 0);
    return std::nullopt;
}

std::optional<Sample> runOnce(const Program& program) {
    const std::optional<ProcessRun> run = runProcess(program.argv);
    if (!run) {
        return std::nullopt;
    }
    // Every converter must have accepted, or the run measured something else.
    std::size_t accepted = 0;
    for (std::size_t at = 0;
         (at = run->output.find("Configuration is successfull!", at)) != std::string::npos; ++at) {
        ++accepted;
    }
    if (!WIFEXITED(run->status) || WEXITSTATUS(run->status) != 0 ||
        accepted != static_cast<std::size_t>(program.converters)) {
        std::fprintf(stderr, "%s failed (status %d): %s\n", program.label, run->status, run->output.c_str());
        return std::nullopt;
    }
    return Sample{std::chrono::duration<double, std::milli>(run->ended - run->spawned).count(),
                  (millis(run->usage.ru_utime) + millis(run->usage.ru_stime)) / program.converters,
                  static_cast<double>(run->usage.ru_maxrss) / 1024.0};
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto [runs, tsv] = parseOptions(argc, argv, 10);
    char scratchTemplate[] = "/tmp/veltara-gang-XXXXXX";
    if (::mkdtemp(scratchTemplate) == nullptr) {
        std::perror("gang_bench: scratch directory");
        return 1;
    }
    const fs::path scratch(scratchTemplate);

    std::vector<Converter> converters;
    for (int i = 0; i < kGang; ++i) {
        const auto converter = startConverter(scratch / ("sim" + std::to_string(i) + ".log"));
        if (!converter) {
            std::fprintf(stderr, "gang_bench: veltara-sim %d did not start\n", i);
            break;
        }
        converters.push_back(*converter);
    }

    int status = 1;
    if (converters.size() == kGang) {
        const std::string log = "--log=" + (scratch / "results.jsonl").string();
        std::vector<std::string> gang = {VELTARA_CLI_PATH, "program", "--defaults", log};
        for (const Converter& c : converters) {
            gang.push_back("--port=" + c.device);
        }
        std::vector<Program> programs{
            {"one converter",
             {VELTARA_CLI_PATH, "program", "--defaults", log, "--port", converters[0].device},
             1,
             {}},
            {"8 converters at once", gang, kGang, {}}};
        if (sampleInTurn(programs, runs, runOnce)) {
            std::printf("veltara-cli program --log, spawn to exit, %d runs each (CPU time per converter)\n\n",
                        runs);
            printTable(programs, 22, "", &Sample::wallMs);
            auto ratio = [&](double Sample::*field) {
                return median(column(programs[1], field)) / median(column(programs[0], field));
            };
            std::printf(
                "\n8 converters / one: wall time %.2f (target <= 1.15), CPU per converter %.2f (target "
                "<= 1.00)\n",
                ratio(&Sample::wallMs), ratio(&Sample::cpuMs));
            if (tsv) {
                printTsv(programs, &Sample::wallMs);
            }
            status = 0;
        }
    }
    for (const Converter& c : converters) {
        ::kill(c.pid, SIGTERM);
        ::waitpid(c.pid, nullptr, 0);
    }
    fs::remove_all(scratch);
    return status;
}
