#include "benchsupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

extern char** environ;

namespace veltara::bench {

Options parseOptions(int argc, char* argv[], int defaultRuns) {
    Options options{defaultRuns, false};
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--tsv") {
            options.tsv = true;
        } else {
            options.runs = std::max(1, std::atoi(argv[i]));
        }
    }
    return options;
}

std::optional<ProcessRun> runProcess(const std::vector<std::string>& arguments) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : arguments) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);

    ProcessRun run;
    run.spawned = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char buffer[256];
    for (ssize_t got; !failed && (got = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        run.output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(out[0]);
    if (failed) {
        return std::nullopt;
    }
    ::wait4(pid, &run.status, 0, &run.usage);
    run.ended = std::chrono::steady_clock::now();
    return run;
}

double millis(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace veltara::bench
