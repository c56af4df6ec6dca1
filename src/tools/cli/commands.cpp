#include "commands.h"

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <variant>

#include "fieldlabels.h"
#include "gangprogrammer.h"
#include "hexbytes.h"
#include "jsontext.h"
#include "jsonwriter.h"
#include "link/framefields.h"
#include "offlineserialcontrol.h"
#include "portscommand.h"
#include "programreport.h"
#include "resultlog.h"
#include "serial/portauthority.h"
#include "serial/qteventpump.h"
#include "serial/qtserialcontrol.h"
#include "serial/serialdevices.h"
#include "settingsload.h"
#include "settingspath.h"
#include "stderrmessageboxes.h"
#include "stopsignals.h"

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
    "Runs the dialog's start-up on FILE (default ./quorvel.ini; without --settings a missing file gives\n"
    "the start-up defaults; the file is only read, never created or written), or takes the factory\n"
    "values with --defaults, and prints the 33-byte frame as upper-case hexadecimal pairs on one line.\n"
    "A FILE that is missing, unreadable or not a regular file is an error. Messages the dialog would\n"
    "show go to stderr as 'title (field): text'.\n";

constexpr const char* kDecodeUsage =
    "Usage: veltara-cli decode [--json] [HEX...]\n"
    "\n"
    "Shows every field of a 33-byte configuration frame given as hexadecimal pairs (spaces optional, a\n"
    "0x before a pair or a run of pairs allowed, one or several arguments), read from standard input\n"
    "when no bytes are given. --json prints one object with typed values. A wrong checksum is reported with "
    "the expected and the found value and\n"
    "exits 1; a wrong length or a character that is not hexadecimal exits 2.\n";

constexpr const char* kProgramUsage =
    "Usage: veltara-cli program --port PORT [--port PORT...] [--settings FILE | --defaults]\n"
    "                           [--accept-corrections] [--settle MS] [--json | --json-lines] [--log FILE]\n"
    "\n"
    "Sends the configuration to the converter on PORT (a device path such as /dev/ttyUSB0, or COM1..COM8\n"
    "resolved as the dialog resolves them) at 9600 8N1 and waits one second for the acknowledgement 0x55.\n"
    "Up to 16 --port options program that many converters at once with the same frame. --port=PORT works\n"
    "as well.\n"
    "\n"
    "Prints one line per port, in the order given: the port as typed, the device in brackets, the\n"
    "window's verdict (\"Configuration is successfull!\" or \"Configuration fails!\"), why (no answer\n"
    "within the window, answered 0xAA, answered N bytes, answered late, paused during the window, could\n"
    "not open, settings refused before sending) and the time the exchange took; with several ports a last\n"
    "line \"N of M converters programmed\". On a terminal a progress line on stderr shows the ports still\n"
    "waited for.\n"
    "\n"
    "The settings come from FILE, else ./quorvel.ini, else --defaults gives the factory values; a missing\n"
    "or unreadable file is an error. When the dialog's start-up would have shown messages (a stored value\n"
    "refused or corrected), nothing is sent: the messages are printed with the field each one is about,\n"
    "unless --accept-corrections sends the corrected values.\n"
    "\n"
    "What arrives before the frame is discarded. After the window the port is watched for MS milliseconds\n"
    "more (default 500, 0 turns it off): a byte then means the converter answered late, and the run\n"
    "fails, so that a late answer is never taken for the next run's reply. A run that was not running for\n"
    "part of the window (stopped, suspended) cannot tell when an answer came, and fails.\n"
    "\n"
    "--json prints one JSON document: version, frame, results (one per port: port, device, verdict,\n"
    "reason, reply, reply_bytes, elapsed_ms) and summary; an error that ends the run early is part of it.\n"
    "--json-lines prints one object per port as each finishes. --log FILE appends one JSON line per port\n"
    "(time, host, port, device, by-id name, USB serial number, frame, verdict, reason, reply, time taken,\n"
    "version), each in one write, so that runs sharing the file never mix lines; a log that cannot be\n"
    "opened stops the run before anything is sent.\n"
    "\n"
    "Exit 0 when every converter accepted, 1 when any refused, stayed silent, answered late or could not\n"
    "be judged, 2 for a usage, file, log or port error; Ctrl-C or SIGTERM closes the ports and exits 130\n"
    "or 143.\n";

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

