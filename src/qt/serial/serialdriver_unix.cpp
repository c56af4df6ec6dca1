#include "serialdriver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "common/systemerror.h"

namespace veltara::qt::driver {

namespace {

// A UART's FIFO and shift register lie beyond the driver's queue; at 9600 baud a 16-byte FIFO takes
// 17 ms to empty. Drivers without this request (USB adapters, pseudo-terminals) refuse it: nothing
// is held there then.
bool transmitterBusy(Handle fd) {
#ifdef TIOCSERGETLSR
    unsigned int status = 0;
    return ::ioctl(fd, TIOCSERGETLSR, &status) == 0 && (status & TIOCSER_TEMT) == 0;
#else
    (void)fd;
    return false;
#endif
}

}  // namespace

core::Result<int> queued(Handle fd, Direction direction) {
    int count = 0;
    if (::ioctl(fd, direction == Direction::Receive ? TIOCINQ : TIOCOUTQ, &count) != 0) {
        const int error = errno;
        return core::systemError(hungUp(fd) ? EIO : error);
    }
    if (direction == Direction::Transmit && transmitterBusy(fd)) {
        ++count;
    }
    return count;
}

bool hungUp(Handle fd) {
    pollfd probe{fd, POLLIN | POLLOUT, 0};
    return fd >= 0 && ::poll(&probe, 1, 0) > 0 && (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool writable(Handle fd) {
    pollfd probe{fd, POLLOUT, 0};
    return ::poll(&probe, 1, 0) > 0 && (probe.revents & POLLOUT) != 0;
}

core::Error permissionFailure(const QString& device) {
    // Asked as the effective user, as open() is: access() would answer for the real one.
    if (::faccessat(AT_FDCWD, QFile::encodeName(device).constData(), R_OK | W_OK, AT_EACCESS) != 0) {
        return core::systemError(errno);
    }
    return core::systemError(EBUSY);
}

}  // namespace veltara::qt::driver
