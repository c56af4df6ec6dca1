// veltara-cli: programs a converter and reads frames without the window, for production lines and scripts.
#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

namespace {

// A descriptor 0..2 that was closed (`veltara-cli encode >&-`) would be handed to the next file opened
// (an event descriptor of Qt's), and our output would go there. A read-only /dev/null holds the place,
// so that every write to it fails as a write to a closed stdout should.
void holdStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int placeholder = ::open("/dev/null", O_RDONLY);
            if (placeholder >= 0 && placeholder != fd) {
                ::dup2(placeholder, fd);
                ::close(placeholder);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    holdStandardDescriptors();
    // A reader that went away (`veltara-cli ports | head -1`) is a write error we report, not a death.
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a log file past the size limit (ulimit -f): its write fails and is reported, with the
    // results of converters already programmed still printed.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code = veltara::cli::run(args, std::cout, std::cerr);
    // A result that did not reach stdout (a full disk, a closed descriptor) is no result.
    errno = 0;
    std::cout.flush();
    const bool lost = !std::cout.good() || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (lost) {
        const int error = errno;
        std::cerr << "veltara-cli: cannot write to standard output"
                  << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
        return veltara::cli::kExitUsageOrIo;
    }
    return code;
}