// A production station's gang: more ports than this is a typing mistake rather than a gang.
constexpr std::size_t kMaxPorts = 16;
constexpr int kMaxSettleMs = 60000;

struct Options {
    std::string command;
    std::vector<std::string> positional;
    std::optional<std::string> settings;
    std::vector<std::string> ports;
    std::optional<std::string> settle;
    std::optional<std::string> assign;  // ports --assign COMn DEVICE
    std::string assignDevice;
    std::optional<std::string> unassign;
    bool defaults = false;
    bool acceptCorrections = false;
    bool json = false;
    bool jsonLines = false;
    std::optional<std::string> log;
    bool help = false;
};

// Parses the options after the command; returns an error text on a usage error. An option that takes
// a value takes it as the next argument or after '=' ("--port=COM1").
std::optional<std::string> parseOptions(const std::vector<std::string>& args, Options& o) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string a = args[i];
        std::optional<std::string> attached;
        if (const auto equals = a.find('='); a.rfind("--", 0) == 0 && equals != std::string::npos) {
            attached = a.substr(equals + 1);
            a.erase(equals);
        }
        auto value = [&]() -> std::optional<std::string> {
            if (attached) {
                return attached;
            }
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            return args[++i];
        };
        auto flag = [&](bool& into) -> std::optional<std::string> {
            if (attached) {
                return a + " takes no value";
            }
            into = true;
            return std::nullopt;
        };
        std::optional<std::string> problem;
        if (a == "--help" || a == "-h") {
            problem = flag(o.help);
        } else if (a == "--json") {
            problem = flag(o.json);
        } else if (a == "--json-lines") {
            problem = flag(o.jsonLines);
        } else if (a == "--defaults") {
            problem = flag(o.defaults);
        } else if (a == "--accept-corrections") {
            problem = flag(o.acceptCorrections);
        } else if (a == "--settings" || a == "--port" || a == "--settle" || a == "--log") {
            const std::optional<std::string> v = value();
            if (!v) {
                return a + " needs a value";
            }
            if (a == "--log") {
                if (v->empty()) {
                    return "--log needs a file name, not an empty text";
                }
                o.log = v;
            } else if (a == "--settings") {
                o.settings = v;
            } else if (a == "--settle") {
                o.settle = v;
            } else if (v->empty()) {
                // An unset variable in a script ("--port $PORT") must not fall back to some other port.
                return "--port needs a port name, not an empty text";
            } else {
                o.ports.push_back(*v);
            }
        } else if (a == "--assign") {
            if (i + 2 >= args.size()) {
                return "--assign needs a COM name and a device";
            }
            o.assign = args[++i];
            o.assignDevice = args[++i];
        } else if (a == "--unassign") {
            o.unassign = value();
            if (!o.unassign) {
                return a + " needs a value";
            }
        } else if (a.rfind("--", 0) == 0) {
            return "unknown option " + a;
        } else {
            o.positional.push_back(a);
        }
        if (problem) {
            return problem;
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
    if ((o.jsonLines || o.log) && o.command != "program") {
        return "--json-lines and --log belong to program";
    }
    if (o.ports.size() > kMaxPorts) {
        return "at most " + std::to_string(kMaxPorts) + " ports at once";
    }
    return std::nullopt;
}

// One line that says what is wrong and where the help is; the help itself would bury the error.
int usageError(std::ostream& err, const std::string& text, const std::string& command = {}) {
    err << "veltara-cli: " << text << " (see 'veltara-cli " << (command.empty() ? "" : command + " ")
        << "--help')\n";
    return kExitUsageOrIo;
}

int fileError(std::ostream& err, const std::string& text) {
    err << "veltara-cli: " << text << '\n';
    return kExitUsageOrIo;
}

// Why the settings file cannot be used, as the user should read it; nullopt when it can, and when the
// default file is simply absent (each command decides what that means).
std::optional<std::string> settingsProblem(const Options& o) {
    if (o.defaults) {
        return std::nullopt;
    }
    const std::string path = o.settings.value_or(SettingsSource{}.file);
    std::error_code ignored;
    if (!o.settings && !std::filesystem::exists(path, ignored)) {
        return std::nullopt;
    }
    if (const auto problem = settingsPathProblem(path)) {
        return "cannot read the settings file " + path + ": " + *problem;
    }
    return std::nullopt;
}

