#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

#include "endsignals.h"
#include "platform/stopdeadline.h"

namespace veltara::app {

namespace {

constexpr std::array kEndingSignals = {SIGTERM, SIGHUP, SIGINT};

// The handler may only write to a pipe; the event loop reads it.
int g_pipe[2] = {-1, -1};

void onEndingSignal(int signalNumber) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    (void)!::write(g_pipe[1], &byte, 1);
    // Should the event loop never read the pipe (start-up blocked in a system call), the program still
    // ends within a second.
    platform::armStopDeadline(signalNumber);
    errno = saved;
}

void setHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
    setHandler(SIGXFSZ, SIG_IGN);
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the signals keep their default action: the program ends as before, unsaved
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndSignals::drain);
    for (int signalNumber : kEndingSignals) {
        setHandler(signalNumber, onEndingSignal);
    }
}

EndSignals::~EndSignals() {
    if (m_notifier == nullptr) {
        return;
    }
    for (int signalNumber : kEndingSignals) {
        setHandler(signalNumber, SIG_DFL);
    }
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void EndSignals::drain() {
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        if (m_received != 0) {
            continue;
        }
        m_received = byte;
        platform::disarmStopDeadline();
        // The shutdown runs once; should it hang, the next signal ends the program as it would have.
        for (int signalNumber : kEndingSignals) {
            setHandler(signalNumber, SIG_DFL);
        }
        emit ending(m_received);
    }
}

}  // namespace veltara::app
