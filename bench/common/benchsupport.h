#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

// The table of figures: a row per program with the median, least and greatest of `time`, then the
// medians of its CPU time and peak memory.
template <class Program, class Sample>
void printTable(const std::vector<Program>& programs, int labelWidth, const char* heading,
                double Sample::*time) {
    std::printf("%-*s %10s %8s %8s %12s %14s\n", labelWidth, heading, "median ms", "min ms", "max ms",
                "CPU ms (med)", "peak RSS MiB");
    for (const Program& p : programs) {
        const std::vector<double> ms = column(p, time);
        std::printf("%-*s %10.1f %8.1f %8.1f %12.1f %14.1f\n", labelWidth, p.label, median(ms),
                    *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
                    median(column(p, &Sample::cpuMs)), median(column(p, &Sample::peakMiB)));
    }
}

// For scripts (--tsv): "tsv", the label, then the medians of `time`, CPU ms and peak MiB, separated by
// tabs.
template <class Program, class Sample>
void printTsv(const std::vector<Program>& programs, double Sample::*time) {
    for (const Program& p : programs) {
        std::printf("tsv\t%s\t%.1f\t%.1f\t%.1f\n", p.label, median(column(p, time)),
                    median(column(p, &Sample::cpuMs)), median(column(p, &Sample::peakMiB)));
    }
}

}  // namespace veltara::bench
