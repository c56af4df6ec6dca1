#include "ptypair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <thread>

namespace veltara::test {

namespace {
constexpr auto kPatience = std::chrono::seconds(1);
}

PtyPair::PtyPair() {
    termios raw{};
    ::cfmakeraw(&raw);
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = name;
}

PtyPair::~PtyPair() {
    hangUp();
}

void PtyPair::send(const std::vector<std::uint8_t>& bytes) {
    offer(bytes);
}

std::size_t PtyPair::offer(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool PtyPair::waitUntilQueued(int count) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    int queued = 0;
    while (::ioctl(m_slave, TIOCINQ, &queued) == 0 && queued < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return queued == count;
}

std::vector<std::uint8_t> PtyPair::receive(std::size_t count) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{m_master, POLLIN, 0};
        if (::poll(&ready, 1, 10) <= 0) {
            continue;
        }
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(m_master, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
    }
    return bytes;
}

std::vector<std::uint8_t> PtyPair::take() {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    for (ssize_t n; m_master >= 0 && (n = ::read(m_master, buffer, sizeof buffer)) > 0;) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

std::size_t PtyPair::drain() {
    return take().size();
}

termios PtyPair::lineSettings() const {
    termios settings{};
    ::tcgetattr(m_slave, &settings);
    return settings;
}

void PtyPair::closeMaster() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

void PtyPair::hangUp() {
    closeMaster();
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

}  // namespace veltara::test