// The dialog's messages, each with the field it is about when there is one.
std::string describeMessage(const Message& message, const Dialog& dialog) {
    const std::string field = fieldLabel(dialog, message.field);
    return message.title + (field.empty() ? "" : " (" + field + ")") + ": " + message.text;
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
    if (!o.positional.empty() || !o.ports.empty() || o.json || o.settle || o.acceptCorrections) {
        return usageError(err, "encode takes no such argument", o.command);
    }
    if (const auto problem = settingsProblem(o)) {
        return fileError(err, *problem);
    }
    StderrMessageBoxes messages;
    OfflineSerialControl serial;
    qt::QtEventPump pump;
    SettingsLoad headless(sourceOf(o), serial, pump, messages);
    messages.describe = [&headless](const Message& m) { return describeMessage(m, headless.dialog()); };
    const EncodeResult result = headless.load();
    if (!result.frame) {
        err << "veltara-cli: " << result.error << '\n';
        return kExitUsageOrIo;
    }
    out << formatHexBytes(*result.frame) << '\n';
    return kExitSuccess;
}

// What scripts read: numbers as numbers, flags as booleans, an identifier as its number with its frame
// type and reserved bits beside it, a rate with its code.
void addField(JsonObject& json, const FieldReading& field) {
    struct Add {
        JsonObject& json;
        const std::string& key;
        void operator()(std::monostate) const { json.null(key); }
        void operator()(std::int64_t number) const { json.number(key, number); }
        void operator()(bool flag) const { json.flag(key, flag); }
        void operator()(const std::string& name) const { json.text(key, name); }
        void operator()(const OtherJson& other) const { json.raw(key, other.json); }
    };
    for (const auto& [key, value] : field.values) {
        std::visit(Add{json, key}, value);
    }
}

// A frame is 33 bytes; anything much longer on standard input is not one.
constexpr std::size_t kMaxFrameText = 64 * 1024;

int decodeFrame(const Options& o, std::ostream& out, std::ostream& err);
QJsonObject programDocument(const std::vector<PortReport>& reports, int exitCode);
void printJson(std::ostream& out, const QJsonObject& object, bool oneLine);

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

int decodeCommand(const Options& o, std::ostream& out, std::ostream& realErr) {
    // With --json every error also ends as the one document on stdout.
    std::ostringstream captured;
    std::ostream& err = o.json ? static_cast<std::ostream&>(captured) : realErr;
    const int code = decodeFrame(o, out, err);
    if (o.json) {
        const std::string text = captured.str();
        realErr << text;
        if (code == kExitUsageOrIo) {
            QJsonObject document{{"version", VELTARA_VERSION}};
            std::string message = text.substr(0, text.find('\n'));
            if (message.rfind("veltara-cli: ", 0) == 0) {
                message.erase(0, 13);
            }
            addText(document, "error", message);
            printJson(out, document, false);
        }
    }
    return code;
}

int decodeFrame(const Options& o, std::ostream& out, std::ostream& err) {
    // Without bytes the frame comes from standard input, unless that is a terminal nobody types into.
    const bool fromInput = o.positional.empty();
    if ((fromInput && ::isatty(STDIN_FILENO)) || !o.ports.empty() || o.settings || o.defaults || o.settle ||
        o.acceptCorrections) {
        return usageError(err,
                          fromInput ? "decode needs the frame's bytes (as arguments or on standard input)"
                                    : "decode takes no such option",
                          o.command);
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
                          o.command);
    }
    if (bytes->size() != kConfigFrameSize) {
        err << "veltara-cli: a configuration frame has 33 bytes, this has " << bytes->size() << '\n';
        return kExitUsageOrIo;
    }
    const auto checked = decodeConfigFrame(*bytes);
    const auto fields = describeFrame(FrameView(bytes->data(), kConfigFrameSize));
    if (o.json) {
        JsonObject json;
        json.flag("checksum_ok", checked.ok());
        if (!checked) {
            json.text("error", checked.error().text);
        }
        json.text("bytes", formatHexBytes(*bytes));
        JsonObject neverSent;
        for (const FieldReading& f : fields) {
            if (!f.unsendable.empty()) {
                neverSent.text(f.field->key, f.unsendable);
            }
        }
        json.raw("dialog_never_sends", neverSent.str());
        for (const FieldReading& f : fields) {
            addField(json, f);
        }
        out << json.str() << '\n';
    } else {
        std::size_t width = 0;
        for (const FieldReading& f : fields) {
            width = std::max(width, f.field->label.size());
        }
        for (const FieldReading& f : fields) {
            out << f.field->label << std::string(width - f.field->label.size() + 2, ' ') << f.text
                << (f.unsendable.empty() ? "" : "  <- the dialog never sends this") << '\n';
        }
    }
    if (!checked) {
        err << "veltara-cli: " << checked.error().text << '\n';
        return kExitConverterSaidNo;
    }
    return kExitSuccess;
}

