#include "stopdeadline.h"

#include <unistd.h>

#include <csignal>

namespace veltara::platform {

namespace {

volatile std::sig_atomic_t g_signal = 0;

void onDeadline(int) {
    ::_exit(128 + g_signal);
}

}  // namespace

void armStopDeadline(int signalNumber) {
    if (g_signal != 0) {
        return;
    }
    g_signal = signalNumber;
    struct sigaction action {};
    action.sa_handler = onDeadline;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, nullptr);
    ::alarm(1);
}

void disarmStopDeadline() {
    ::alarm(0);
}

}  // namespace veltara::platform
