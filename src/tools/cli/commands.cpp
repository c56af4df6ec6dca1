#include "commands.h"

#include <unistd.h>
#include <QString>

#include <cstdio>
#include <iostream>
#include <optional>
#include <variant>

#include "headlessdialog.h"
#include "hexbytes.h"
#include "jsonwriter.h"
#include "link/framedescription.h"
#include "portfolder.h"
#include "portnames.h"
#include "portscommand.h"
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
    "Usage: veltara-cli decode [--json] [HEX...]\n"
    "\n"
    "Shows every field of a 33-byte configuration frame given as hexadecimal pairs (spaces optional, a\n"
    "0x before a pair or a run of pairs allowed, one or several arguments), read from standard input\n"
    "when no bytes are given. --json prints one object with typed values. A wrong checksum is reported with "
    "the expected and the found value and\n"
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
    "       veltara-cli ports --assign COMn DEVICE\n"
    "       veltara-cli ports --unassign COMn\n"
    "\n"
    "Lists COM1..COM8 with the device each one names, whether it exists, whether it opens and which\n"
    "adapter it is, then every serial device the system has with its description, maker, USB vendor and\n"
    "product, serial number, its /dev/serial/by-id name and the COM names that point at it.\n"
    "\n"
    "--assign makes COMn (n = 1..8) name DEVICE, by its /dev/serial/by-id name when it has one so that\n"
    "the name survives replugging; --unassign removes COMn's link. The links live in\n"
    "~/.config/veltara/ports (under $XDG_CONFIG_HOME if set), which must belong to you (or root) and be\n"
    "writable by nobody else.\n";

struct Options {
    std::string command;
    std::vector<std::string> positional;
    std::optional<std::string> settings;
    std::optional<std::string> port;
    std::optional<std::string> assign;  // ports --assign COMn DEVICE
    std::string assignDevice;
    std::optional<std::string> unassign;
    bool defaults = false;
    bool json = false;
    bool help = false;
};

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
        } else if (a == "--assign") {
            if (i + 2 >= args.size()) {
                return "--assign needs a COM name and a device";
            }
            o.assign = args[++i];
            o.assignDevice = args[++i];
        } else if (a == "--unassign") {
            if (auto e = value(o.unassign)) {
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
    if ((o.assign || o.unassign) && o.command != "ports") {
        return "--assign and --unassign belong to ports";
    }
    if (o.assign && o.unassign) {
        return "--assign and --unassign exclude each other";
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
    messages.fieldName = [&headless](const Control& box) { return headless.fieldName(box); };
    const EncodeResult result = headless.load();
    if (!result.frame) {
        err << "veltara-cli: " << result.error << '\n';
        return kExitUsageOrIo;
    }
    out << formatHexBytes(*result.frame) << '\n';
    return kExitSuccess;
}

// What scripts read: numbers as numbers, flags as booleans, an identifier as its number with its frame
// type beside it.
void addField(JsonObject& json, const FrameField& field) {
    struct Add {
        JsonObject& json;
        const std::string& key;
        void operator()(std::monostate) const { json.null(key); }
        void operator()(std::int64_t number) const { json.number(key, number); }
        void operator()(bool flag) const { json.flag(key, flag); }
        void operator()(const std::string& name) const { json.text(key, name); }
        void operator()(const IdentifierValue& id) const {
            json.number(key, id.id).text(key + "_frame_type", id.extended ? "extended" : "standard");
        }
    };
    std::visit(Add{json, field.key}, field.data);
}

// A frame is 33 bytes; anything much longer on standard input is not one.
constexpr std::size_t kMaxFrameText = 64 * 1024;

std::optional<std::string> readStandardInput(std::string& error) {
    std::string text;
    char buffer[4096];
    while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
        if (text.size() > kMaxFrameText) {
            error = "standard input holds more than a frame's bytes";
            return std::nullopt;
        }
    }
    if (std::cin.bad()) {
        error = "cannot read standard input";
        return std::nullopt;
    }
    return text;
}

int decodeCommand(const Options& o, std::ostream& out, std::ostream& err) {
    // Without bytes the frame comes from standard input, unless that is a terminal nobody types into.
    const bool fromInput = o.positional.empty();
    if ((fromInput && ::isatty(STDIN_FILENO)) || o.port || o.settings || o.defaults) {
        return usageError(err,
                          fromInput ? "decode needs the frame's bytes (as arguments or on standard input)"
                                    : "decode takes no such option",
                          kDecodeUsage);
    }
    std::string text;
    std::string parseError;
    if (fromInput) {
        const auto input = readStandardInput(parseError);
        if (!input) {
            err << "veltara-cli: " << parseError << '\n';
            return kExitUsageOrIo;
        }
        text = *input;
    }
    for (const std::string& p : o.positional) {
        text += p + " ";
    }
    const auto bytes = parseHexBytes(text, parseError);
    if (!bytes) {
        err << "veltara-cli: " << parseError << '\n';
        return kExitUsageOrIo;
    }
    if (bytes->empty()) {
        return usageError(err, "decode needs the frame's bytes (as arguments or on standard input)",
                          kDecodeUsage);
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
        JsonObject json;
        json.flag("checksum_ok", checked.ok());
        if (!checked) {
            json.text("error", checked.error().text);
        }
        json.text("bytes", formatHexBytes(*bytes));
        for (const FrameField& f : fields) {
            addField(json, f);
        }
        out << json.str() << '\n';
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
    const int com = qt::parseComName(*o.port);
    if (com == 0 && looksLikeComName(*o.port)) {
        return usageError(err, *o.port + " is not a port: use COM1..COM8 or a device path", kProgramUsage);
    }
    if (com > 0) {
        if (const std::string problem = qt::portEntryProblem(com); !problem.empty()) {
            err << "veltara-cli: COM" << com << " is refused: " << problem << '\n';
            return kExitUsageOrIo;
        }
    }
    const QString device = com > 0 ? qt::portDevice(com) : QString::fromStdString(*o.port);

    StderrMessageBoxes messages;
    // The port's own failure is reported once below, with the system's reason, instead.
    messages.hidePortFailures = true;
    qt::QtSerialControl serial;
    serial.setDeviceOverride(device);
    qt::QtEventPump pump;
    HeadlessDialog headless(sourceOf(o), serial, pump, messages);
    messages.fieldName = [&headless](const Control& box) { return headless.fieldName(box); };
    const EncodeResult loaded = headless.load();
    Dialog& dialog = headless.dialog();

    auto report = [&](const char* result, const std::string& message, int code) {
        if (o.json) {
            JsonObject json;
            json.text("result", result).text("message", message).text("port", device.toStdString());
            loaded.frame ? json.text("frame", formatHexBytes(*loaded.frame)) : json.null("frame");
            out << json.str() << '\n';
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
    if (!o.positional.empty() || o.port || o.settings || o.defaults || (o.json && (o.assign || o.unassign))) {
        return usageError(err, "ports takes no such argument", kPortsUsage);
    }
    return portsCommand({o.json, o.assign, o.assignDevice, o.unassign}, out, err);
}

}  // namespace veltara::cli