std::optional<std::string> resolvePorts(const Options& o, std::vector<PortTarget>& targets) {
    for (const std::string& port : o.ports) {
        const qt::ports::ResolvedPort resolved = qt::ports::resolvePort(port);
        if (resolved.problem && resolved.problem->code != core::ErrorCode::NotFound) {
            return resolved.comPort > 0 ? port + " is refused: " + resolved.problem->text
                                        : resolved.problem->text;
        }
        if (resolved.problem && resolved.comPort > 0 && resolved.device.empty()) {
            return port + " is refused: " + resolved.problem->text;  // no map to look it up in
        }
        PortTarget target{port, QString::fromStdString(resolved.device)};
        for (const PortTarget& earlier : targets) {
            if (earlier.device == target.device) {
                return earlier.name + " and " + port + " name the same device";
            }
        }
        targets.push_back(target);
    }
    return std::nullopt;
}

std::optional<int> settleTime(const Options& o) {
    if (!o.settle) {
        return static_cast<int>(kDefaultSettleTime.count());
    }
    int ms = -1;
    const char* end = o.settle->data() + o.settle->size();
    const auto [last, error] = std::from_chars(o.settle->data(), end, ms);
    if (error != std::errc{} || last != end || ms < 0 || ms > kMaxSettleMs) {
        return std::nullopt;
    }
    return ms;
}

QJsonArray correctionsJson(const std::vector<Message>& shown, const Dialog& dialog) {
    QJsonArray list;
    for (const Message& m : shown) {
        list.append(QJsonObject{{"field", QString::fromStdString(fieldLabel(dialog, m.field))},
                                {"title", QString::fromStdString(m.title)},
                                {"message", QString::fromStdString(m.text)}});
    }
    return list;
}

// The one document `program --json` prints, whatever happens: the results so far, a summary and,
// when the run ended before or without judging every port, the error.
QJsonObject programDocument(const std::vector<PortReport>& reports, int exitCode) {
    QJsonArray results;
    int programmed = 0;
    for (const PortReport& report : reports) {
        results.append(resultJson(report));
        programmed += report.result.verdict == Verdict::Accepted ? 1 : 0;
    }
    return {{"version", VELTARA_VERSION},
            {"results", results},
            {"summary", QJsonObject{{"programmed", programmed},
                                    {"ports", static_cast<qint64>(reports.size())},
                                    {"exit_code", exitCode}}}};
}

void printJson(std::ostream& out, const QJsonObject& object, bool oneLine) {
    out << QJsonDocument(object)
               .toJson(oneLine ? QJsonDocument::Compact : QJsonDocument::Indented)
               .toStdString();
    if (oneLine) {
        out << '\n';
    }
}

// Redraws one line on a terminal's stderr while converters are waited for; silent elsewhere, so that
// logs and pipes get no control characters.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream& err)
        : m_err(err), m_shown(&err == &std::cerr && ::isatty(STDERR_FILENO)) {}
    ~ProgressLine() { clear(); }

    void update(std::chrono::nanoseconds elapsed, const std::vector<const PortTarget*>& waiting) {
        using namespace std::chrono_literals;
        if (!m_shown || (m_drawn && elapsed - m_drawnAt < 100ms)) {
            return;
        }
        std::string names;
        for (const PortTarget* target : waiting) {
            names += (names.empty() ? "" : ", ") + target->name;
        }
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f s", std::chrono::duration<double>(elapsed).count());
        m_err << "\r\033[Kwaiting for " << names << " (" << seconds << ")" << std::flush;
        m_drawn = true;
        m_drawnAt = elapsed;
    }
    void clear() {
        if (m_drawn) {
            m_err << "\r\033[K" << std::flush;
            m_drawn = false;
        }
    }

