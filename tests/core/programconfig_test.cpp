// "Program Config": the frame it sends, the answers it judges, and a port that is missing, fails, or is
// pressed or closed while it waits.
#include <gtest/gtest.h>

#include <functional>

#include "factoryframe.h"
#include "fakes.h"
#include "messagetexts.h"
#include "settings/settingscodec.h"

namespace veltara::test {
namespace {

TEST(ProgramConfig, DefaultConfigThenProgramSendsTheFactoryFrame) {
    DialogFixture f;
    f.start();
    f.dialog.txtCANTrID1[0].setText("7A");
    f.dialog.btnDefaultConfig_Click();
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_EQ(f.dialog.txtCANMask1[0].text(), "ff");
    EXPECT_EQ(f.dialog.txtOutputID1[1].text(), "05  ");
    for (int press = 0; press < 2; ++press) {
        f.pump.onYield = [&] {
            if (f.serial.received.empty() && f.pump.yields == 3) {
                f.serial.received.push_back(0x55);
            }
        };
        f.pump.yields = 0;
        f.dialog.btnProgramConfig_Click();
        ASSERT_EQ(f.serial.sent.size(), static_cast<std::size_t>(press + 1));
        EXPECT_EQ(f.serial.sent.back(), kFactoryFrame);
        ASSERT_EQ(f.messages.shown.size(), 1u);
        EXPECT_EQ(f.messages.shown[0].text, "Configuration is successfull!");
        EXPECT_EQ(f.messages.shown[0].title, "config confirmation");
        EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Information);
        f.messages.clear();
    }
    // Each RS232 check box sets its own flag bit (the factory frame has both clear).
    for (const auto& [receive, transmit, flags] : {std::tuple{1, 0, 0x81}, {0, 1, 0x21}}) {
        ASSERT_TRUE(f.dialog.ChkRS232RecID.setValue(receive));
        ASSERT_TRUE(f.dialog.ChkRS232TrID.setValue(transmit));
        ASSERT_TRUE(f.dialog.buildConfigFrame());
        EXPECT_EQ(f.dialog.ConfigFrameBytes[frame::kFlags], flags) << receive << transmit;
    }
}

struct RefusalCase {
    const char* name;
    void (*breakInvariant)(Dialog&);
    const char* needle;
};

TEST(ProgramConfig, AnUnencodableSettingSendsNothingAndSaysWhichRange) {
    const RefusalCase cases[] = {
        {"no RS232 rate", [](Dialog& d) { (void)d.CmbRS232BaudRate.setListIndex(-1); }, "RS232 Baud Rate"},
        {"no CAN rate", [](Dialog& d) { (void)d.CmbCANBaudRate.setListIndex(-1); }, "CAN Baud Rate"},
        {"extended mask above 1F",
         [](Dialog& d) {
             (void)d.cmbCANRecFrmType.setListIndex(2);
             d.txtCANMask1[3].setText("FF");
             (void)d.cmbCANRecFrmType.setListIndex(1);
         },
         "Mask"},
        {"period never parsed", [](Dialog& d) { d.PeriodmsCountValue = 0; }, "(1 to 65535)"},
    };
    for (const auto& c : cases) {
        DialogFixture f;
        f.start();
        c.breakInvariant(f.dialog);
        f.messages.clear();
        const ConfigFrame before = f.dialog.ConfigFrameBytes;
        f.dialog.btnProgramConfig_Click();
        EXPECT_TRUE(f.serial.sent.empty()) << c.name;
        EXPECT_EQ(f.dialog.programVerdict(), Verdict::SettingsRefused) << c.name;
        EXPECT_EQ(f.dialog.ConfigFrameBytes, before) << c.name;
        ASSERT_EQ(f.messages.shown.size(), 1u) << c.name;
        EXPECT_EQ(f.messages.shown[0].title, "Input Data Error") << c.name;
        EXPECT_NE(f.messages.shown[0].text.find(c.needle), std::string::npos) << f.messages.shown[0].text;
    }
}

TEST(ProgramConfig, WithoutAnOpenPortNothingIsSent) {
    struct Case {
        const char* name;
        std::function<void(DialogFixture&)> startWithoutPort;
    };
    const Case cases[] = {
        {"the port was missing at start",
         [](DialogFixture& f) {
             f.serial.present = {};
             f.start();
         }},
        {"the port never opened",
         [](DialogFixture& f) {
             f.start();
             f.serial.present = {};
             (void)f.dialog.CmbCOM.setListIndex(0);
         }},
        {"the port was closed",
         [](DialogFixture& f) {
             f.start();
             f.serial.open = false;
         }},
        {"the port cannot even tell",
         [](DialogFixture& f) {
             f.start();
             f.serial.failAllOperations = true;
         }},
    };
    for (const Case& c : cases) {
        DialogFixture f;
        c.startWithoutPort(f);
        f.messages.clear();
        f.dialog.btnProgramConfig_Click();
        EXPECT_TRUE(f.serial.sent.empty()) << c.name;
        ASSERT_EQ(f.messages.texts(), std::vector<std::string>{kPortFailure}) << c.name;
        EXPECT_EQ(f.messages.shown[0].title, "Veltara") << c.name;
        EXPECT_FALSE(f.dialog.exchangeRunning()) << c.name;
    }
}

// With no entry selected in the port list no port may stay open: the one opened before would receive
// the frame while the list shows none.
TEST(ProgramConfig, NoPortSelectedMeansNoPortOpenAndNothingSent) {
    // Stored -1: nothing selected; 12: refused, the list keeps its own -1; 0: COM1 opened, then deselected.
    for (const int storedCom : {-1, 12, 0}) {
        SCOPED_TRACE(storedCom);
        DialogFixture f;
        ConverterSettings record;
        FillStartupDefaults(record);
        record.COM = static_cast<std::int16_t>(storedCom);
        const SettingsSlot slot = encodeSettingsRecord(record, {});
        f.file.bytes.assign(slot.begin(), slot.end());
        f.dialog.Form_Load();
        if (storedCom == 0) {
            ASSERT_TRUE(f.serial.open);
            ASSERT_TRUE(f.dialog.CmbCOM.setListIndex(-1));
        }
        EXPECT_FALSE(f.serial.open);
        ASSERT_TRUE(f.dialog.lastPortError());
        EXPECT_EQ(f.dialog.lastPortError()->text, "no port is selected");
        EXPECT_EQ(f.messages.texts().back(), Dialog::kPortFailure);
        f.messages.clear();
        f.dialog.btnProgramConfig_Click();
        EXPECT_TRUE(f.serial.sent.empty());
        EXPECT_EQ(f.messages.texts(), std::vector<std::string>{Dialog::kPortFailure});
    }
}

TEST(ProgramConfig, ReceiveAllKeepsTheLastReceiveBytes) {
    DialogFixture f;
    f.start();
    f.dialog.btnDefaultConfig_Click();
    f.dialog.btnProgramConfig_Click();
    (void)f.dialog.cmbCANRecFrmType.setListIndex(2);
    f.dialog.btnProgramConfig_Click();
    ASSERT_EQ(f.serial.sent.size(), 2u);
    const auto& frame = f.serial.sent[1];
    EXPECT_EQ(std::vector<std::uint8_t>(frame.begin() + 17, frame.begin() + 21),
              (std::vector<std::uint8_t>{0xFF, 0xE0, 0, 0}));
    EXPECT_EQ(frame[12] & 0x03, 3);
}

TEST(ProgramConfig, PickingAnotherPortDuringTheWaitFailsThatExchangeWithoutReadingTheNewPort) {
    DialogFixture f;
    f.start();
    f.pump.onYield = [&] {
        if (f.pump.yields == 20) {
            (void)f.dialog.CmbCOM.setListIndex(2);
            f.serial.received.push_back(0x55);  // whatever the new port holds is not this exchange's reply
        }
    };
    f.dialog.btnProgramConfig_Click();
    EXPECT_EQ(f.messages.texts(), std::vector<std::string>{"Configuration fails!"});
    EXPECT_EQ(f.dialog.programVerdict(), Verdict::PortChanged);
    EXPECT_EQ(f.serial.commPort, 3);
    EXPECT_TRUE(f.serial.open);
    EXPECT_EQ(f.serial.received.size(), 1u) << "the new port's bytes stay for the next exchange";
    EXPECT_FALSE(f.dialog.exchangeRunning());
}

TEST(ProgramConfig, TheReplyWindowEndsAtItsDeadlineNotAtTheNextWakeUp) {
    DialogFixture f;
    f.start();
    f.pump.step = std::chrono::milliseconds(7);  // 1000 is no multiple of 7
    f.serial.received.push_back(0x55);
    const auto pressed = f.clock.time;
    std::chrono::nanoseconds judged{};
    f.messages.whileOpen = [&](const Message&) { judged = f.clock.time; };
    f.dialog.btnProgramConfig_Click();
    ASSERT_EQ(f.messages.texts(), std::vector<std::string>{kSucceeds});
    // The drain takes whole wake-ups; the window then lasts exactly one second.
    const auto beyondWindow = judged - pressed - std::chrono::seconds(1);
    EXPECT_EQ(beyondWindow % f.pump.step, std::chrono::nanoseconds(0)) << beyondWindow.count();
    EXPECT_LT(beyondWindow, std::chrono::milliseconds(100));
}

// The loop held past the window (a suspend, a stopped process): the acknowledgement that waits then
// may have come late, so the window says what it says for every failure.
TEST(ProgramConfig, AWaitHeldPastTheWindowFails) {
    DialogFixture f;
    f.start();
    f.pump.onYield = [&] {
        if (f.pump.yields == 50) {
            f.clock.time += std::chrono::seconds(2);
            f.serial.received.push_back(0x55);
        }
    };
    f.dialog.btnProgramConfig_Click();
    EXPECT_EQ(f.messages.texts(), std::vector<std::string>{"Configuration fails!"});
    EXPECT_EQ(f.dialog.programVerdict(), Verdict::Paused);
    EXPECT_TRUE(f.serial.received.empty());
}

TEST(ProgramConfig, AnAdapterUnpluggedDuringTheExchangeFailsAtOnceAndClosesThePort) {
    DialogFixture f;
    f.start();
    f.pump.onYield = [&] {
        if (f.pump.yields == 3) {
            f.serial.failAllOperations = true;
        }
    };
    int portReports = 0;
    f.dialog.onPortStateChanged = [&] { ++portReports; };
    const auto start = f.clock.time;
    f.dialog.btnProgramConfig_Click();
    EXPECT_EQ(f.messages.texts(), std::vector<std::string>{kFails});
    EXPECT_EQ(f.messages.shown[0].title, "Config confirmation");
    EXPECT_LT(f.clock.time - start, std::chrono::milliseconds(100)) << "the drain went on after the failure";
    EXPECT_FALSE(f.serial.open);
    EXPECT_EQ(f.dialog.lastPortError(), (Error{ErrorCode::Io, "Input/output error"}));
    EXPECT_EQ(portReports, 1);

    // The adapter is back, but the port stays closed until the user picks it again.
    f.serial.failAllOperations = false;
    f.messages.clear();
    f.dialog.btnProgramConfig_Click();
    EXPECT_EQ(f.messages.texts(), std::vector<std::string>{kPortFailure});
    EXPECT_EQ(f.serial.sent.size(), 1u);
}

TEST(ProgramConfig, ASecondPressWhileWaitingStartsNoNestedExchange) {
    DialogFixture f;
    f.start();
    bool pressedAgain = false;
    f.pump.onYield = [&] {
        if (f.pump.yields == 5 || f.pump.yields == 100) {
            f.dialog.btnProgramConfig_Click();
            pressedAgain = true;
        }
        if (f.pump.yields == 150) {
            f.serial.received.push_back(0x55);
        }
    };
    f.dialog.btnProgramConfig_Click();
    EXPECT_TRUE(pressedAgain);
    EXPECT_EQ(f.serial.sent.size(), 1u);
    EXPECT_EQ(f.messages.texts(), std::vector<std::string>{kSucceeds});
    EXPECT_FALSE(f.dialog.exchangeRunning());
}

TEST(ProgramConfig, ClosingTheDialogWhileWaitingAbandonsTheExchangeQuietly) {
    for (int closeAt : {1, 2, 60}) {
        DialogFixture f;
        f.start();
        f.pump.onYield = [&] {
            if (f.pump.yields == closeAt) {
                f.dialog.Form_Unload();
            }
        };
        f.dialog.btnProgramConfig_Click();
        EXPECT_TRUE(f.messages.shown.empty()) << closeAt;
        EXPECT_EQ(f.pump.yields, closeAt) << "the exchange kept waiting after the close";
        // Shutdown ran as usual: port closed, settings written once.
        EXPECT_FALSE(f.serial.open) << closeAt;
        EXPECT_EQ(f.file.writes, 1) << closeAt;
        EXPECT_FALSE(f.dialog.exchangeRunning()) << closeAt;
    }
}

}  // namespace
}  // namespace veltara::test
