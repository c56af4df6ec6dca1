// veltara-cli as scripts run it: the real executable, its output and its exit codes.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "clirun.h"
#include "factoryframe.h"
#include "helperprogram.h"
#include "session.h"
#include "simlauncher.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;

std::string hexLine(const std::vector<std::uint8_t>& bytes) {
    return hexPairs(bytes) + "\n";
}

TEST(CliEncode, DefaultsPrintTheFactoryFrameAndTouchNoFile) {
    TempDir dir;
    const CliRun run = runCli({"encode", "--defaults"}, dir.path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, hexLine(kFactoryFrame));
    EXPECT_EQ(run.err, "");
    const CliRun plain = runCli({"encode"}, dir.path());
    EXPECT_EQ(plain.code, 0) << plain.err;
    EXPECT_FALSE(fs::exists(dir / "quorvel.ini")) << "encode must never create the settings file";
}

// A record whose port number the dialog refuses and whose period it corrects.
void writeRefusedValues(const fs::path& path) {
    ConverterSettings record;
    FillStartupDefaults(record);
    record.COM = 12;
    record.PeriodmsCount.store("0");
    std::ofstream out(path, std::ios::binary);
    const SettingsSlot slot = encodeSettingsRecord(record, SettingsFiller{});
    out.write(reinterpret_cast<const char*>(slot.data()), static_cast<std::streamsize>(slot.size()));
}

struct DialogChange {
    const char* name;
    void (*apply)(Dialog&);
};

TEST(CliEncode, PrintsWhatTheDialogSendsForTheFileItSaved) {
    const DialogChange changes[] = {
        {"start-up defaults", [](Dialog&) {}},
        {"extended everywhere",
         [](Dialog& d) {
             (void)d.cmbCANtrFrmType.setListIndex(1);
             (void)d.cmbInputFrmType.setListIndex(1);
             (void)d.cmbCANRecFrmType.setListIndex(1);
             d.txtCANTrID1[3].setText("1F");
             d.txtCANMask1[2].setText("a5");
         }},
        {"receive all, periodic, protection",
         [](Dialog& d) {
             (void)d.cmbCANRecFrmType.setListIndex(2);
             d.optInputPeriodTr.setValue(true);
             d.txtPeriodmsCount.setText("65535");
             (void)d.chkOutputProtection.setValue(1);
             d.txtOutputProtectValue.setText("5a");
             (void)d.ChkRS232RecID.setValue(1);
             d.optCANTrMultiByte.setValue(true);
             (void)d.CmbCANBaudRate.setListIndex(7);
         }},
    };
    for (const auto& change : changes) {
        TempDir dir;
        std::vector<std::uint8_t> sent;
        {
            ScopedCurrentDirectory cwd(dir.path());
            HeadlessSession session;
            session.start();
            change.apply(session.dialog);
            sent = session.programFrame();
            session.close();
        }
        ASSERT_EQ(sent.size(), 33u) << change.name;
        const auto before = fs::last_write_time(dir / "quorvel.ini");
        const CliRun run = runCli({"encode", "--settings", "quorvel.ini"}, dir.path());
        EXPECT_EQ(run.code, 0) << change.name << ": " << run.err;
        EXPECT_EQ(run.out, hexLine(sent)) << change.name;
        EXPECT_EQ(fs::last_write_time(dir / "quorvel.ini"), before) << change.name;
    }
}

