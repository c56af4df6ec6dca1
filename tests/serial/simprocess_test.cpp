// veltara-sim as the user runs it: its options, the COMn link it makes and removes, its output.
#include <gtest/gtest.h>

#include <QProcess>
#include <chrono>
#include <filesystem>
#include <regex>

#include "factoryframe.h"
#include "link/programmingexchange.h"
#include "serial/portauthority.h"
#include "serial/qteventpump.h"
#include "serial/qtserialcontrol.h"
#include "tempportfolder.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;

class SimulatorProcess : public ::testing::Test {
protected:
    void start(const QStringList& arguments) {
        process.setProgram(QStringLiteral(VELTARA_SIM_PATH));
        process.setArguments(arguments);
        process.start();
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // The next line the simulator prints, or empty after ten seconds.
    std::string nextLine() {
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(10000)) {
                return {};
            }
        }
        return process.readLine().trimmed().toStdString();
    }

    TempPortFolder folder;
    QProcess process;
};

TEST_F(SimulatorProcess, ServesTheDialogsPortUntilTerminated) {
    start({"--as=COM4", "--reply", "ack"});
    const std::string deviceLine = nextLine();
    ASSERT_EQ(deviceLine.rfind("device /dev/", 0), 0u) << deviceLine;
    const std::string device = deviceLine.substr(7);
    EXPECT_EQ(nextLine(), "COM4 -> " + device + " (" + qt::ports::portEntryPath(4).value() + ")");
    EXPECT_EQ(nextLine(), "reply ack; stop with Ctrl-C");
    EXPECT_EQ(fs::read_symlink(qt::ports::portEntryPath(4).value()).string(), device);

    qt::QtSerialControl serial;
    qt::QtEventPump pump;
    core::SteadyClock clock;
    ASSERT_TRUE(serial.setCommPort(4));
    ASSERT_TRUE(serial.setPortOpen(true));
    const auto result =
        core::runProgrammingExchange(serial, pump, clock, kFactoryFrame, [] { return false; });
    EXPECT_EQ(result.verdict, core::Verdict::Accepted);
    // As candump prints traffic: the time, the direction, the length and the raw bytes, then the meaning.
    const std::string frameLine = nextLine();
    const std::string answerLine = nextLine();
    std::smatch received;
    std::smatch answered;
    ASSERT_TRUE(
        std::regex_match(frameLine, received,
                         std::regex(R"(\((\d+\.\d{6})\) rx \[33\] 03 00 05 00 E4 40( [0-9A-F]{2}){26} ED  )"
                                    R"(frame 1: RS232 baud rate: 9600; CAN bit rate: 250K; .*)")))
        << frameLine;
    ASSERT_TRUE(std::regex_match(answerLine, answered,
                                 std::regex(R"(\((\d+\.\d{6})\) tx \[1\] 55  reply to frame 1)")))
        << answerLine;
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(std::stod(received[1]), now, 30.0);
    EXPECT_LE(std::stod(received[1]), std::stod(answered[1]));

    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(nextLine(), "stopped");
    EXPECT_FALSE(fs::exists(fs::symlink_status(qt::ports::portEntryPath(4).value())));
}

TEST_F(SimulatorProcess, LeavesTheUsersOwnEntryAlone) {
    ASSERT_TRUE(folder.link(4, "/dev/ttyUSB0"));
    start({"--as", "COM4"});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_NE(process.readAllStandardError().indexOf("already exists"), -1);
    EXPECT_EQ(fs::read_symlink(qt::ports::portEntryPath(4).value()).string(), "/dev/ttyUSB0");
}

TEST_F(SimulatorProcess, ExplainsItsOptions) {
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* stdoutHas;
        const char* stderrHas;
    };
    const Case cases[] = {
        {{"--help"}, 0, "--reply MODE", ""},
        {{"--version"}, 0, "veltara-sim " VELTARA_VERSION "\n", ""},
        {{"--reply", "maybe"}, 2, "", "--reply takes ack, silent, nak, double or late, not \"maybe\""},
        {{"--reply=maybe"}, 2, "", "--reply takes ack, silent, nak, double or late, not \"maybe\""},
        {{"--as", "COM9"}, 2, "", "--as takes COM1 to COM8"},
        {{"--as"}, 2, "", "--as needs a value"},
        {{"--verbose"}, 2, "", "unknown option \"--verbose\"; see 'veltara-sim --help'\n"},
    };
    for (const Case& c : cases) {
        QProcess run;
        run.start(QStringLiteral(VELTARA_SIM_PATH), c.arguments);
        ASSERT_TRUE(run.waitForFinished(10000));
        const std::string args = c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitCode(), c.exitCode) << args;
        EXPECT_NE(run.readAllStandardOutput().indexOf(c.stdoutHas), -1) << args;
        const QByteArray err = run.readAllStandardError();
        EXPECT_NE(err.indexOf(c.stderrHas), -1) << args << ": " << err.toStdString();
        // A usage error is one line that points at --help, not the whole help text.
        EXPECT_EQ(err.count('\n'), c.exitCode == 0 ? 0 : 1) << args;
    }
}

}  // namespace
}  // namespace veltara::test
