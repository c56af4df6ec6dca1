// veltara-sim: a converter on a pseudo-terminal, to try the dialog and the command-line tool without
// hardware.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commandline/commandline.h"
#include "commandline/printable.h"
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

constexpr commandline::Option kOptions[] = {
    commandline::kHelpOption,
    commandline::kVersionOption,
    {.name = "as",
     .valueName = "COMn",
     .help =
         "also make the dialog's COMn (n = 1..8) reach the simulator: creates the link "
         "~/.config/veltara/ports/COMn (under $XDG_CONFIG_HOME if set) and removes it on exit. An existing "
         "entry is replaced only when it is a link left behind by an earlier simulator."},
    {.name = "reply",
     .valueName = "MODE",
     .help = "how the converter answers a frame (default: ack; see below)"},
};

std::string usage() {
    return commandline::helpText(
        {.usage = "Usage: veltara-sim [--as COMn] [--reply MODE]",
         .description =
             "Simulates the RS232-CAN converter on a pseudo-terminal pair. Prints the device path, then "
             "one line per configuration frame received and per answer given, as CAN dump tools do: "
             "the time (seconds since 1970, to the microsecond), rx or tx, the byte count and the raw "
             "bytes in hexadecimal, then the frame's settings decoded. A frame whose checksum is wrong "
             "is reported and not answered; one the dialog could never send is marked \"the dialog never "
             "sends this: ...\".",
         .options = kOptions,
         .epilogue = "MODE:\n"
                     "  ack     0x55 at once (the configuration is accepted)\n"
                     "  silent  no answer\n"
                     "  nak     one byte other than 0x55 (0xAA)\n"
                     "  double  0x55 twice\n"
                     "  late    0x55 after 1.5 seconds, too late for the dialog\n"
                     "  strict  0x55, but 0xAA to a frame the dialog never sends (a rate code off\n"
                     "          its lists, a reserved bit set, ...)\n"
                     "\n"
                     "Stop it with Ctrl-C (or SIGTERM); the COMn link is removed."});
}

struct Options {
    std::optional<int> port;
    sim::ReplyMode reply = sim::ReplyMode::Ack;
};

int usageError(const std::string& text) {
    std::cerr << commandline::usageLine("veltara-sim", {}, commandline::printable(text));
    return 2;
}

// Returns the exit code when the program should stop at once (help, version, a usage error).
std::optional<int> parseOptions(int argc, char** argv, Options& options) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    commandline::Arguments arguments;
    if (const auto problem = commandline::parse(args, kOptions, arguments)) {
        return usageError(*problem);
    }
    if (arguments.has("help")) {
        std::cout << usage();
        return 0;
    }
    if (arguments.has("version")) {
        std::cout << "veltara-sim " << VELTARA_VERSION << '\n';
        return 0;
    }
    if (!arguments.operands().empty()) {
        return usageError("unexpected argument '" + arguments.operands().front() + "'");
    }
    if (const auto as = arguments.value("as")) {
        const int port = qt::ports::parseComName(*as);
        if (port == 0) {
            return usageError("--as takes COM1 to COM8, not '" + *as + "'");
        }
        options.port = port;
    }
    if (const auto reply = arguments.value("reply")) {
        const auto mode = sim::parseReplyMode(*reply);
        if (!mode) {
            return usageError("--reply takes ack, silent, nak, double, late or strict, not '" + *reply + "'");
        }
        options.reply = *mode;
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
