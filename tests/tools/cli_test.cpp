// veltara-cli as scripts run it: the real executable, its output and its exit codes.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <fstream>

#include "clirun.h"
#include "factoryframe.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;

std::string hexLine(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char pair[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += (text.empty() ? "" : " ") + std::string(pair);
    }
    return text + "\n";
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

TEST(CliEncode, TheDialogsMessagesGoToStderrAsTitleAndText) {
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
    EXPECT_EQ(run.code, 0);
    EXPECT_NE(run.err.find("Veltara: The settings file holds the value 12 for COM"), std::string::npos)
        << run.err;
    // One message repeated for several boxes names the box with each.
    for (const char* line :
         {"Input Data Error: I/O Feature: Period ms Count: Please enter decimal number (1 to 65535)!\n",
          "Input Data Error: CAN Receiving: Mask, byte 2: Please enter the hexcial digit (0 to FF)!\n",
          "Input Data Error: I/O Config: Input Frame ID, byte 0: Please enter the hexcial digit (0 to "
          "FF)!\n"}) {
        EXPECT_NE(run.err.find(line), std::string::npos) << line << "\n" << run.err;
    }
    EXPECT_EQ(run.out.size(), 33u * 3);
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
          "\"period_ms_count\": 300,", "\"input_transmitting\": \"on_change\",", "\"checksum\": 237}"}) {
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

struct UsageCase {
    QStringList args;
    const char* error;
};

TEST(CliUsage, BadArgumentsFilesAndPortsExitTwoWithAClearError) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    const UsageCase cases[] = {
        {{}, "Usage: veltara-cli COMMAND"},
        {{"flash"}, "unknown command 'flash'"},
        {{"encode", "--bogus"}, "unknown option --bogus"},
        {{"encode", "--settings"}, "--settings needs a value"},
        {{"encode", "--settings", "x", "--defaults"}, "--settings and --defaults exclude each other"},
        {{"encode", "--settings", "folder"}, "it is a directory"},
        {{"decode"}, "decode needs the frame's bytes"},
        {{"decode", "03 00 zz"}, "'z' at position 7 is not a hexadecimal digit"},
        {{"decode", "030"}, "write bytes as pairs"},
        {{"decode", "0300"}, "a configuration frame has 33 bytes, this has 2"},
        {{"decode", "03 0x"}, "'0x' at position 4 is followed by no hexadecimal digit"},
        {{"program", "--defaults"}, "program needs --port PORT"},
        {{"program", "--port", "COM9"}, "COM9 is not a port"},
        {{"program", "--port", "/dev/veltara-no-such-device", "--defaults"},
         "cannot open /dev/veltara-no-such-device: No such file or directory"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(c.args, dir.path());
        EXPECT_EQ(run.code, 2) << c.args.join(' ').toStdString();
        EXPECT_NE(run.err.find(c.error), std::string::npos) << c.args.join(' ').toStdString() << "\n"
                                                            << run.err;
        EXPECT_EQ(run.err.find("Com Port fails to open"), std::string::npos)
            << "the port failure is told once";
    }
}

TEST(CliUsage, HelpAndVersion) {
    TempDir dir;
    for (const char* command : {"encode", "decode", "program", "ports"}) {
        const CliRun run = runCli({command, "--help"}, dir.path());
        EXPECT_EQ(run.code, 0) << command;
        EXPECT_EQ(run.out.rfind(std::string("Usage: veltara-cli ") + command, 0), 0u) << run.out;
    }
    EXPECT_EQ(runCli({"--version"}, dir.path()).out.rfind("veltara-cli ", 0), 0u);
    const CliRun ports = runCli({"ports"}, dir.path());
    EXPECT_EQ(ports.code, 0);
    EXPECT_EQ(ports.out.rfind("COM1  ", 0), 0u) << ports.out;
}

// The simulator in its own process, serving one pseudo-terminal.
class Simulator {
public:
    explicit Simulator(const char* reply) {
        m_process.setProgram(QStringLiteral(VELTARA_SIM_PATH));
        m_process.setArguments({"--reply", reply});
        m_process.start();
        if (m_process.waitForStarted(10000)) {
            while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
            }
            const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
            if (line.startsWith("device ")) {
                m_device = line.mid(7);
            }
        }
    }
    ~Simulator() {
        m_process.terminate();
        m_process.waitForFinished(10000);
    }
    const QString& device() const { return m_device; }

private:
    QProcess m_process;
    QString m_device;
};

struct ProgramCase {
    const char* reply;
    int code;
    const char* line;
};

TEST(CliProgram, JudgesTheConvertersReply) {
    const ProgramCase cases[] = {{"ack", 0, "Configuration is successfull!\n"},
                                 {"silent", 1, "Configuration fails!\n"},
                                 {"nak", 1, "Configuration fails!\n"},
                                 {"double", 1, "Configuration fails!\n"}};
    TempDir dir;
    for (const auto& c : cases) {
        Simulator sim(c.reply);
        ASSERT_FALSE(sim.device().isEmpty()) << c.reply;
        const CliRun run = runCli({"program", "--port", sim.device(), "--defaults"}, dir.path());
        EXPECT_EQ(run.code, c.code) << c.reply << ": " << run.err;
        EXPECT_EQ(run.out, c.line) << c.reply;
    }
    EXPECT_FALSE(fs::exists(dir / "quorvel.ini"));
}

TEST(CliProgram, JsonCarriesTheFrameSent) {
    TempDir dir;
    Simulator sim("ack");
    ASSERT_FALSE(sim.device().isEmpty());
    const CliRun run = runCli({"program", "--port", sim.device(), "--defaults", "--json"}, dir.path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "{\"result\": \"success\", \"message\": \"Configuration is successfull!\", \"port\": \"" +
                  sim.device().toStdString() + "\", \"frame\": \"" + hexLine(kFactoryFrame).substr(0, 98) +
                  "\"}\n");
}

}  // namespace
}  // namespace veltara::test
