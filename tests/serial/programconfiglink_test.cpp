// "Program Config" against a port that is missing, fails, or is pressed or closed while it waits.
#include <gtest/gtest.h>

#include "fakes.h"
#include "messagetexts.h"

namespace veltara::test {
namespace {

TEST(ProgramConfigLink, WithoutAnOpenPortNothingIsSent) {
    struct Case {
        const char* name;
        std::function<void(DialogFixture&)> losePort;
    };
    const Case cases[] = {
        {"the port never opened",
         [](DialogFixture& f) {
             f.serial.present = {};
             (void)f.dialog.CmbCOM.setListIndex(0);
         }},
        {"the port was closed", [](DialogFixture& f) { f.serial.open = false; }},
        {"the port cannot even tell", [](DialogFixture& f) { f.serial.failAllOperations = true; }},
    };
    for (const Case& c : cases) {
        DialogFixture f;
        f.start();
        c.losePort(f);
        f.messages.clear();
        f.dialog.btnProgramConfig_Click();
        EXPECT_TRUE(f.serial.sent.empty()) << c.name;
        EXPECT_EQ(f.messages.texts(), std::vector<std::string>{kPortFailure}) << c.name;
        EXPECT_FALSE(f.dialog.exchangeRunning()) << c.name;
    }
}

TEST(ProgramConfigLink, AnAdapterUnpluggedDuringTheExchangeFailsAtOnceAndClosesThePort) {
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

TEST(ProgramConfigLink, ASecondPressWhileWaitingStartsNoNestedExchange) {
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

TEST(ProgramConfigLink, ClosingTheDialogWhileWaitingAbandonsTheExchangeQuietly) {
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
