#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "helperprogram.h"

namespace veltara::test {

// A helper program run as a child with its output (stdout and stderr) in a pipe, so that a drill can
// wait for a line, kill it at a chosen moment and never wait on it without a limit.
class Child {
public:
    explicit Child(const std::vector<std::string>& argv);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    // Reads output until a line equal to `line` has come; false if the child ended or time ran out.
    bool waitForLine(const std::string& line, std::chrono::milliseconds limit);
    // Reads output until a line that `wanted` accepts has come and returns it; empty if the child ended
    // or time ran out.
    std::string waitForLine(const std::function<bool(const std::string&)>& wanted,
                            std::chrono::milliseconds limit);
    void kill();
    void send(int signalNumber);
    // Reads the rest of the output and reaps the child, killing it once `limit` has passed; true when it
    // ended by itself.
    bool finish(std::chrono::milliseconds limit);

    const std::string& output() const { return m_output; }
    // The exit code, or -1 after a signal.
    int exitCode() const { return m_exitCode; }
    int signal() const { return m_signal; }

private:
    bool readSome(int timeoutMs);

    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_output;
    std::size_t m_scanned = 0;
    int m_exitCode = -1;
    int m_signal = 0;
};

struct HelperRun {
    bool finished = false;
    int exitCode = -1;
    std::string output;
    std::vector<std::string> lines() const;
};

// Runs a helper to its end, killing it after `limit` (a hang).
HelperRun runHelper(const std::vector<std::string>& argv, std::chrono::milliseconds limit);

// This process's resident memory.
long residentKiB();

// Bytes that never form a frame or an acknowledgement by accident.
std::vector<std::uint8_t> noiseBytes(std::size_t count);

}  // namespace veltara::test
