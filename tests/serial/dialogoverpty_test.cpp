// The dialog end to end: the real serial control and event pump on a pseudo-terminal, the simulated
// converter at the far end, message boxes recorded.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

#include "fakes.h"
#include "link/framefields.h"
#include "messagetexts.h"
#include "serial/portauthority.h"
#include "serial/qtserialcontrol.h"
#include "sim/convertersimulator.h"
#include "simulatorpump.h"
#include "tempportfolder.h"

namespace veltara::test {
namespace {

using namespace std::chrono_literals;

class DialogOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(simulator.open());
        // COM1 is the port a dialog without saved settings opens.
        ASSERT_TRUE(link.create(1, simulator.devicePath()));
        QObject::connect(&serial, &qt::QtSerialControl::portFailed, [this] { ++portFailures; });
        dialog.Form_Load();
        dialog.setShown(true);
        ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
        ASSERT_TRUE(serial.portOpen().value());
    }

    // Presses "Program Config" and returns how long the handler took.
    std::chrono::milliseconds press() {
        messages.clear();
        QElapsedTimer timer;
        timer.start();
        dialog.btnProgramConfig_Click();
        return std::chrono::milliseconds(timer.elapsed());
    }

    int receiveCount() { return serial.inBufferCount().value(); }

    TempPortFolder folder;
    std::vector<std::string> converterLog;
    sim::ConverterSimulator simulator{sim::ReplyMode::Ack,
                                      [this](const std::string& line) { converterLog.push_back(line); }};
    qt::ports::ComLink link;
    qt::QtSerialControl serial;
    SimulatorPump pump{simulator};
    core::SteadyClock clock;
    DialogFixture fixture{{.serial = &serial, .pump = &pump, .clock = &clock}};
    FakeMessageBoxes& messages = fixture.messages;
    core::Dialog& dialog = fixture.dialog;
    int portFailures = 0;
};

struct ReplyCase {
    const char* name;
    sim::ReplyMode mode;
    const char* text;
    const char* title;
};

void PrintTo(const ReplyCase& c, std::ostream* out) {
    *out << c.name;
}

class DialogReplies : public DialogOverPty, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(DialogReplies, ShowTheirMessageAfterTheWindowWithTheReceiveBufferEmpty) {
    const ReplyCase& c = GetParam();
    simulator.setReplyMode(c.mode);
    const auto took = press();
    ASSERT_EQ(messages.texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(messages.shown[0].title, c.title);
    EXPECT_EQ(messages.shown[0].icon, core::MessageIcon::Information);
    // Never sooner than the one-second window, even when the converter answers at once.
    EXPECT_GE(took, 1000ms);
    EXPECT_LT(took, 2000ms);
    // The frame crossed the line byte for byte.
    ASSERT_EQ(simulator.framesReceived(), 1);
    const auto sent = core::decodeConfigFrame(dialog.ConfigFrameBytes);
    ASSERT_TRUE(sent);
    const std::string received = converterLog[0];
    EXPECT_EQ(received.substr(received.find("frame 1: ")),
              "frame 1: " + core::describeFrameLine(dialog.ConfigFrameBytes));
    // Read on success, consumed or discarded on failure.
    EXPECT_EQ(receiveCount(), 0);
    EXPECT_TRUE(serial.portOpen().value());
}

INSTANTIATE_TEST_SUITE_P(
    Converter, DialogReplies,
    ::testing::Values(ReplyCase{"acknowledges", sim::ReplyMode::Ack, kSucceeds, "config confirmation"},
                      ReplyCase{"stays_silent", sim::ReplyMode::Silent, kFails, "Config confirmation"},
                      ReplyCase{"answers_a_wrong_byte", sim::ReplyMode::Nak, kFails, "Config confirmation"},
                      ReplyCase{"acknowledges_twice", sim::ReplyMode::Double, kFails, "Config confirmation"}),
    [](const ::testing::TestParamInfo<ReplyCase>& param) { return std::string(param.param.name); });

TEST_F(DialogOverPty, ALateReplyFailsThenSpoilsTheNextPressThenTheThirdSucceeds) {
    simulator.setReplyMode(sim::ReplyMode::Late);
    press();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kFails});
    EXPECT_EQ(receiveCount(), 0);
    EXPECT_TRUE(simulator.replyPending());

    // The late byte lands in this window next to the prompt acknowledgement.
    simulator.setReplyMode(sim::ReplyMode::Ack);
    press();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kFails});
    EXPECT_FALSE(simulator.replyPending());
    EXPECT_EQ(receiveCount(), 0);

    press();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kSucceeds});
    EXPECT_EQ(simulator.framesReceived(), 3);
}

