#include "link/portopening.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "messagetexts.h"

namespace veltara::test {
namespace {

using Log = std::vector<std::string>;

TEST(OpeningProcedure, RunsItsStepsInOrder) {
    struct Case {
        const char* name;
        bool openBefore;
        Log expected;
    };
    const Log opening{"commport 3",  "inputlen",     "inbuffersize",       "open",
                      "clear input", "clear output", "settings 9600,N,8,1"};
    Log fromOpen{"close"};
    fromOpen.insert(fromOpen.end(), opening.begin(), opening.end());
    const Case cases[] = {{"port closed", false, opening}, {"another port open", true, fromOpen}};
    for (const Case& c : cases) {
        FakeSerialControl serial;
        serial.open = c.openBefore;
        serial.received = {1, 2, 3};
        serial.pendingOutput = 5;
        std::vector<Error> failures;
        runOpeningProcedure(serial, 3, [&](const Error& e) { failures.push_back(e); });
        EXPECT_EQ(serial.log, c.expected) << c.name;
        EXPECT_TRUE(failures.empty()) << c.name;
        EXPECT_TRUE(serial.open) << c.name;
        EXPECT_EQ(serial.commPort, 3) << c.name;
        EXPECT_EQ(serial.inputLen, 0) << c.name;
        EXPECT_EQ(serial.inBufferSize, 1024) << c.name;
        EXPECT_EQ(serial.settings, "9600,N,8,1") << c.name;
        EXPECT_TRUE(serial.received.empty()) << c.name;
        EXPECT_EQ(serial.pendingOutput, 0) << c.name;
    }
}

TEST(OpeningProcedure, ReportsEveryFailingStepAndGoesOn) {
    struct Case {
        const char* name;
        int port;
        std::vector<int> present;
        bool vanished;
        std::vector<ErrorCode> failures;
        bool openAfter;
        const char* lastStep;
    };
    const Case cases[] = {
        // Only the opening fails: discarding the buffers of a closed port is no error.
        {"missing port", 3, {1, 2}, false, {ErrorCode::NotFound}, false, "settings 9600,N,8,1"},
        // No entry selected: the number is refused and the procedure ends, so the number the control
        // had is not opened.
        {"no port selected", 0, {1}, false, {ErrorCode::InvalidArgument}, false, "commport 0"},
        // Reading the state fails too: the procedure closes as if the port were open.
        {"device gone",
         3,
         {3},
         true,
         {ErrorCode::Io, ErrorCode::Io, ErrorCode::Io, ErrorCode::Io},
         false,
         "settings 9600,N,8,1"},
    };
    for (const Case& c : cases) {
        FakeSerialControl serial;
        serial.present = c.present;
        serial.failAllOperations = c.vanished;
        std::vector<ErrorCode> failures;
        runOpeningProcedure(serial, c.port, [&](const Error& e) { failures.push_back(e.code); });
        EXPECT_EQ(failures, c.failures) << c.name;
        EXPECT_EQ(serial.open, c.openAfter) << c.name;
        // Whatever else failed, the line settings step still ran last.
        EXPECT_EQ(serial.log.back(), c.lastStep) << c.name;
        EXPECT_EQ(serial.log.front() == "close", c.vanished) << c.name;
    }
}

TEST(OpeningProcedure, PickingAMissingPortShowsTheMessageOnce) {
    DialogFixture f;
    f.start();
    ASSERT_TRUE(f.serial.open);
    f.serial.present = {1, 2};
    ASSERT_TRUE(f.dialog.CmbCOM.setListIndex(2));
    EXPECT_EQ(f.messages.texts(), std::vector<std::string>{kPortFailure});
    for (const Message& m : f.messages.shown) {
        EXPECT_EQ(m.title, "Veltara");
        EXPECT_EQ(m.icon, MessageIcon::None);
    }
    EXPECT_FALSE(f.serial.open);
    EXPECT_EQ(f.dialog.lastPortError(), (Error{ErrorCode::NotFound, "No such file or directory"}));
    EXPECT_EQ(f.dialog.CmbCOM.listIndex(), 2);

    f.messages.clear();
    ASSERT_TRUE(f.dialog.CmbCOM.setListIndex(1));
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_TRUE(f.serial.open);
    EXPECT_EQ(f.serial.commPort, 2);
    EXPECT_FALSE(f.dialog.lastPortError());
}

}  // namespace
}  // namespace veltara::test
