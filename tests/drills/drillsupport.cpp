#include "drillsupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <sstream>

extern char** environ;

namespace veltara::test {

using Clock = std::chrono::steady_clock;

Child::Child(const std::vector<std::string>& argv) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    if (::posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    m_out = pipeFds[0];
}

Child::~Child() {
    if (m_pid > 0) {
        kill();
        finish(std::chrono::seconds(5));
    }
    if (m_out >= 0) {
        ::close(m_out);
    }
}

bool Child::readSome(int timeoutMs) {
    pollfd ready{m_out, POLLIN, 0};
    if (::poll(&ready, 1, timeoutMs) <= 0) {
        return true;  // nothing yet
    }
    char buffer[4096];
    const ssize_t n = ::read(m_out, buffer, sizeof buffer);
    if (n <= 0) {
        return false;  // the child closed its output: it has ended
    }
    m_output.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool Child::waitForLine(const std::string& line, std::chrono::milliseconds limit) {
    return !waitForLine([&line](const std::string& candidate) { return candidate == line; }, limit).empty();
}

std::string Child::waitForLine(const std::function<bool(const std::string&)>& wanted,
                               std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        for (std::size_t end; (end = m_output.find('\n', m_scanned)) != std::string::npos;) {
            std::string line = m_output.substr(m_scanned, end - m_scanned);
            m_scanned = end + 1;
            if (wanted(line)) {
                return line;
            }
        }
        if (m_pid <= 0 || Clock::now() >= deadline || !readSome(5)) {
            return {};
        }
    }
}

void Child::kill() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
    }
}

void Child::send(int signalNumber) {
    if (m_pid > 0) {
        ::kill(m_pid, signalNumber);
    }
}

bool Child::finish(std::chrono::milliseconds limit) {
    if (m_pid <= 0) {
        return false;
    }
    const auto deadline = Clock::now() + limit;
    bool killed = false;
    // A grandchild (under runuser) may outlive a killed child and keep the pipe open: stop reading then.
    while (readSome(10) && !(killed && Clock::now() >= deadline + std::chrono::seconds(5))) {
        if (!killed && Clock::now() >= deadline) {
            kill();
            killed = true;
        }
    }
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    if (WIFEXITED(status)) {
        m_exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        m_signal = WTERMSIG(status);
    }
    return !killed;
}

std::vector<std::string> HelperRun::lines() const {
    std::vector<std::string> result;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

HelperRun runHelper(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
    Child child(argv);
    HelperRun run;
    if (!child.started()) {
        run.output = "cannot start " + argv[0];
        return run;
    }
    run.finished = child.finish(limit);
    run.exitCode = child.exitCode();
    run.output = child.output();
    return run;
}

long residentKiB() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

std::vector<std::uint8_t> noiseBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t state = 0x9E3779B9u;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
        if (b == 0x55) {
            b = 0x54;
        }
    }
    return bytes;
}

}  // namespace veltara::test
