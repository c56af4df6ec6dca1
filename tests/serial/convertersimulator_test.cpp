#include "sim/convertersimulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "factoryframe.h"
#include "link/configframe.h"
#include "link/framefields.h"

namespace veltara::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

using test::hexPairs;
using test::kFactoryFrame;

// Every log line carries this time, so lines compare exactly.
constexpr std::chrono::system_clock::time_point kWallTime{std::chrono::microseconds(1765120255012345)};
constexpr const char* kStamp = "(1765120255.012345) ";

// The simulator and a raw client on its device: the client plays the dialog's port.
struct SimulatorBench {
    std::vector<std::string> lines;
    ConverterSimulator simulator{ReplyMode::Ack, [this](const std::string& line) { lines.push_back(line); },
                                 [] { return kWallTime; }};
    int client = -1;

    SimulatorBench() {
        if (!simulator.open()) {
            return;
        }
        client = ::open(simulator.devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios raw{};
        ::tcgetattr(client, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(client, TCSANOW, &raw);
    }
    ~SimulatorBench() {
        if (client >= 0) {
            ::close(client);
        }
    }

    void write(const Bytes& bytes) {
        ASSERT_EQ(::write(client, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    // Serves the simulator for `duration` and returns what it sent back meanwhile.
    Bytes serve(std::chrono::milliseconds duration) {
        const auto end = std::chrono::steady_clock::now() + duration;
        return serveUntil([end](const Bytes&) { return std::chrono::steady_clock::now() >= end; });
    }

    // Serves the simulator until `done` holds, or until a deadline far beyond any wait here.
    Bytes serveUntil(const std::function<bool(const Bytes&)>& done) {
        Bytes got;
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!done(got) && std::chrono::steady_clock::now() < deadline) {
            EXPECT_TRUE(simulator.step(5ms));
            std::uint8_t buffer[64];
            for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;) {
                got.insert(got.end(), buffer, buffer + n);
            }
        }
        return got;
    }
};

// The line a received frame gets: time, direction, length and raw bytes before the decoded fields.
std::string frameLine(const Bytes& frame, const std::string& what) {
    return kStamp + std::string("rx [33] ") + hexPairs(frame) + "  frame 1: " + what;
}

TEST(ConverterSimulator, AnswersAsItsReplyModeSays) {
    struct Case {
        ReplyMode mode;
        Bytes reply;
        const char* answerLine;
    };
    const Case cases[] = {
        {ReplyMode::Ack, {0x55}, "tx [1] 55  reply to frame 1"},
        {ReplyMode::Silent, {}, "-- no reply to frame 1 (silent)"},
        {ReplyMode::Nak, {kNak}, "tx [1] AA  reply to frame 1"},
        {ReplyMode::Double, {0x55, 0x55}, "tx [2] 55 55  reply to frame 1"},
        {ReplyMode::Late, {}, "-- reply to frame 1 due in 1.5 s"},
    };
    const std::string decoded = core::describeFrameLine(core::FrameView(kFactoryFrame.data(), 33));
    for (const Case& c : cases) {
        SimulatorBench bench;
        ASSERT_GE(bench.client, 0);
        bench.simulator.setReplyMode(c.mode);
        bench.write(kFactoryFrame);
        EXPECT_EQ(bench.serve(300ms), c.reply) << replyModeName(c.mode);
        EXPECT_EQ(bench.lines, (std::vector<std::string>{frameLine(kFactoryFrame, decoded),
                                                         kStamp + std::string(c.answerLine)}))
            << replyModeName(c.mode);
    }
}

TEST(ConverterSimulator, ALateReplyComesOneAndAHalfSecondsAfterTheFrame) {
    SimulatorBench bench;
    bench.simulator.setReplyMode(ReplyMode::Late);
    bench.write(kFactoryFrame);
    EXPECT_TRUE(bench.serve(1300ms).empty());
    EXPECT_TRUE(bench.simulator.replyPending());
    EXPECT_EQ(bench.serve(500ms), Bytes{0x55});
    EXPECT_FALSE(bench.simulator.replyPending());
    EXPECT_EQ(bench.lines.back(), kStamp + std::string("tx [1] 55  late reply to frame 1"));
}

TEST(ConverterSimulator, AFrameWithAWrongChecksumIsReportedAndNotAnswered) {
    SimulatorBench bench;
    Bytes damaged = kFactoryFrame;
    damaged[5] ^= 0x01;
    bench.write(damaged);
    EXPECT_TRUE(bench.serve(200ms).empty());
    EXPECT_EQ(bench.lines, std::vector<std::string>{
                               frameLine(damaged, "checksum mismatch: expected EE, found ED; not answered")});
}

TEST(ConverterSimulator, FindsFramesInPiecesAndAfterNoise) {
    SimulatorBench bench;
    // A frame that arrives in two pieces is still one frame.
    bench.write(Bytes(kFactoryFrame.begin(), kFactoryFrame.begin() + 10));
    EXPECT_TRUE(bench.serve(30ms).empty());
    bench.write(Bytes(kFactoryFrame.begin() + 10, kFactoryFrame.end()));
    EXPECT_EQ(bench.serve(50ms), Bytes{0x55});

    // Noise is dropped once the gap has passed, with nothing after it; the next frame reads from its start.
    bench.write({0x13, 0x37});
    bench.serveUntil([&bench](const Bytes&) { return bench.lines.size() == 3; });
    ASSERT_EQ(bench.lines.size(), 3u);
    EXPECT_EQ(bench.lines[2], kStamp + std::string("rx [2] 13 37  discarded: an incomplete frame"));
    bench.write(kFactoryFrame);
    EXPECT_EQ(bench.serve(50ms), Bytes{0x55});
    EXPECT_EQ(bench.lines.size(), 5u);
    EXPECT_EQ(bench.simulator.framesReceived(), 2);
}

TEST(ConverterSimulator, MarksFramesTheDialogNeverSendsAndStrictRefusesThem) {
    Bytes odd = kFactoryFrame;
    odd[core::frame::kCanBaud] = 0x99;
    odd[core::frame::kChecksum] = core::frameChecksum(odd);
    struct Case {
        ReplyMode mode;
        const Bytes& frame;
        std::uint8_t reply;
    };
    const Case cases[] = {
        {ReplyMode::Strict, kFactoryFrame, kAck},
        {ReplyMode::Strict, odd, kNak},
        {ReplyMode::Ack, odd, kAck},  // marked, and answered as always
    };
    for (const Case& c : cases) {
        SimulatorBench bench;
        bench.simulator.setReplyMode(c.mode);
        bench.write(c.frame);
        EXPECT_EQ(bench.serveUntil([](const Bytes& got) { return !got.empty(); }), Bytes{c.reply});
        ASSERT_FALSE(bench.lines.empty());
        const std::string mark =
            c.frame == odd ? " (the dialog never sends this: CAN bit rate code 0x99)" : "";
        EXPECT_EQ(bench.lines[0], kStamp + std::string("rx [33] ") + hexPairs(c.frame) + "  frame 1" + mark +
                                      ": " + core::describeFrameLine(core::FrameView(c.frame.data(), 33)));
    }
}

TEST(ConverterSimulator, TwoFramesInOneReadAreAnsweredTwice) {
    SimulatorBench bench;
    Bytes two = kFactoryFrame;
    two.insert(two.end(), kFactoryFrame.begin(), kFactoryFrame.end());
    bench.write(two);
    EXPECT_EQ(bench.serve(100ms), (Bytes{0x55, 0x55}));
    EXPECT_EQ(bench.simulator.framesReceived(), 2);
}

TEST(ConverterSimulator, HangingUpClosesTheDeviceUnderItsUser) {
    SimulatorBench bench;
    bench.simulator.hangUp();
    std::uint8_t byte = 0;
    EXPECT_EQ(::write(bench.client, &byte, 1), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_FALSE(bench.simulator.step(0ms));
}

TEST(ConverterSimulator, ReplyModesByName) {
    for (ReplyMode mode : {ReplyMode::Ack, ReplyMode::Silent, ReplyMode::Nak, ReplyMode::Double,
                           ReplyMode::Late, ReplyMode::Strict}) {
        EXPECT_EQ(parseReplyMode(replyModeName(mode)), mode);
    }
    for (const char* text : {"", "ACK", "acknowledge", "late "}) {
        EXPECT_FALSE(parseReplyMode(text)) << text;
    }
}

}  // namespace
}  // namespace veltara::sim
