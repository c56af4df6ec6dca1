// program: the configuration to one converter or a gang, judged as the window judges it.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "commandline/printable.h"
#include "commands.h"
#include "framejson.h"
#include "gangprogrammer.h"
#include "hexbytes.h"
#include "programreport.h"
#include "resultlog.h"
#include "serial/portauthority.h"
#include "serial/serialdevices.h"
#include "settingsinput.h"
#include "stopsignals.h"

namespace veltara::cli {

using namespace core;

namespace {

// A production station's gang: more ports than this is a typing mistake rather than a gang.
constexpr std::size_t kMaxPorts = 16;
constexpr int kMaxSettleMs = 60000;

constexpr commandline::Option kOptions[] = {
    commandline::kHelpOption,
    {.name = "port",
     .valueName = "PORT",
     .help = "a device path (/dev/ttyUSB0) or COM1..COM8; up to 16 program that many converters at once",
     .repeatable = true},
    kSettingsOption,
    kDefaultsOption,
    kFromJsonOption,
    kSetOption,
    {.name = "frame",
     .valueName = "HEX",
     .help = "send exactly these 33 bytes (length and checksum are checked)"},
    kAcceptCorrectionsOption,
    {.name = "settle",
     .valueName = "MS",
     .help = "watch the port this long after the window (default 500, 0 off)"},
    {.name = "json", .help = "print one JSON document"},
    {.name = "json-lines", .help = "print one JSON object per port as each finishes"},
    {.name = "log", .valueName = "FILE", .help = "append one JSON line per port to FILE"},
    {.name = "dry-run", .help = "resolve the ports and the settings, print what would be sent, open nothing"},
};

void printJson(std::ostream& out, const QJsonObject& object, bool oneLine) {
    out << QJsonDocument(object)
               .toJson(oneLine ? QJsonDocument::Compact : QJsonDocument::Indented)
               .toStdString();
    if (oneLine) {
        out << '\n';
    }
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

QJsonArray correctionsJson(const std::vector<Correction>& corrections) {
    QJsonArray list;
    for (const Correction& c : corrections) {
        QJsonObject entry{{"offset", static_cast<qint64>(c.offset)}};
        addText(entry, "field", c.field);
        addText(entry, "stored", c.stored);
        addText(entry, "used", c.used);
        if (!c.message.empty()) {
            addText(entry, "message", c.message);
        }
        list.append(entry);
    }
    return list;
}

struct Request {
    const commandline::Arguments& arguments;
    Streams& io;
    bool json() const { return arguments.has("json"); }
    bool lines() const { return arguments.has("json-lines"); }

    // Ends the run before any port is tried: the error, and for JSON the document with it.
    int error(const std::string& text, bool usage, const std::vector<Correction>& corrections = {}) const {
        if (json() || lines()) {
            QJsonObject document = programDocument({}, kExitUsageOrIo);
            addText(document, "error", text);
            if (!corrections.empty()) {
                document["corrections"] = correctionsJson(corrections);
            }
            printJson(io.out, document, lines());
        }
        if (usage) {
            return usageError(io, "program", text);
        }
        fail(io, text);
        listCorrections(corrections, io);
        return kExitUsageOrIo;
    }
};

std::optional<std::string> resolvePorts(const std::vector<std::string>& ports,
                                        std::vector<PortTarget>& targets) {
    for (const std::string& port : ports) {
        if (port.empty()) {
            // An unset variable in a script ("--port $PORT") must not fall back to some other port.
            return "--port needs a port name, not an empty text";
        }
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

std::optional<int> settleTime(const std::optional<std::string>& text) {
    if (!text) {
        return static_cast<int>(kDefaultSettleTime.count());
    }
    int ms = -1;
    const char* end = text->data() + text->size();
    const auto [last, error] = std::from_chars(text->data(), end, ms);
    if (error != std::errc{} || last != end || ms < 0 || ms > kMaxSettleMs) {
        return std::nullopt;
    }
    return ms;
}

// --frame HEX: exactly 33 bytes whose checksum is right; anything else is a typing mistake.
std::optional<std::string> frameFromHex(const std::string& text, ConfigFrame& frame) {
    std::string error;
    const auto bytes = parseHexBytes(text, error);
    if (!bytes) {
        return "--frame: " + error;
    }
    if (bytes->size() != kConfigFrameSize) {
        return "--frame: a configuration frame has 33 bytes, this has " + std::to_string(bytes->size());
    }
    std::copy(bytes->begin(), bytes->end(), frame.begin());
    const std::uint8_t expected = frameChecksum(frame);
    if (expected != frame.back()) {
        char text2[96];
        std::snprintf(text2, sizeof text2, "--frame: the checksum byte is %02X; the other 32 bytes give %02X",
                      frame.back(), expected);
        return std::string(text2);
    }
    return std::nullopt;
}

// Redraws one line on a terminal's stderr while converters are waited for; silent elsewhere, so that
// logs and pipes get no control characters.
class ProgressLine {
public:
    explicit ProgressLine(Streams& io) : m_err(io.err), m_shown(io.errIsTerminal) {}
    ~ProgressLine() { clear(); }

    void update(std::chrono::nanoseconds elapsed, const std::vector<const PortTarget*>& waiting) {
        using namespace std::chrono_literals;
        if (!m_shown || (m_drawn && elapsed - m_drawnAt < 100ms)) {
            return;
        }
        std::string names;
        for (const PortTarget* target : waiting) {
            names += (names.empty() ? "" : ", ") + commandline::printable(target->name);
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

// --dry-run: everything a run decides before it opens a port, and nothing more.
int dryRun(const Request& request, const ConfigFrame& frame, const std::vector<PortTarget>& targets) {
    const std::vector<FieldDifference> changed = differingFields(frame, factoryFrame());
    Streams& io = request.io;
    if (request.json() || request.lines()) {
        QJsonArray ports;
        for (const PortTarget& target : targets) {
            QJsonObject port;
            addText(port, "port", target.name);
            addText(port, "device", target.device.toStdString());
            ports.append(port);
        }
        QJsonArray differences;
        for (const FieldDifference& field : changed) {
            differences.append(QJsonObject{{"key", QString::fromStdString(field.key)},
                                           {"value", QString::fromStdString(field.value)},
                                           {"factory", QString::fromStdString(field.other)}});
        }
        printJson(io.out,
                  {{"version", VELTARA_VERSION},
                   {"dry_run", true},
                   {"frame", QString::fromStdString(formatHexBytes(frame))},
                   {"changed", differences},
                   {"ports", ports}},
                  request.lines());
        return kExitSuccess;
    }
    io.out << "frame " << formatHexBytes(frame) << '\n';
    if (changed.empty()) {
        io.out << "the factory values\n";
    }
    for (const FieldDifference& field : changed) {
        io.out << field.label << ": " << field.value << " (factory: " << field.other << ")\n";
    }
    for (const PortTarget& target : targets) {
        io.out << "would program " << commandline::printable(target.name) << " ("
               << commandline::printable(target.device.toStdString()) << ")\n";
    }
    return kExitSuccess;
}

int programCommand(const commandline::Arguments& arguments, Streams& io) {
    const Request request{arguments, io};
    const std::vector<std::string>& ports = arguments.values("port");
    if (ports.empty() || !arguments.operands().empty()) {
        return request.error(ports.empty()
                                 ? "program needs --port PORT"
                                 : "program takes no argument '" + arguments.operands().front() + "'",
                             true);
    }
    for (const auto& pair : {std::initializer_list<std::string_view>{"json", "json-lines"},
                             {"frame", "settings", "defaults", "from-json", "set", "accept-corrections"}}) {
        if (auto both = commandline::excludeEachOther(arguments, pair)) {
            return request.error(*both, true);
        }
    }
    if (ports.size() > kMaxPorts) {
        return request.error("at most " + std::to_string(kMaxPorts) + " ports at once", true);
    }
    if (arguments.has("log") && arguments.value("log")->empty()) {
        return request.error("--log needs a file name, not an empty text", true);
    }
    std::vector<PortTarget> targets;
    if (const auto problem = resolvePorts(ports, targets)) {
        return request.error(*problem, true);
    }
    const std::optional<int> settle = settleTime(arguments.value("settle"));
    if (!settle) {
        return request.error("--settle takes milliseconds from 0 to " + std::to_string(kMaxSettleMs), true);
    }
    // Before anything is opened, so that a stop at any moment leaves no port behind.
    StopSignals stop;

    ConfigFrame frame{};
    std::vector<Correction> corrections;
    if (const auto hex = arguments.value("frame")) {
        if (const auto problem = frameFromHex(*hex, frame)) {
            return request.error(*problem, true);
        }
    } else {
        auto loaded = loadConfiguration(arguments, io, SettingsUse::Program);
        if (const auto* error = std::get_if<ConfigurationError>(&loaded)) {
            if (error->usage || error->corrections.empty()) {
                return request.error(error->text, error->usage, error->corrections);
            }
            // Nothing was sent because of what start-up did to stored values: each port says so.
            const std::string text = "nothing was sent: " + error->text;
            std::vector<PortReport> refused;
            for (const PortTarget& target : targets) {
                PortReport& report = refused.emplace_back();
                report.target = target;
                report.result.verdict = Verdict::SettingsRefused;
                if (request.lines()) {
                    printJson(io.out, resultJson(report), true);
                } else if (!request.json()) {
                    io.out << commandline::printable(resultLine(report)) << '\n';
                }
            }
            if (request.json() || request.lines()) {
                // With --json-lines the document follows the ports' lines: the error and the corrections.
                QJsonObject document = programDocument(refused, kExitUsageOrIo);
                addText(document, "error", text);
                document["corrections"] = correctionsJson(error->corrections);
                printJson(io.out, document, request.lines());
            }
            fail(io, text);
            listCorrections(error->corrections, io);
            return kExitUsageOrIo;
        }
        const auto& configuration = std::get<Configuration>(loaded);
        frame = configuration.frame;
        corrections = configuration.corrections;
        warnOfCorrections(configuration, io);
    }
    if (arguments.has("dry-run")) {
        return dryRun(request, frame, targets);
    }
    const std::string frameText = formatHexBytes(frame);

    auto printResults = [&](const std::vector<PortReport>& reports, int exitCode,
                            const std::optional<std::string>& error) {
        if (request.json()) {
            QJsonObject document = programDocument(reports, exitCode);
            document["frame"] = QString::fromStdString(frameText);
            if (!corrections.empty()) {
                document["corrections"] = correctionsJson(corrections);
            }
            if (error) {
                addText(document, "error", *error);
            }
            printJson(io.out, document, false);
            return;
        }
        if (request.lines()) {
            return;
        }
        int programmed = 0;
        for (const PortReport& report : reports) {
            io.out << commandline::printable(resultLine(report)) << '\n';
            programmed += report.result.verdict == Verdict::Accepted ? 1 : 0;
        }
        if (reports.size() > 1) {
            io.out << programmed << " of " << reports.size() << " converters programmed\n";
        }
    };

    // A log that cannot take the results stops the run before anything is sent.
    std::shared_ptr<ResultLog> log;
    std::vector<qt::SerialDevice> devices;
    if (const auto logPath = arguments.value("log")) {
        auto opened = ResultLog::open(*logPath);
        if (!opened) {
            return request.error(opened.error().text, false);
        }
        log = std::move(opened).value();
        devices = qt::serialDevices();
    }
    if (StopSignals::caught() != 0) {
        return StopSignals::exitCode();
    }

    ProgressLine progress(io);
    std::optional<std::string> logFailure;
    GangWatchers watchers;
    watchers.interrupted = [] { return StopSignals::caught() != 0; };
    watchers.finished = [&](const PortReport& report) {
        if (request.lines()) {
            progress.clear();
            printJson(io.out, resultJson(report), true);
            io.out.flush();
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
        programPorts(targets, frame, std::chrono::milliseconds(*settle), watchers);
    progress.clear();
    if (StopSignals::caught() != 0) {
        io.err << kProgram << ": stopped; the ports are closed and nothing was judged\n";
        printResults(reports, StopSignals::exitCode(), "stopped by a signal; nothing was judged");
        return StopSignals::exitCode();
    }

    int exitCode = kExitSuccess;
    for (const PortReport& report : reports) {
        exitCode = std::max(exitCode, verdictExitCode(report.result.verdict));
        if (report.result.verdict == Verdict::PortNotOpen) {
            fail(io, "cannot open " + report.target.name + " (" + report.target.device.toStdString() +
                         "): " + report.result.failure.text);
        } else if (report.result.verdict == Verdict::LinkFailed) {
            fail(io, report.target.name + " " + verdictReason(report.result));
        }
    }
    if (logFailure) {
        fail(io, *logFailure);
        exitCode = kExitUsageOrIo;
    }
    printResults(reports, exitCode, logFailure);
    return exitCode;
}

}  // namespace

extern const Command kProgramCommand{
    .name = "program",
    .summary = "send the configuration to converters and judge their answers",
    .help =
        {.usage = "Usage: veltara-cli program --port PORT [--port PORT...]\n"
                  "           [--settings FILE | --defaults | --from-json FILE | --frame HEX]\n"
                  "           [--set KEY=VALUE...] [--accept-corrections] [--settle MS]\n"
                  "           [--json | --json-lines] [--log FILE] [--dry-run]",
         .description =
             "Sends the configuration to the converter on PORT at 9600 8N1 and waits one second for the "
             "acknowledgement 0x55, as \"Program Config\" does. PORT is a device path such as /dev/ttyUSB0, "
             "or COM1..COM8 resolved as the window resolves them. Up to 16 --port options program that "
             "many converters at once with the same frame.\n\n"
             "The settings come as for encode: from FILE, --defaults, --from-json or, without any of them, "
             "./quorvel.ini, which must then exist (in an empty folder program refuses rather than send "
             "values nobody chose); --set changes fields on top. When start-up refuses or changes a "
             "stored value nothing is sent and each correction is named with the stored and the used "
             "value, unless --accept-corrections sends the corrected values. --frame sends exactly the "
             "33 bytes given, after checking their length and checksum.\n\n"
             "Prints one line per port that was tried, in the order given: the port as typed, the device "
             "in brackets, the window's verdict "
             "(\"Configuration is successfull!\" or \"Configuration fails!\"), why, and the time it took; "
             "with several ports a last line \"N of M converters programmed\". A port that does not open "
             "is reported on stderr. On a terminal a progress line on stderr shows the ports still "
             "waited for.\n\n"
             "What arrives before the frame is discarded. After the window the port is watched for MS "
             "milliseconds more: a byte then means the converter answered late, and the run fails, so "
             "that a late answer is never taken for the next run's reply.\n\n"
             "--json prints one JSON document: version, frame, results (one per port: port, device, "
             "verdict, reason, reply, reply_bytes, elapsed_ms), summary, and corrections and error when "
             "there are any; a run that ends before any port is tried has empty results and the error. "
             "--json-lines prints one object per port as each finishes. --log FILE appends one JSON line "
             "per port, each in one write. --dry-run resolves the ports and the settings exactly as a "
             "run would and prints the frame, the fields that differ from the factory values and the "
             "ports, opening and sending nothing.\n\n"
             "Exit 0 when every converter accepted (--dry-run: when a run could start), 1 when any "
             "refused, stayed silent, answered late or could not be judged, 2 for a usage, file, log or "
             "port error; Ctrl-C or SIGTERM closes the ports and exits 130 or 143.",
         .options = kOptions},
    .run = programCommand,
    .usageDocument =
        [](std::span<const std::string> args, std::string_view error, Streams& io) {
            const bool lines = std::find(args.begin(), args.end(), "--json-lines") != args.end();
            if (lines || std::find(args.begin(), args.end(), "--json") != args.end()) {
                QJsonObject document = programDocument({}, kExitUsageOrIo);
                addText(document, "error", error);
                printJson(io.out, document, lines);
            }
        },
};

}  // namespace veltara::cli
