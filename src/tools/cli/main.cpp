// veltara-cli: programs a converter and reads frames without the window, for production lines and scripts.
#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"

namespace {

// Standard input read straight from descriptor 0, so that a read that fails (`decode < /some/folder`)
// is a failure the command reports rather than an end of input.
class StandardInput final : public std::streambuf {
protected:
    int_type underflow() override {
        ssize_t n = 0;
        do {
            n = ::read(STDIN_FILENO, m_buffer, sizeof m_buffer);
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            // The stream catches this and sets badbit, which is what the command checks.
            throw std::system_error(errno, std::generic_category(), "standard input");
        }
        if (n == 0) {
            return traits_type::eof();
        }
        setg(m_buffer, m_buffer, m_buffer + n);
        return traits_type::to_int_type(m_buffer[0]);
    }

private:
    char m_buffer[4096];
};

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
    const std::vector<std::string> args(argv + 1, argv + argc);
    StandardInput input;
    std::istream in(&input);
    veltara::cli::Streams io{in, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1,
                             ::isatty(STDERR_FILENO) == 1};
    const int code = veltara::cli::run(args, io);
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