// What start-up corrects is named box by box, with the stored and the used value, and refused unless
// accepted.
TEST(CliEncode, StartUpCorrectionsAreNamedAndRefusedUnlessAccepted) {
    TempDir dir;
    ConverterSettings record;
    FillStartupDefaults(record);
    record.COM = 12;
    record.PeriodmsCount.store("0");
    record.CANMask1[2].store("zz");
    record.InputID1[0].store("zz");
    {
        std::ofstream out(dir / "settings.bin", std::ios::binary);
        const SettingsSlot slot = encodeSettingsRecord(record, SettingsFiller{});
        out.write(reinterpret_cast<const char*>(slot.data()), static_cast<std::streamsize>(slot.size()));
    }
    const CliRun run = runCli({"encode", "--settings", "settings.bin"}, dir.path());
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.out, "");
    for (const char* line :
         {"  RS232 Config > RS232 Port (offset 0): stored 12 (no such entry; the list has 8), used -1 (none "
          "selected) (\"The settings file holds the value 12 for COM",
          "  CAN Receiving > Mask, box 2 of 4 (offset 54): stored \"zz\", used \"00\"",
          "  I/O Config > Input Frame ID, box 4 of 4 (offset 94): stored \"zz\", used \"00\"",
          "  I/O Feature > Period ms Count (offset 126): stored \"0\", used \"1\""}) {
        EXPECT_NE(run.err.find(line), std::string::npos) << line << "\n" << run.err;
    }
    const CliRun accepted =
        runCli({"encode", "--settings", "settings.bin", "--accept-corrections"}, dir.path());
    EXPECT_EQ(accepted.code, 0) << accepted.err;
    EXPECT_EQ(accepted.out.size(), 33u * 3);
    EXPECT_EQ(std::count(accepted.err.begin(), accepted.err.end(), '\n'), 4) << accepted.err;
}

TEST(CliDecode, RoundTripsEncodeFromArgumentsOrStandardInputAndNamesEveryField) {
    TempDir dir;
    const std::string frame = runCli({"encode", "--defaults"}, dir.path()).out;
    QString compact = QString::fromStdString(frame).trimmed();
    compact.remove(' ');
    const QString spaced = QString::fromStdString(frame).trimmed();
    QString cStyle = "0x" + spaced;
    cStyle.replace(" ", ", 0x");
    struct Form {
        QStringList args;
        std::string input;
    };
    const Form forms[] = {{{spaced}, ""}, {{compact}, ""}, {{"0x" + compact}, ""},
                          {{cStyle}, ""}, {{}, frame},     {{}, "0x" + frame}};
    for (const Form& form : forms) {
        CliStart start;
        start.directory = dir.path();
        start.input = form.input;
        const CliRun run = runProgram(QStringList{"decode"} + form.args, start);
        EXPECT_EQ(run.code, 0) << form.args.join(' ').toStdString() << form.input << run.err;
        for (const char* expected :
             {"RS232 baud rate", "9600", "250K", "standard 0x722", "standard 0x522", "standard 0x322",
              "standard 0x7FF", "on change", "Period ms count", "300", "Immediatly 1 byteTransmit"}) {
            EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
        }
    }
    // Typed values: numbers, flags, identifiers as numbers with their frame type apart.
    const CliRun json = runCli({"decode", "--json", compact}, dir.path());
    EXPECT_EQ(json.code, 0);
    EXPECT_EQ(json.out.rfind("{\"checksum_ok\": true", 0), 0u) << json.out;
    for (const char* expected :
         {"\"rs232_baud_rate\": 9600,", "\"can_baud_rate\": 250000,",
          "\"input_id\": 1826, \"input_id_frame_type\": \"standard\",", "\"output_protection\": false,",
          "\"can_transmit_id\": 802, \"can_transmit_id_frame_type\": \"standard\",",
          "\"period_ms_count\": 300,", "\"input_transmitting\": \"on_change\",", "\"checksum\": 237}",
          "\"dialog_never_sends\": {},", "\"can_baud_rate_code\": 5,", "\"reserved_byte_1\": 0,"}) {
        EXPECT_NE(json.out.find(expected), std::string::npos) << expected << "\n" << json.out;
    }
}

TEST(CliDecode, AWrongChecksumSaysExpectedAndFound) {
    TempDir dir;
    std::string frame = hexLine(kFactoryFrame);
    frame.replace(frame.size() - 3, 2, "EE");
    const CliRun run = runCli({"decode", QString::fromStdString(frame).trimmed()}, dir.path());
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("checksum mismatch: expected ED, found EE"), std::string::npos) << run.err;
}

// Root reads any file, so as root the commands run as nobody.
TEST(CliUsage, AnUnreadableSettingsFileIsAnError) {
    TempDir dir;
    const fs::path file = dir / "locked.ini";
    writeRefusedValues(file);
    fs::permissions(file, fs::perms::none);
    const UnprivilegedHelper cli(VELTARA_CLI_PATH);
    ASSERT_EQ(cli.problem(), "");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"encode", "--settings", file.string()},
          std::vector<std::string>{"program", "--port", "/dev/null", "--settings=" + file.string()}}) {
        const std::vector<std::string> command = cli.command(args);
        QStringList arguments;
        for (std::size_t i = 1; i < command.size(); ++i) {
            arguments << QString::fromStdString(command[i]);
        }
        QProcess process;
        process.setWorkingDirectory("/");
        process.start(QString::fromStdString(command.front()), arguments);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 2) << args.front();
        EXPECT_TRUE(process.readAllStandardError().contains("Permission denied")) << args.front();
    }
}

