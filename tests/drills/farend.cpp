#include "farend.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace veltara::test {

FarEnd::FarEnd() {
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

FarEnd::~FarEnd() {
    hangUp();
}

std::size_t FarEnd::offer(std::span<const std::uint8_t> bytes) {
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

std::vector<std::uint8_t> FarEnd::take() {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    for (ssize_t n; m_master >= 0 && (n = ::read(m_master, buffer, sizeof buffer)) > 0;) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

void FarEnd::hangUp() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

}  // namespace veltara::test