private:
    std::ostream& m_err;
    bool m_shown;
    bool m_drawn = false;
    std::chrono::nanoseconds m_drawnAt{};
};

int programCommand(const Options& o, std::ostream& out, std::ostream& err) {
    auto usage = [&](const std::string& problem) {
        if (o.json || o.jsonLines) {
            QJsonObject document = programDocument({}, kExitUsageOrIo);
            addText(document, "error", problem);
            printJson(out, document, o.jsonLines);
        }
        return usageError(err, problem, o.command);
    };
    if (o.ports.empty() || !o.positional.empty()) {
        return usage(o.ports.empty() ? "program needs --port PORT" : "program takes no such argument");
    }
    if (o.json && o.jsonLines) {
        return usage("--json and --json-lines exclude each other");
    }
    std::vector<PortTarget> targets;
    if (const auto problem = resolvePorts(o, targets)) {
        return usage(*problem);
    }
    const std::optional<int> settle = settleTime(o);
    if (!settle) {
        return usage("--settle takes milliseconds from 0 to " + std::to_string(kMaxSettleMs));
    }
    // Before anything is opened, so that a stop at any moment leaves no port behind.
    StopSignals stop;

    // Ends the run before any port is tried: the error, and for --json the document with it.
    auto reportError = [&](const std::string& message) {
        err << "veltara-cli: " << message << '\n';
        if (o.json || o.jsonLines) {
            QJsonObject document = programDocument({}, kExitUsageOrIo);
            addText(document, "error", message);
            printJson(out, document, o.jsonLines);
        }
        return kExitUsageOrIo;
    };
    if (const auto problem = settingsProblem(o)) {
        return reportError(*problem);
    }
    SettingsSource source = sourceOf(o);
    std::error_code ignored;
    if (!o.settings && !o.defaults && !std::filesystem::exists(source.file, ignored)) {
        return reportError("no settings: ./" + source.file +
                           " does not exist; name a file with --settings or take the factory values with "
                           "--defaults");
    }

    // The frame is built without a port; the ports are opened below, each as the dialog opens one.
    StderrMessageBoxes messages;
    messages.quiet = true;
    OfflineSerialControl offline;
    qt::QtEventPump pump;
    SettingsLoad headless(source, offline, pump, messages);
    const EncodeResult loaded = headless.load();
    const Dialog& dialog = headless.dialog();
    if (!loaded.frame) {
        return reportError(loaded.error);
    }
    const std::string frameText = formatHexBytes(*loaded.frame);
    const QJsonArray corrections = correctionsJson(messages.shown, dialog);

    auto printResults = [&](const std::vector<PortReport>& reports, int exitCode,
                            const std::optional<std::string>& error) {
        if (o.json) {
            QJsonObject document = programDocument(reports, exitCode);
            document["frame"] = QString::fromStdString(frameText);
            if (!corrections.isEmpty()) {
                document["corrections"] = corrections;
            }
            if (error) {
                addText(document, "error", *error);
            }
            printJson(out, document, false);
            return;
        }
        if (o.jsonLines) {
            return;
        }
        int programmed = 0;
        for (const PortReport& report : reports) {
            out << resultLine(report) << '\n';
            programmed += report.result.verdict == Verdict::Accepted ? 1 : 0;
        }
        if (reports.size() > 1) {
            out << programmed << " of " << reports.size() << " converters programmed\n";
        }
    };

    if (!messages.shown.empty() && !o.acceptCorrections) {
        err << "veltara-cli: nothing was sent: the dialog's start-up changed or refused stored values "
               "(--accept-corrections sends the corrected configuration):\n";
        for (const Message& m : messages.shown) {
            err << "  " << describeMessage(m, dialog) << '\n';
        }
        std::vector<PortReport> refused;
        for (const PortTarget& target : targets) {
            PortReport& report = refused.emplace_back();
            report.target = target;
            report.result.verdict = Verdict::SettingsRefused;
            if (o.jsonLines) {
                printJson(out, resultJson(report), true);
            }
        }
        printResults(refused, kExitUsageOrIo,
                     "nothing was sent: the dialog's start-up changed or refused stored values");
        return kExitUsageOrIo;
    }
    for (const Message& m : messages.shown) {
        err << describeMessage(m, dialog) << '\n';
    }

    // A log that cannot take the results stops the run before anything is sent.
    std::shared_ptr<ResultLog> log;
    std::vector<qt::SerialDevice> devices;
    if (o.log) {
        auto opened = ResultLog::open(*o.log);
        if (!opened) {
            return reportError(opened.error().text);
        }
        log = std::move(opened).value();
        devices = qt::serialDevices();
    }
    if (StopSignals::caught() != 0) {
        return StopSignals::exitCode();
    }

    ProgressLine progress(err);
    std::optional<std::string> logFailure;
    GangWatchers watchers;
    watchers.interrupted = [] { return StopSignals::caught() != 0; };
    watchers.finished = [&](const PortReport& report) {
        if (o.jsonLines) {
            progress.clear();
            printJson(out, resultJson(report), true);
            out.flush();
        }
        if (log && !logFailure) {
            if (const Status written = log->append(logEntry(report, frameText, devices)); !written) {
                logFailure = written.error().text;
            }
        }
    };
    // The lines of ports that did not open are written before sending; one that fails stops the run.
    watchers.mayStart = [&] { return !logFailure; };
    watchers.waiting = [&](std::chrono::nanoseconds elapsed, const std::vector<const PortTarget*>& waiting) {
        progress.update(elapsed, waiting);
    };
    const std::vector<PortReport> reports =
        programPorts(targets, *loaded.frame, std::chrono::milliseconds(*settle), watchers);
    progress.clear();
    if (StopSignals::caught() != 0) {
        err << "veltara-cli: stopped; the ports are closed and nothing was judged\n";
        printResults(reports, StopSignals::exitCode(), "stopped by a signal; nothing was judged");
        return StopSignals::exitCode();
    }

    int exitCode = kExitSuccess;
    for (const PortReport& report : reports) {
        exitCode = std::max(exitCode, verdictExitCode(report.result.verdict));
        if (report.result.verdict == Verdict::PortNotOpen) {
            err << "veltara-cli: cannot open " << report.target.name << " ("
                << report.target.device.toStdString() << "): " << report.result.failure.text << '\n';
        } else if (report.result.verdict == Verdict::LinkFailed) {
            err << "veltara-cli: " << report.target.name << " " << verdictReason(report.result) << '\n';
        }
    }
    if (logFailure) {
        err << "veltara-cli: " << *logFailure << '\n';
        exitCode = kExitUsageOrIo;
    }
    printResults(reports, exitCode, logFailure);
    return exitCode;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return usageError(err, "no command given");
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
        return usageError(err, "unknown command '" + o.command + "'");
    }
    // Scripts that asked for JSON get their one document also when the command line is wrong.
    auto refuse = [&](const std::string& problem) {
        const bool lines = std::find(args.begin(), args.end(), "--json-lines") != args.end();
        if ((lines || std::find(args.begin(), args.end(), "--json") != args.end()) && o.command != "encode") {
            QJsonObject document = o.command == "program" ? programDocument({}, kExitUsageOrIo)
                                                          : QJsonObject{{"version", VELTARA_VERSION}};
            addText(document, "error", problem);
            printJson(out, document, lines);
        }
        return usageError(err, problem, o.command);
    };
    if (auto problem = parseOptions(args, o)) {
        return refuse(*problem);
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
    if (!o.positional.empty() || !o.ports.empty() || o.settings || o.defaults || o.settle ||
        o.acceptCorrections || (o.json && (o.assign || o.unassign))) {
        return refuse("ports takes no such argument");
    }
    return portsCommand({o.json, o.assign, o.assignDevice, o.unassign}, out, err);
}

}  // namespace veltara::cli
