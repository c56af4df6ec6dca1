#include "convertersimulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <thread>

#include "factoryframe.h"
#include "link/configframe.h"
#include "link/framedescription.h"

namespace veltara::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

using test::kFactoryFrame;

// The simulator and a raw client on its device: the client plays the dialog's port.
struct SimulatorBench {
    std::vector<std::string> lines;
    ConverterSimulator simulator{ReplyMode::Ack, [this](const std::string& line) { lines.push_back(line); }};
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
        Bytes got;
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end) {
            EXPECT_TRUE(simulator.step(5ms));
            std::uint8_t buffer[64];
            for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;) {
                got.insert(got.end(), buffer, buffer + n);
            }
        }
        return got;
    }
};

std::string decodedLine(const Bytes& frame) {
    return core::describeFrameLine(core::decodeConfigFrame(frame).value());
}

TEST(ConverterSimulator, AnswersAsItsReplyModeSays) {
    struct Case {
        ReplyMode mode;
        Bytes reply;
        const char* answer;
    };
    const Case cases[] = {
        {ReplyMode::Ack, {0x55}, " -> reply 55"},       {ReplyMode::Silent, {}, " -> no reply"},
        {ReplyMode::Nak, {kNak}, " -> reply AA"},       {ReplyMode::Double, {0x55, 0x55}, " -> reply 55 55"},
        {ReplyMode::Late, {}, " -> reply 55 in 1.5 s"},
    };
    for (const Case& c : cases) {
        SimulatorBench bench;
        ASSERT_GE(bench.client, 0);
        bench.simulator.setReplyMode(c.mode);
        bench.write(kFactoryFrame);
        EXPECT_EQ(bench.serve(300ms), c.reply) << replyModeName(c.mode);
        ASSERT_EQ(bench.lines.size(), 1u) << replyModeName(c.mode);
        EXPECT_EQ(bench.lines[0], "frame 1: " + decodedLine(kFactoryFrame) + c.answer);
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
    EXPECT_EQ(bench.lines.back(), "late reply 55 sent");
}

TEST(ConverterSimulator, AFrameWithAWrongChecksumIsReportedAndNotAnswered) {
    SimulatorBench bench;
    Bytes damaged = kFactoryFrame;
    damaged[5] ^= 0x01;
    bench.write(damaged);
    EXPECT_TRUE(bench.serve(200ms).empty());
    EXPECT_EQ(bench.lines,
              std::vector<std::string>{"frame 1: checksum mismatch: expected EE, found ED; not answered"});
}

TEST(ConverterSimulator, FindsFramesInPiecesAndAfterNoise) {
    SimulatorBench bench;
    // A frame that arrives in two pieces is still one frame.
    bench.write(Bytes(kFactoryFrame.begin(), kFactoryFrame.begin() + 10));
    EXPECT_TRUE(bench.serve(30ms).empty());
    bench.write(Bytes(kFactoryFrame.begin() + 10, kFactoryFrame.end()));
    EXPECT_EQ(bench.serve(50ms), Bytes{0x55});

    // Noise followed by a pause is dropped, so the next frame is read from its first byte.
    bench.write({0x13, 0x37});
    bench.serve(kFrameGap + 100ms);
    bench.write(kFactoryFrame);
    EXPECT_EQ(bench.serve(50ms), Bytes{0x55});
    EXPECT_EQ(bench.lines.size(), 3u);
    EXPECT_EQ(bench.lines[1], "discarded 2 byte(s) of an incomplete frame");
    EXPECT_EQ(bench.simulator.framesReceived(), 2);
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
    for (ReplyMode mode :
         {ReplyMode::Ack, ReplyMode::Silent, ReplyMode::Nak, ReplyMode::Double, ReplyMode::Late}) {
        EXPECT_EQ(parseReplyMode(replyModeName(mode)), mode);
    }
    for (const char* text : {"", "ACK", "acknowledge", "late "}) {
        EXPECT_FALSE(parseReplyMode(text)) << text;
    }
}

}  // namespace
}  // namespace veltara::sim
