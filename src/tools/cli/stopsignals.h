#pragma once

namespace veltara::cli {

// While alive, SIGINT, SIGTERM and SIGHUP only note that the user asked to stop, so that the command
// can close its ports (releasing their lock files) and then exit as the signal asks (128 + number).
// The waits wake often enough to notice within a few milliseconds. One at a time per process.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that asked to stop, or 0.
    static int caught();
    // The exit code a process killed by the caught signal would report to a shell.
    static int exitCode() { return 128 + caught(); }
};

}  // namespace veltara::cli
