#include "commands.h"

#include <QString>

#include <optional>

#include "headlessdialog.h"
#include "hexbytes.h"
#include "link/framedescription.h"
#include "portnames.h"
#include "qteventpump.h"
#include "qtserialcontrol.h"

#ifndef VELTARA_VERSION
#define VELTARA_VERSION "0.0.0"
#endif

namespace veltara::cli {

using namespace core;

namespace {

constexpr const char* kUsage =
    "Usage: veltara-cli COMMAND [OPTIONS]\n"
    "\n"
    "Programs an RS232-CAN bus converter and reads configuration frames without the window.\n"
    "\n"
    "Commands:\n"
    "  encode    print the configuration frame that the settings give\n"
    "  decode    show the fields of a configuration frame\n"
    "  program   send the configuration to a converter and wait for its acknowledgement\n"
    "  ports     list COM1..COM8 with the device each one names\n"
    "\n"
    "Options:\n"
    "  --help     show this text (after a command: that command's help)\n"
    "  --version  show the version\n"
    "\n"
    "Exit codes: 0 success, 1 the converter said no or did not answer (decode: wrong checksum),\n"
    "2 usage, file or port error.\n";

constexpr const char* kEncodeUsage =
    "Usage: veltara-cli encode [--settings FILE | --defaults]\n"
    "\n"
    "Runs the dialog's start-up on FILE (default ./quorvel.ini; a missing file gives the start-up\n"
    "defaults; the file is only read, never created or written), or takes the factory values with\n"
    "--defaults, and prints the 33-byte frame as upper-case hexadecimal pairs on one line. Messages the\n"
    "dialog would show go to stderr as 'title: text'.\n";

constexpr const char* kDecodeUsage =
    "Usage: veltara-cli decode [--json] HEX...\n"
    "\n"
    "Shows every field of a 33-byte configuration frame given as hexadecimal pairs (spaces optional,\n"
    "one or several arguments). A wrong checksum is reported with the expected and the found value and\n"
    "exits 1; a wrong length or a character that is not hexadecimal exits 2.\n";

constexpr const char* kProgramUsage =
    "Usage: veltara-cli program --port PORT [--settings FILE | --defaults] [--json]\n"
    "\n"
    "Sends the configuration to the converter on PORT (a device path such as /dev/ttyUSB0, or COM1..COM8\n"
    "resolved as the dialog resolves them) at 9600 8N1, waits one second for the acknowledgement 0x55 and\n"
    "prints \"Configuration is successfull!\" (exit 0) or \"Configuration fails!\" (exit 1). --json prints "
    "a\n"
    "machine-readable result that includes the frame sent.\n";

constexpr const char* kPortsUsage =
    "Usage: veltara-cli ports [--json]\n"
    "\n"
    "Lists COM1..COM8 with the device each one names, whether it exists and whether it can be opened.\n";

struct Options {
    std::string command;
    std::vector<std::string> positional;
    std::optional<std::string> settings;
    std::optional<std::string> port;
    bool defaults = false;
    bool json = false;
    bool help = false;
};

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

// Parses the options after the command; returns an error text on a usage error.
std::optional<std::string> parseOptions(const std::vector<std::string>& args, Options& o) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::optional<std::string>& into) -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                return a + " needs a value";
            }
            into = args[++i];
            return std::nullopt;
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--defaults") {
            o.defaults = true;
        } else if (a == "--settings") {
            if (auto e = value(o.settings)) {
                return e;
            }
        } else if (a == "--port") {
            if (auto e = value(o.port)) {
                return e;
            }
        } else if (a.rfind("--", 0) == 0) {
            return "unknown option " + a;
        } else {
            o.positional.push_back(a);
        }
    }
    if (o.settings && o.defaults) {
        return "--settings and --defaults exclude each other";
    }
    return std::nullopt;
}

int usageError(std::ostream& err, const std::string& text, const char* usage) {
    err << "veltara-cli: " << text << "\n\n" << usage;
    return kExitUsageOrIo;
}

SettingsSource sourceOf(const Options& o) {
    SettingsSource source;
    if (o.settings) {
        source.file = *o.settings;
    }
    source.factoryDefaults = o.defaults;
    return source;
}