TEST_F(DialogOverPty, AByteThatArrivedBeforeThePressCountsAsTheReply) {
    simulator.setReplyMode(sim::ReplyMode::Silent);
    ASSERT_TRUE(simulator.send(std::vector<std::uint8_t>{0x55}));
    press();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kSucceeds});
    EXPECT_EQ(receiveCount(), 0);
}

TEST_F(DialogOverPty, AMissingPortShowsTheMessageAndProgramConfigSendsNothing) {
    ASSERT_TRUE(folder.link(2, folder.path("ttyUSB-unplugged")));
    messages.clear();
    ASSERT_TRUE(dialog.CmbCOM.setListIndex(1));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kPortFailure});
    EXPECT_EQ(dialog.lastPortError(), (core::Error{core::ErrorCode::NotFound, "No such file or directory"}));
    EXPECT_FALSE(serial.portOpen().value());

    const auto took = press();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kPortFailure});
    EXPECT_EQ(messages.shown[0].title, "Veltara");
    EXPECT_LT(took, 500ms);
    pump.run(50ms);
    EXPECT_EQ(simulator.framesReceived(), 0);
}

TEST_F(DialogOverPty, APortHeldByAnotherProgramIsBusyUntilItLetsGo) {
    ASSERT_TRUE(serial.setPortOpen(false));
    QProcess holder;
    holder.start(QStringLiteral(VELTARA_PORT_HOLDER), {QString::fromStdString(simulator.devicePath())});
    ASSERT_TRUE(holder.waitForReadyRead(10000)) << holder.readAllStandardError().toStdString();
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "held");

    messages.clear();
    ASSERT_TRUE(dialog.CmbCOM.setListIndex(0));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kPortFailure});
    // The holder is named, by its process number and program, and the lock file it keeps.
    EXPECT_EQ(dialog.lastPortError()->code, core::ErrorCode::Busy);
    for (const std::string& words :
         {"PID " + std::to_string(holder.processId()), std::string("serial_port_hol"),
          qt::ports::lockFilePath(simulator.devicePath())}) {
        EXPECT_NE(dialog.lastPortError()->text.find(words), std::string::npos)
            << dialog.lastPortError()->text;
    }
    press();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kPortFailure});

    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(10000));
    messages.clear();
    ASSERT_TRUE(dialog.CmbCOM.setListIndex(0));
    EXPECT_TRUE(messages.shown.empty());
    press();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kSucceeds});
}

TEST_F(DialogOverPty, TheDeviceVanishingMidExchangeFailsOnceAndClosesThePort) {
    struct Stage {
        const char* name;
        int atYield;
        std::chrono::milliseconds atMost;
    };
    // While draining the exchange ends at its next reading; in the window it ends at the judgement.
    for (const Stage stage : {Stage{"draining", 1, 500ms}, Stage{"in the window", 40, 2000ms}}) {
        SCOPED_TRACE(stage.name);
        if (!serial.portOpen().value()) {
            simulator.hangUp();
            ASSERT_TRUE(simulator.open());
            std::filesystem::remove(qt::ports::portEntryPath(1).value());
            ASSERT_TRUE(link.create(1, simulator.devicePath()));
            ASSERT_TRUE(dialog.CmbCOM.setListIndex(0));
        }
        portFailures = 0;
        pump.yields = 0;
        pump.onYield = [&] {
            if (pump.yields == stage.atYield) {
                simulator.hangUp();
            }
        };
        const auto took = press();
        pump.onYield = nullptr;
        EXPECT_EQ(messages.texts(), std::vector<std::string>{kFails});
        EXPECT_LT(took, stage.atMost);
        EXPECT_FALSE(serial.portOpen().value());
        EXPECT_EQ(dialog.lastPortError(), (core::Error{core::ErrorCode::Io, "Input/output error"}));

        // Reported once, and the dead device does not keep the loop busy with errors.
        pump.run(100ms);
        EXPECT_EQ(portFailures, 1);
        press();
        EXPECT_EQ(messages.texts(), std::vector<std::string>{kPortFailure});
    }
}

TEST_F(DialogOverPty, ClosingTheDialogDuringTheExchangeShutsDownWithoutItsMessage) {
    pump.onYield = [&] {
        if (pump.yields == 20) {
            dialog.Form_Unload();
        }
    };
    const auto took = press();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_LT(took, 800ms);
    EXPECT_FALSE(serial.portOpen().value());
    EXPECT_EQ(fixture.file.writes, 1);
}

}  // namespace
}  // namespace veltara::test