struct ProgramCase {
    const char* reply;
    int code;
    const char* verdict;
};

// One line per port: the port as typed, its device, the window's words and why.
TEST(CliProgram, JudgesTheConvertersReplyAndSaysWhy) {
    const ProgramCase cases[] = {{"ack", 0, "Configuration is successfull! answered 0x55, "},
                                 {"silent", 1, "Configuration fails! no answer within the window, "},
                                 {"nak", 1, "Configuration fails! answered 0xAA, "},
                                 {"double", 1, "Configuration fails! answered 2 bytes (55 55), "}};
    TempDir dir;
    for (const auto& c : cases) {
        SimLauncher sim({"--reply", c.reply});
        ASSERT_FALSE(sim.device().isEmpty()) << c.reply;
        const CliRun run = runCli({"program", "--port", sim.device(), "--defaults"}, dir.path());
        EXPECT_EQ(run.code, c.code) << c.reply << ": " << run.err;
        const std::string device = sim.device().toStdString();
        EXPECT_EQ(run.out.rfind(device + " (" + device + "): " + c.verdict, 0), 0u) << run.out;
        EXPECT_EQ(run.out.substr(run.out.size() - 4), " ms\n") << run.out;
    }
    EXPECT_FALSE(fs::exists(dir / "quorvel.ini"));
}

TEST(CliProgram, StartUpCorrectionsStopTheSendUnlessAccepted) {
    TempDir dir;
    writeRefusedValues(dir / "quorvel.ini");
    SimLauncher sim({"--reply", "ack"});
    ASSERT_FALSE(sim.device().isEmpty());
    const CliRun refused = runCli({"program", "--port", sim.device()}, dir.path());
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.out.find("Configuration fails! settings refused before sending"), std::string::npos)
        << refused.out;
    EXPECT_NE(refused.err.find("nothing was sent"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("  I/O Feature > Period ms Count (offset 126): stored \"0\", used \"1\""),
              std::string::npos)
        << refused.err;

    const CliRun json = runCli({"program", "--port", sim.device(), "--json"}, dir.path());
    EXPECT_EQ(json.code, 2);
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_TRUE(object["error"].toString().startsWith("nothing was sent")) << json.out;
    EXPECT_EQ(object["results"].toArray()[0].toObject()["verdict"].toString(), "settings_refused");
    const QJsonArray corrections = object["corrections"].toArray();
    ASSERT_EQ(corrections.size(), 2) << json.out;
    EXPECT_EQ(corrections[0].toObject()["field"].toString(), "RS232 Config > RS232 Port");
    EXPECT_EQ(corrections[1].toObject()["message"].toString(), "Please enter decimal number (1 to 65535)!");

    const CliRun accepted = runCli({"program", "--port", sim.device(), "--accept-corrections"}, dir.path());
    EXPECT_EQ(accepted.code, 0) << accepted.err;
    EXPECT_NE(accepted.out.find("Configuration is successfull!"), std::string::npos) << accepted.out;
}

// A converter answering half a second after the window: its run fails, and so does every following
// run, which must neither take the late byte for its own reply nor leave one behind.
TEST(CliProgram, ALateAnswerFailsItsOwnRunAndNoOther) {
    TempDir dir;
    SimLauncher sim({"--reply", "late"});
    ASSERT_FALSE(sim.device().isEmpty());
    const CliRun caught =
        runCli({"program", "--port", sim.device(), "--defaults", "--settle", "1000"}, dir.path());
    EXPECT_EQ(caught.code, 1);
    EXPECT_NE(caught.out.find("Configuration fails! answered late, "), std::string::npos) << caught.out;
    EXPECT_NE(caught.out.find(" ms after the window, "), std::string::npos) << caught.out;
    for (int run = 1; run <= 4; ++run) {
        const CliRun next = runCli({"program", "--port", sim.device(), "--defaults"}, dir.path());
        EXPECT_EQ(next.code, 1) << "back-to-back run " << run << ": " << next.out;
    }
    const CliRun off = runCli({"program", "--port", sim.device(), "--defaults", "--settle=0"}, dir.path());
    EXPECT_NE(off.out.find("Configuration fails! no answer within the window"), std::string::npos)
        << "with no settle time the window alone judges: " << off.out;
}

