#pragma once

#include <sys/resource.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace veltara::bench {

// The runs per program and whether to add the "tsv" lines, from "[runs] [--tsv]".
struct Options {
    int runs;
    bool tsv;
};
Options parseOptions(int argc, char* argv[], int defaultRuns);

// One run of a program to its exit: what it printed on stdout, its wait status, the resources it used,
// and the steady-clock times just before the spawn and just after it was reaped.
struct ProcessRun {
    std::string output;
    int status = 0;
    rusage usage{};
    std::chrono::steady_clock::time_point spawned;
    std::chrono::steady_clock::time_point ended;
};

// Spawns argv[0] with stdout in a pipe and waits for it; nothing when it could not be started.
std::optional<ProcessRun> runProcess(const std::vector<std::string>& argv);

double millis(const timeval& t);

double median(std::vector<double> values);

// One field of every sample a program has taken.
template <class Program, class Sample>
std::vector<double> column(const Program& p, double Sample::*field) {
    std::vector<double> values;
    for (const Sample& s : p.samples) {
        values.push_back(s.*field);
    }
    return values;
}

// Takes `runs` samples of every program in turn, after one discarded warm-up round, so that all see the
// same warm caches; false as soon as one run fails.
template <class Program, class Measure>
bool sampleInTurn(std::vector<Program>& programs, int runs, Measure measure) {
    for (int run = -1; run < runs; ++run) {
        for (Program& p : programs) {
            const auto sample = measure(p);
            if (!sample) {
                return false;
            }
            if (run >= 0) {
                p.samples.push_back(*sample);
            }
        }
    }
    return true;
}

}  // namespace veltara::bench
