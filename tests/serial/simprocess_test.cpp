// veltara-sim as the user runs it: the COMn link it makes and removes, the folders it makes, its output.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "factoryframe.h"
#include "link/programmingexchange.h"
#include "serial/portauthority.h"
#include "serial/qteventpump.h"
#include "serial/qtserialcontrol.h"
#include "simlauncher.h"
#include "tempportfolder.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;

class SimulatorProcess : public ::testing::Test {
protected:
    TempPortFolder folder;
    SimLauncher sim;
};

TEST_F(SimulatorProcess, ServesTheDialogsPortUntilTerminated) {
    const std::string device = sim.start({.arguments = {"--as=COM4", "--reply", "ack"}}).toStdString();
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
    EXPECT_EQ(sim.nextLine(), "COM4 -> " + device + " (" + qt::ports::portEntryPath(4).value() + ")");
    EXPECT_EQ(sim.nextLine(), "reply ack; stop with Ctrl-C");
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
    const std::string frameLine = sim.nextLine();
    const std::string answerLine = sim.nextLine();
    std::smatch received;
    std::smatch answered;
    ASSERT_TRUE(
        std::regex_match(frameLine, received,
                         std::regex(R"(\((\d+\.\d{6})\) rx \[33\] 03 00 05 00 E4 40( [0-9A-F]{2}){26} ED  )"
                                    R"(frame 1: RS232 baud rate: 9600; .*; CAN bit rate: 250K; .*)")))
        << frameLine;
    ASSERT_TRUE(std::regex_match(answerLine, answered,
                                 std::regex(R"(\((\d+\.\d{6})\) tx \[1\] 55  reply to frame 1)")))
        << answerLine;
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(std::stod(received[1]), now, 30.0);
    EXPECT_LE(std::stod(received[1]), std::stod(answered[1]));

    EXPECT_EQ(sim.stop(), 0);
    EXPECT_EQ(sim.nextLine(), "stopped");
    EXPECT_FALSE(fs::exists(fs::symlink_status(qt::ports::portEntryPath(4).value())));
}

TEST_F(SimulatorProcess, LeavesTheUsersOwnEntryAlone) {
    ASSERT_TRUE(folder.link(4, "/dev/ttyUSB0"));
    sim.start({.arguments = {"--as", "COM4"}});
    EXPECT_EQ(sim.waitForExit(), 1);
    EXPECT_NE(sim.readAllStandardError().indexOf("already exists"), -1);
    EXPECT_EQ(fs::read_symlink(qt::ports::portEntryPath(4).value()).string(), "/dev/ttyUSB0");
}

// --as makes the folders it needs private whatever the umask, and will not use a folder that others may
// write.
TEST_F(SimulatorProcess, FoldersAreMadePrivateAndAnOpenFolderIsRefused) {
    struct Case {
        bool openFolder;
        const char* expected;
    };
    for (const Case& c : {Case{false, "COM2 -> "}, Case{true, "may be written by other users"}}) {
        const fs::path config = folder.path(c.openFolder ? "open" : "private");
        const fs::path ports = config / "veltara" / "ports";
        if (c.openFolder) {
            fs::create_directories(ports);
            fs::permissions(ports, fs::perms::all);
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.string()));
        SimLauncher run;
        run.start({.arguments = {"--as", "COM2"}, .environment = environment, .umask = 0});
        if (c.openFolder) {
            EXPECT_EQ(run.waitForExit(), 1);
            const QByteArray said = run.readAllStandardError();
            EXPECT_NE(said.indexOf(c.expected), -1) << said.toStdString();
        } else {
            const std::string said = run.nextLine();
            EXPECT_EQ(said.rfind(c.expected, 0), 0u) << said;
            for (const fs::path& made : {config, config / "veltara", ports}) {
                EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
            }
            EXPECT_EQ(run.stop(), 0);
        }
    }
}

}  // namespace
}  // namespace veltara::test
