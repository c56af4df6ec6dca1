// veltara-sim: a converter on a pseudo-terminal, to try the dialog and the command-line tool without
// hardware.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "convertersimulator.h"
#include "platform/stopdeadline.h"
#include "serial/portauthority.h"

namespace {

using namespace veltara;

constexpr auto kPollInterval = std::chrono::milliseconds(100);

volatile std::sig_atomic_t g_stop = 0;

void requestStop(int signalNumber) {
    g_stop = 1;
    veltara::platform::armStopDeadline(signalNumber);
}

constexpr const char* kUsage = R"(Usage: veltara-sim [--as COMn] [--reply MODE]

Simulates the RS232-CAN converter on a pseudo-terminal pair. Prints the device
path, then one line per configuration frame received and per answer given, as
CAN dump tools do: the time (seconds since 1970, to the microsecond), rx or tx,
the byte count and the raw bytes in hexadecimal, then the frame's settings
decoded. A frame whose checksum is wrong is reported and not answered; one
the dialog could never send is marked "the dialog never sends this: ...".

Options:
  --as COMn      Also make the dialog's COMn (n = 1..8) reach the simulator: creates
                 the link ~/.config/veltara/ports/COMn (under $XDG_CONFIG_HOME if set)
                 and removes it on exit. An existing entry is replaced only when it
                 is a link left behind by an earlier simulator.
  --reply MODE   How the converter answers a frame (default: ack):
                   ack     0x55 at once (the configuration is accepted)
                   silent  no answer
                   nak     one byte other than 0x55 (0xAA)
                   double  0x55 twice
                   late    0x55 after 1.5 seconds, too late for the dialog
                   strict  0x55, but 0xAA to a frame the dialog never sends
                           (a rate code off its lists, a reserved bit set, ...)
  --help         Show this text.
  --version      Show the version.

An option's value may also follow an equals sign: --as=COM1, --reply=silent.
Stop it with Ctrl-C (or SIGTERM); the COMn link is removed.
)";

struct Options {
    std::optional<int> port;
    sim::ReplyMode reply = sim::ReplyMode::Ack;
};

int usageError(const std::string& text) {
    std::cerr << "veltara-sim: " << text << "; see 'veltara-sim --help'\n";
    return 2;
}

// Returns the exit code when the program should stop at once (help, version, a usage error).
std::optional<int> parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "veltara-sim " << VELTARA_VERSION << '\n';
            return 0;
        }
        // "--as COM1" and "--as=COM1" alike.
        std::optional<std::string_view> value;
        if (const auto equals = arg.find('='); arg.starts_with("--") && equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
        }
        if (arg != "--as" && arg != "--reply") {
            return usageError("unknown option \"" + std::string(arg) + "\"");
        }
        if (!value) {
            if (i + 1 == argc) {
                return usageError(std::string(arg) + " needs a value");
            }
            value = argv[++i];
        }
        if (arg == "--as") {
            if (const int port = qt::ports::parseComName(*value); port != 0) {
                options.port = port;
            } else {
                return usageError("--as takes COM1 to COM8, not \"" + std::string(*value) + "\"");
            }
        } else {
            const auto mode = sim::parseReplyMode(*value);
            if (!mode) {
                return usageError("--reply takes ack, silent, nak, double or late, not \"" +
                                  std::string(*value) + "\"");
            }
            options.reply = *mode;
        }
    }
    return std::nullopt;
}

void installStopHandlers() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a signal ends the simulator's wait at once.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const auto exitCode = parseOptions(argc, argv, options)) {
        return *exitCode;
    }
    // Whoever reads our output (a terminal, a pipe, a test) sees each line when it happens.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    installStopHandlers();

    sim::ConverterSimulator simulator(options.reply,
                                      [](const std::string& line) { std::printf("%s\n", line.c_str()); });
    if (const core::Status opened = simulator.open(); !opened) {
        std::fprintf(stderr, "veltara-sim: %s\n", opened.error().text.c_str());
        return 1;
    }
    std::printf("device %s\n", simulator.devicePath().c_str());

    qt::ports::ComLink link;
    if (options.port) {
        if (const core::Status linked = link.create(*options.port, simulator.devicePath()); !linked) {
            std::fprintf(stderr, "veltara-sim: %s\n", linked.error().text.c_str());
            return 1;
        }
        std::printf("COM%d -> %s (%s)\n", *options.port, simulator.devicePath().c_str(), link.path().c_str());
    }
    std::printf("reply %s; stop with Ctrl-C\n", std::string(sim::replyModeName(options.reply)).c_str());

    int exitCode = 0;
    while (g_stop == 0) {
        if (const core::Status stepped = simulator.step(kPollInterval); !stepped) {
            std::fprintf(stderr, "veltara-sim: %s\n", stepped.error().text.c_str());
            exitCode = 1;
            break;
        }
    }
    veltara::platform::disarmStopDeadline();
    link.remove();
    std::printf("stopped\n");
    return exitCode;
}