// Stopped after the frame went out and let run again once the late answer has come: the answer was
// late, and a run that did not see when it came must not call it a success.
TEST(CliProgram, APauseOverTheWindowIsNotASuccess) {
    TempDir dir;
    SimLauncher sim({"--reply", "late"});
    ASSERT_FALSE(sim.device().isEmpty());
    QProcess cli;
    cli.setWorkingDirectory(QString::fromStdString(dir.path().string()));
    cli.start(QStringLiteral(VELTARA_CLI_PATH), {"program", "--port", sim.device(), "--defaults"});
    ASSERT_TRUE(cli.waitForStarted());
    ASSERT_FALSE(sim.waitForLine(" rx [33] ").empty());
    ::kill(static_cast<pid_t>(cli.processId()), SIGSTOP);
    ASSERT_FALSE(sim.waitForLine(" tx [1] 55").empty());
    ::kill(static_cast<pid_t>(cli.processId()), SIGCONT);
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_TRUE(cli.readAllStandardOutput().contains("Configuration fails! paused during the window"));
}

struct GangCase {
    std::vector<const char*> replies;  // nullptr: a device that does not exist
    int code;
};

TEST(CliProgram, AGangIsProgrammedTogetherAndReportedAsOneDocument) {
    const GangCase cases[] = {
        {{"ack", "ack", "ack"}, 0},
        {{"ack", "nak", "ack"}, 1},
        {{"silent", "ack"}, 1},
        {{"ack", nullptr, "nak"}, 2},
    };
    TempDir dir;
    for (const GangCase& c : cases) {
        std::vector<std::unique_ptr<SimLauncher>> sims;
        QStringList args = {"program", "--defaults", "--json", "--log", "run.log"};
        for (const char* reply : c.replies) {
            QString device = "/dev/veltara-no-such-device";
            if (reply) {
                device =
                    sims.emplace_back(std::make_unique<SimLauncher>(QStringList{"--reply", reply}))->device();
            }
            args << "--port=" + device;
        }
        fs::remove(dir / "run.log");
        const CliRun run = runCli(args, dir.path());
        const std::string name = args.join(' ').toStdString();
        EXPECT_EQ(run.code, c.code) << name << "\n" << run.out << run.err;
        QJsonParseError error;
        const QJsonObject document =
            QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out;
        const QJsonArray results = document["results"].toArray();
        ASSERT_EQ(results.size(), static_cast<qsizetype>(c.replies.size())) << run.out;
        std::ifstream logFile(dir / "run.log");
        std::vector<QJsonObject> logged;
        for (std::string line; std::getline(logFile, line);) {
            logged.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
        }
        ASSERT_EQ(logged.size(), c.replies.size()) << name;
        int programmed = 0;
        for (std::size_t i = 0; i < c.replies.size(); ++i) {
            const QJsonObject result = results[static_cast<qsizetype>(i)].toObject();
            const std::string reply = c.replies[i] ? c.replies[i] : "";
            const char* expected = reply.empty()    ? "port_not_open"
                                   : reply == "ack" ? "accepted"
                                   : reply == "nak" ? "wrong_reply"
                                                    : "silent";
            EXPECT_EQ(result["verdict"].toString().toStdString(), expected) << name << " port " << i;
            EXPECT_EQ(result["port"].toString(), args[5 + static_cast<qsizetype>(i)].mid(7)) << name;
            programmed += result["accepted"].toBool() ? 1 : 0;
            // The log names the same ports, each once, with what traces the board.
            const auto entry = std::find_if(logged.begin(), logged.end(), [&](const QJsonObject& e) {
                return e["port"] == result["port"];
            });
            ASSERT_NE(entry, logged.end()) << name;
            EXPECT_EQ((*entry)["verdict"], result["verdict"]);
            EXPECT_EQ((*entry)["frame"].toString().toStdString() + "\n", hexLine(kFactoryFrame));
            EXPECT_TRUE(QDateTime::fromString((*entry)["time"].toString(), Qt::ISODateWithMs).isValid());
            for (const char* key : {"host", "version", "by_id", "usb_serial", "elapsed_ms", "reply_bytes"}) {
                EXPECT_TRUE(entry->contains(key)) << key;
            }
        }
        EXPECT_EQ(document["summary"].toObject()["programmed"].toInt(), programmed) << run.out;
        EXPECT_EQ(document["summary"].toObject()["exit_code"].toInt(), c.code) << run.out;
    }
    SimLauncher a({"--reply", "ack"});
    SimLauncher b({"--reply", "silent"});
    const CliRun text =
        runCli({"program", "--defaults", "--port", a.device(), "--port", b.device()}, dir.path());
    const QStringList lines = QString::fromStdString(text.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << text.out;
    EXPECT_TRUE(lines[0].startsWith(a.device() + " (" + a.device() + "): Configuration is successfull!"));
    EXPECT_TRUE(lines[1].startsWith(b.device() + " (" + b.device() + "): Configuration fails!"));
    EXPECT_EQ(lines[2], "1 of 2 converters programmed");
    EXPECT_EQ(text.err, "") << "no progress line when stderr is not a terminal";

    const CliRun lines2 = runCli({"program", "--defaults", "--json-lines", "--port", a.device()}, dir.path());
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(lines2.out)).object()["verdict"], "accepted")
        << lines2.out;
}

