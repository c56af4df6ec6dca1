#include "stopsignals.h"

#include <array>
#include <csignal>

#include "platform/stopdeadline.h"

namespace veltara::cli {

namespace {

volatile std::sig_atomic_t g_caught = 0;

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, kSignals.size()> g_previous{};

void note(int signal) {
    if (g_caught == 0) {
        g_caught = signal;
        platform::armStopDeadline(signal);
    }
}

}  // namespace

StopSignals::StopSignals() {
    g_caught = 0;
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &action, &g_previous[i]);
    }
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &g_previous[i], nullptr);
    }
}

int StopSignals::caught() {
    if (g_caught != 0) {
        // Seen, so the command is not blocked: it closes its ports and ends as the signal asks.
        platform::disarmStopDeadline();
    }
    return g_caught;
}

}  // namespace veltara::cli