int encodeCommand(const Options& o, std::ostream& out, std::ostream& err) {
    if (!o.positional.empty() || o.port || o.json) {
        return usageError(err, "encode takes no such argument", kEncodeUsage);
    }
    StderrMessageBoxes messages;
    OfflineSerialControl serial;
    qt::QtEventPump pump;
    HeadlessDialog headless(sourceOf(o), serial, pump, messages);
    const EncodeResult result = headless.load();
    if (!result.frame) {
        err << "veltara-cli: " << result.error << '\n';
        return kExitUsageOrIo;
    }
    out << formatHexBytes(*result.frame) << '\n';
    return kExitSuccess;
}

int decodeCommand(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.empty() || o.port || o.settings || o.defaults) {
        return usageError(
            err, o.positional.empty() ? "decode needs the frame's bytes" : "decode takes no such option",
            kDecodeUsage);
    }
    std::string text;
    for (const std::string& p : o.positional) {
        text += p + " ";
    }
    std::string parseError;
    const auto bytes = parseHexBytes(text, parseError);
    if (!bytes) {
        err << "veltara-cli: " << parseError << '\n';
        return kExitUsageOrIo;
    }
    if (bytes->size() != kConfigFrameSize) {
        err << "veltara-cli: a configuration frame has 33 bytes, this has " << bytes->size() << '\n';
        return kExitUsageOrIo;
    }
    const auto checked = decodeConfigFrame(*bytes);
    const DecodedFrame frame = decodeConfigFrameFields(
        std::span<const std::uint8_t, kConfigFrameSize>(bytes->data(), kConfigFrameSize));
    const auto fields = describeFrame(frame);
    if (o.json) {
        out << "{\"checksum_ok\": " << (checked ? "true" : "false");
        if (!checked) {
            out << ", \"error\": " << jsonString(checked.error().text);
        }
        out << ", \"bytes\": " << jsonString(formatHexBytes(*bytes));
        for (const FrameField& f : fields) {
            out << ", " << jsonString(f.key) << ": " << jsonString(f.value);
        }
        out << "}\n";
    } else {
        std::size_t width = 0;
        for (const FrameField& f : fields) {
            width = std::max(width, f.label.size());
        }
        for (const FrameField& f : fields) {
            out << f.label << std::string(width - f.label.size() + 2, ' ') << f.value << '\n';
        }
    }
    if (!checked) {
        err << "veltara-cli: " << checked.error().text << '\n';
        return kExitConverterSaidNo;
    }
    return kExitSuccess;
}

// COM1..COM8 in any case give the port number; anything else is taken as a device path.
int comNumber(const std::string& port) {
    if (port.size() == 4 && (port[0] == 'C' || port[0] == 'c') && (port[1] == 'O' || port[1] == 'o') &&
        (port[2] == 'M' || port[2] == 'm') && port[3] >= '1' && port[3] <= '8') {
        return port[3] - '0';
    }
    return 0;
}

bool looksLikeComName(const std::string& port) {
    return port.size() > 3 &&
           QString::fromStdString(port.substr(0, 3)).compare("COM", Qt::CaseInsensitive) == 0 &&
           port.find('/') == std::string::npos;
}

