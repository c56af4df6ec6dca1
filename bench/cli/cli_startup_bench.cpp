// Start-up of `veltara-cli encode` against a bare Qt Core program: each run spawns the program and takes
// the wall time until it has exited, the processor time it used and its peak resident memory. The two
// run alternately, after one discarded warm-up run each, in an empty scratch directory (so encode finds no
// settings file and builds the frame from the start-up defaults); the medians are printed side by side.
//
// Usage: cli_startup_bench [runs per program, default 30] [--tsv]
// --tsv adds one line per program for scripts: "tsv", label, then the medians of wall ms, CPU ms and peak
// MiB, separated by tabs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

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

double millis(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

std::optional<Sample> runOnce(const Program& program) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : program.argv) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);

    const auto spawned = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string output;
    char buffer[256];
    for (ssize_t got; !failed && (got = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(out[0]);
    if (failed) {
        return std::nullopt;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const auto ended = std::chrono::steady_clock::now();
    const std::string firstLine = output.substr(0, output.find('\n'));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || firstLine.size() != program.outputLength) {
        std::fprintf(stderr, "%s failed (status %d): %s\n", argv[0], status, output.c_str());
        return std::nullopt;
    }
    return Sample{std::chrono::duration<double, std::milli>(ended - spawned).count(),
                  millis(usage.ru_utime) + millis(usage.ru_stime),
                  static_cast<double>(usage.ru_maxrss) / 1024.0};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<double> column(const Program& p, double Sample::*field) {
    std::vector<double> values;
    for (const Sample& s : p.samples) {
        values.push_back(s.*field);
    }
    return values;
}

}  // namespace

int main(int argc, char* argv[]) {
    int runs = 30;
    bool tsv = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--tsv") {
            tsv = true;
        } else {
            runs = std::max(1, std::atoi(argv[i]));
        }
    }
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
    for (int run = -1; run < runs; ++run) {
        for (Program& p : programs) {
            const std::optional<Sample> sample = runOnce(p);
            if (!sample) {
                return 1;
            }
            if (run >= 0) {  // run -1 warms the disk cache
                p.samples.push_back(*sample);
            }
        }
    }
    fs::current_path("/");
    fs::remove_all(scratch);

    std::printf("Command-line start-up to exit, %d runs each\n\n", runs);
    std::printf("%-30s %10s %8s %8s %12s %14s\n", "", "median ms", "min ms", "max ms", "CPU ms (med)",
                "peak RSS MiB");
    for (const Program& p : programs) {
        const std::vector<double> ms = column(p, &Sample::wallMs);
        std::printf("%-30s %10.1f %8.1f %8.1f %12.1f %14.1f\n", p.label, median(ms),
                    *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
                    median(column(p, &Sample::cpuMs)), median(column(p, &Sample::peakMiB)));
    }
    auto ratio = [&](double Sample::*field) {
        return median(column(programs[0], field)) / median(column(programs[1], field));
    };
    std::printf("\nveltara-cli encode / floor: time %.2f (target <= 1.30), CPU %.2f, memory %.2f\n",
                ratio(&Sample::wallMs), ratio(&Sample::cpuMs), ratio(&Sample::peakMiB));
    if (tsv) {
        for (const Program& p : programs) {
            std::printf("tsv\t%s\t%.1f\t%.1f\t%.1f\n", p.label, median(column(p, &Sample::wallMs)),
                        median(column(p, &Sample::cpuMs)), median(column(p, &Sample::peakMiB)));
        }
    }
    return 0;
}