TEST(CliProgram, ALogThatCannotBeWrittenStopsTheRunBeforeSending) {
    TempDir dir;
    SimLauncher sim({"--reply", "ack"});
    ASSERT_FALSE(sim.device().isEmpty());
    fs::create_symlink("elsewhere.log", dir / "link.log");
    for (const char* log : {"missing/run.log", "/dev/null", "link.log"}) {
        const CliRun run =
            runCli({"program", "--defaults", "--port", sim.device(), "--log", log}, dir.path());
        EXPECT_EQ(run.code, 2) << log;
        EXPECT_EQ(run.out, "") << log;
        EXPECT_NE(run.err.find(std::string("the log ") + log), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(dir / "elsewhere.log"));
    // Nothing was sent: the converter's first frame is the one of this run.
    const CliRun after = runCli({"program", "--defaults", "--port", sim.device()}, dir.path());
    EXPECT_EQ(after.code, 0);
    EXPECT_NE(sim.waitForLine(" rx [33] ").find("frame 1:"), std::string::npos);
}

// The lock file Qt keeps for an open serial device.
fs::path lockFileOf(const QString& device) {
    QString name = device.mid(5);
    name.replace('/', '_');
    for (const char* folder : {"/var/lock", "/run/lock", "/tmp"}) {
        if (fs::exists(fs::path(folder) / ("LCK.." + name.toStdString()))) {
            return fs::path(folder) / ("LCK.." + name.toStdString());
        }
    }
    return {};
}

TEST(CliProgram, StoppingItClosesThePortReleasesTheLockAndExitsAsTheSignalSays) {
    TempDir dir;
    SimLauncher sim({"--reply", "silent"});
    ASSERT_FALSE(sim.device().isEmpty());
    for (const auto& [signal, code] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        QProcess cli;
        cli.setWorkingDirectory(QString::fromStdString(dir.path().string()));
        cli.start(QStringLiteral(VELTARA_CLI_PATH), {"program", "--port", sim.device(), "--defaults"});
        ASSERT_TRUE(cli.waitForStarted());
        // Nothing reports the lock but the file itself; a loaded machine may take long to start the run.
        fs::path lock;
        for (const QDeadlineTimer deadline(SimLauncher::kDeadline); lock.empty() && !deadline.hasExpired();) {
            QThread::msleep(5);
            lock = lockFileOf(sim.device());
        }
        ASSERT_FALSE(lock.empty()) << "the port was never locked";
        ::kill(static_cast<pid_t>(cli.processId()), signal);
        ASSERT_TRUE(cli.waitForFinished(30000));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(cli.exitCode(), code) << signal;
        EXPECT_FALSE(fs::exists(lock)) << signal;
        const CliRun again =
            runCli({"program", "--port", sim.device(), "--defaults", "--settle=0"}, dir.path());
        EXPECT_EQ(again.code, 1) << "the port opens again: " << again.err;
    }
}

// Runs the executable from a shell line, for what QProcess cannot arrange: raw bytes in arguments, a
// closed stdout, a pipe whose reader has gone.
CliRun runShell(const std::string& line, const fs::path& directory) {
    QProcess shell;
    shell.setWorkingDirectory(QString::fromStdString(directory.string()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("CLI", VELTARA_CLI_PATH);
    shell.setProcessEnvironment(environment);
    shell.start("/bin/bash", {"-c", QString::fromStdString(line)});
    if (!shell.waitForFinished(30000)) {
        return {};
    }
    return {shell.exitCode(), shell.readAllStandardOutput().toStdString(),
            shell.readAllStandardError().toStdString()};
}

TEST(CliOutput, AnOutputThatFailsIsAnErrorAndJsonIsAlwaysValid) {
    TempDir dir;
    struct WriteCase {
        const char* line;
        const char* error;
    };
    const WriteCase writes[] = {
        {R"("$CLI" encode --defaults >/dev/full; echo "exit $?" >&2)", "No space left on device\nexit 2"},
        {R"("$CLI" encode --defaults >&-; echo "exit $?" >&2)", "Bad file descriptor\nexit 2"},
        // The reader closes its end and only then lets the writer start: no race with the pipe.
        {R"(mkfifo go; { read < go; "$CLI" encode --defaults; echo "exit $?" >&2; } | { exec 0<&-; echo > go; })",
         "Broken pipe\nexit 2"},
    };
    for (const WriteCase& w : writes) {
        const CliRun run = runShell(w.line, dir.path());
        EXPECT_NE(run.err.find(std::string("veltara-cli: cannot write to standard output: ") + w.error),
                  std::string::npos)
            << w.line << "\n"
            << run.err;
    }

    const CliRun raw =
        runShell(R"("$CLI" program --json --port /dev/null --settings $'caf\xe9\xff.ini')", dir.path());
    EXPECT_EQ(raw.code, 2);
    const QString decoded = QString::fromUtf8(raw.out);
    EXPECT_EQ(decoded.toUtf8().toStdString(), raw.out) << "not UTF-8: " << raw.out;
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(raw.out), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << raw.out;
    EXPECT_TRUE(object["error"].toString().contains(QString::fromUtf8("caf\u00e9\u00ff.ini"))) << raw.out;
    EXPECT_TRUE(object["results"].isArray()) << raw.out;
    // A log past the file size limit (which leaves room for the port's lock file). The line of a port
    // that did not open is written before sending: refused, nothing is sent. Refused after sending, the
    // run fails with the results printed.
    SimLauncher sim({"--reply", "ack"});
    const std::string limited = R"(head -c 1024 /dev/zero > run.log; ulimit -f 1; "$CLI" program --defaults )"
                                R"(--log run.log --port )" +
                                sim.device().toStdString();
    const CliRun early = runShell(limited + " --port /dev/veltara-no-such-device", dir.path());
    EXPECT_EQ(early.code, 2) << early.err;
    EXPECT_NE(early.out.find("): Configuration fails! stopped before the converter was judged"),
              std::string::npos)
        << early.out;
    const CliRun full = runShell(limited, dir.path());
    EXPECT_EQ(full.code, 2) << full.err;
    EXPECT_NE(full.out.find("Configuration is successfull!"), std::string::npos) << full.out;
    EXPECT_NE(full.err.find("cannot write to the log run.log: File too large"), std::string::npos)
        << full.err;

    // Usage errors, too, are the same document when JSON was asked for.
    for (const char* line : {R"("$CLI" program --json --port COM9 --defaults)",
                             R"("$CLI" decode --json 0300)", R"("$CLI" ports --json extra)"}) {
        const CliRun usage = runShell(line, dir.path());
        EXPECT_EQ(usage.code, 2) << line;
        EXPECT_FALSE(QJsonDocument::fromJson(QByteArray::fromStdString(usage.out))
                         .object()["error"]
                         .toString()
                         .isEmpty())
            << line << usage.out;
    }
}

}  // namespace
}  // namespace veltara::test