int programCommand(const Options& o, std::ostream& out, std::ostream& err) {
    if (!o.port || !o.positional.empty()) {
        return usageError(err, o.port ? "program takes no such argument" : "program needs --port PORT",
                          kProgramUsage);
    }
    const int com = comNumber(*o.port);
    if (com == 0 && looksLikeComName(*o.port)) {
        return usageError(err, *o.port + " is not a port: use COM1..COM8 or a device path", kProgramUsage);
    }
    const QString device = com > 0 ? qt::portDevice(com) : QString::fromStdString(*o.port);

    StderrMessageBoxes messages;
    // The port's own failure is reported once below, with the system's reason, instead.
    messages.hidePortFailures = true;
    qt::QtSerialControl serial;
    serial.setDeviceOverride(device);
    qt::QtEventPump pump;
    HeadlessDialog headless(sourceOf(o), serial, pump, messages);
    const EncodeResult loaded = headless.load();
    Dialog& dialog = headless.dialog();

    auto report = [&](const char* result, const std::string& message, int code) {
        if (o.json) {
            out << "{\"result\": " << jsonString(result) << ", \"message\": " << jsonString(message)
                << ", \"port\": " << jsonString(device.toStdString()) << ", \"frame\": "
                << (loaded.frame ? jsonString(formatHexBytes(*loaded.frame)) : std::string("null")) << "}\n";
        } else if (code == kExitUsageOrIo) {
            err << "veltara-cli: " << message << '\n';
        } else {
            out << message << '\n';
        }
        return code;
    };
    if (!loaded.frame) {
        return report("error", loaded.error, kExitUsageOrIo);
    }
    if (const Result<bool> open = serial.portOpen(); !open || !open.value()) {
        const std::string reason = dialog.lastPortError() ? dialog.lastPortError()->text : "it does not open";
        return report("error", "cannot open " + device.toStdString() + ": " + reason, kExitUsageOrIo);
    }
    messages.shown.clear();
    messages.quiet = true;
    dialog.btnProgramConfig_Click();
    switch (dialog.programOutcome()) {
        case ProgramOutcome::Accepted:
            return report("success", Dialog::kConfigSucceeds, kExitSuccess);
        case ProgramOutcome::Rejected:
            return report("failure", Dialog::kConfigFails, kExitConverterSaidNo);
        case ProgramOutcome::LinkFailed:
            return report("error",
                          device.toStdString() + " failed during the exchange: " +
                              (dialog.lastPortError() ? dialog.lastPortError()->text : std::string()),
                          kExitUsageOrIo);
        default:
            return report("error", "the exchange ended without a result", kExitUsageOrIo);
    }
}

struct PortProbe {
    bool exists = false;
    bool opens = false;
    std::string reason;
};

// Opens the port briefly through the dialog's own serial control, so a missing, busy or forbidden
// device is told apart and worded exactly as the window and `program` word it.
PortProbe probePort(int commPort) {
    PortProbe probe;
    qt::QtSerialControl serial;
    Status opened = serial.setCommPort(commPort);
    if (opened) {
        opened = serial.setPortOpen(true);
    }
    if (opened) {
        probe.exists = probe.opens = true;
        (void)serial.setPortOpen(false);
        return probe;
    }
    probe.exists = opened.error().code != ErrorCode::NotFound;
    probe.reason = opened.error().text;
    return probe;
}

int portsCommand(const Options& o, std::ostream& out, std::ostream& err) {
    if (!o.positional.empty() || o.port || o.settings || o.defaults) {
        return usageError(err, "ports takes no such argument", kPortsUsage);
    }
    if (o.json) {
        out << "[";
    }
    for (int n = qt::kFirstCommPort; n <= qt::kLastCommPort; ++n) {
        const QString device = qt::portDevice(n);
        const PortProbe probe = probePort(n);
        const std::string state = !probe.exists ? "missing"
                                  : probe.opens ? "opens"
                                                : "does not open: " + probe.reason;
        if (o.json) {
            out << (n > 1 ? ", " : "") << "{\"port\": \"COM" << n
                << "\", \"device\": " << jsonString(device.toStdString())
                << ", \"exists\": " << (probe.exists ? "true" : "false")
                << ", \"opens\": " << (probe.opens ? "true" : "false")
                << ", \"reason\": " << jsonString(probe.reason) << "}";
        } else {
            out << "COM" << n << "  " << device.toStdString() << "  " << state << '\n';
        }
    }
    if (o.json) {
        out << "]\n";
    }
    return kExitSuccess;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return kExitUsageOrIo;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        out << kUsage;
        return kExitSuccess;
    }
    if (args[0] == "--version") {
        out << "veltara-cli " << VELTARA_VERSION << '\n';
        return kExitSuccess;
    }
    Options o;
    o.command = args[0];
    const char* usage = o.command == "encode"    ? kEncodeUsage
                        : o.command == "decode"  ? kDecodeUsage
                        : o.command == "program" ? kProgramUsage
                        : o.command == "ports"   ? kPortsUsage
                                                 : nullptr;
    if (!usage) {
        return usageError(err, "unknown command '" + o.command + "'", kUsage);
    }
    if (auto problem = parseOptions(args, o)) {
        return usageError(err, *problem, usage);
    }
    if (o.help) {
        out << usage;
        return kExitSuccess;
    }
    if (o.command == "encode") {
        return encodeCommand(o, out, err);
    }
    if (o.command == "decode") {
        return decodeCommand(o, out, err);
    }
    if (o.command == "program") {
        return programCommand(o, out, err);
    }
    return portsCommand(o, out, err);
}

}  // namespace veltara::cli
