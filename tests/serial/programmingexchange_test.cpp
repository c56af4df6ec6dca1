#include "link/programmingexchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "fakes.h"

namespace veltara::test {
namespace {

using namespace std::chrono_literals;

const std::vector<std::uint8_t> kFrame(kConfigFrameSize, 0x11);

// The converter answers `delay` after the frame of the exchange it answers has left the port.
struct Converter {
    std::vector<std::uint8_t> reply;
    std::chrono::milliseconds delay = 0ms;
};

struct ExchangeBench {
    FakeSerialControl serial;
    FakeClock clock;
    FakeEventPump pump{clock};
    std::chrono::nanoseconds drained{};
    std::chrono::nanoseconds judged{};

    ExchangeBench() {
        serial.open = true;
        pump.onYield = [this] { deliver(); };
    }

    void answer(const Converter& c) { m_answers.push_back({std::nullopt, c.delay, c.reply}); }

    // Runs on every yield: notes when the transmit buffer ran empty and delivers the replies due.
    void deliver() {
        if (!m_drainSeen && serial.pendingOutput == 0) {
            m_drainSeen = true;
            drained = clock.time;
            for (Answer& a : m_answers) {
                a.at = a.at.value_or(clock.time + a.delay);
            }
        }
        std::erase_if(m_answers, [this](const Answer& a) {
            if (!a.at || clock.time < *a.at) {
                return false;
            }
            serial.received.insert(serial.received.end(), a.bytes.begin(), a.bytes.end());
            return true;
        });
    }

    ExchangeResult run(const std::function<bool()>& abandoned = [] { return false; }) {
        m_drainSeen = false;
        const ExchangeResult result = runProgrammingExchange(serial, pump, clock, kFrame, abandoned);
        judged = clock.time;
        return result;
    }

private:
    struct Answer {
        std::optional<std::chrono::nanoseconds> at;
        std::chrono::milliseconds delay;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Answer> m_answers;
    bool m_drainSeen = false;
};

TEST(ProgrammingExchange, JudgesWhatWaitsAtTheEndOfTheWindow) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> before;  // in the receive buffer when the button is pressed
        std::vector<Converter> replies;
        ExchangeOutcome outcome;
    };
    const Case cases[] = {
        {"acknowledged at once", {}, {{{0x55}, 0ms}}, ExchangeOutcome::Accepted},
        {"acknowledged just inside the window", {}, {{{0x55}, 990ms}}, ExchangeOutcome::Accepted},
        {"silent", {}, {}, ExchangeOutcome::Rejected},
        {"one wrong byte", {}, {{{0xAA}, 0ms}}, ExchangeOutcome::Rejected},
        {"acknowledged twice", {}, {{{0x55, 0x55}, 0ms}}, ExchangeOutcome::Rejected},
        {"stray byte then acknowledgement", {}, {{{0x00}, 0ms}, {{0x55}, 100ms}}, ExchangeOutcome::Rejected},
        {"too late", {}, {{{0x55}, 1500ms}}, ExchangeOutcome::Rejected},
        {"acknowledgement waiting before the press", {0x55}, {}, ExchangeOutcome::Accepted},
        {"old byte plus a fresh acknowledgement", {0x55}, {{{0x55}, 0ms}}, ExchangeOutcome::Rejected},
    };
    for (const Case& c : cases) {
        ExchangeBench bench;
        bench.serial.received.assign(c.before.begin(), c.before.end());
        for (const Converter& reply : c.replies) {
            bench.answer(reply);
        }
        const ExchangeResult result = bench.run();
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        ASSERT_EQ(bench.serial.sent.size(), 1u) << c.name;
        EXPECT_EQ(bench.serial.sent[0], kFrame) << c.name;
        // Success read the byte, failure discarded everything: the buffer is empty either way.
        EXPECT_TRUE(bench.serial.received.empty()) << c.name;
        // The window opens when the frame has left and lasts one second, give or take one yield.
        EXPECT_GE(bench.judged - bench.drained, kReplyWindow) << c.name;
        EXPECT_LT(bench.judged - bench.drained, kReplyWindow + bench.pump.step) << c.name;
        EXPECT_TRUE(bench.serial.open) << c.name;
    }
}

TEST(ProgrammingExchange, ALateReplyIsCountedByTheNextPress) {
    ExchangeBench bench;
    bench.answer({{0x55}, 1500ms});
    EXPECT_EQ(bench.run().outcome, ExchangeOutcome::Rejected);

    // The late byte lands in the second window next to that press's own acknowledgement.
    bench.answer({{0x55}, 0ms});
    EXPECT_EQ(bench.run().outcome, ExchangeOutcome::Rejected);
    EXPECT_TRUE(bench.serial.received.empty());

    bench.answer({{0x55}, 0ms});
    EXPECT_EQ(bench.run().outcome, ExchangeOutcome::Accepted);
}

TEST(ProgrammingExchange, TheWindowWaitsForTheTransmitBufferToEmpty) {
    ExchangeBench bench;
    int readsWhilePending = 0;
    bench.pump.onYield = [&] {
        if (bench.serial.pendingOutput > 0) {
            ++readsWhilePending;
        }
        bench.deliver();
    };
    const auto start = bench.clock.time;
    EXPECT_EQ(bench.run().outcome, ExchangeOutcome::Rejected);
    // 33 bytes drain by 11 per reading in the fake: three readings before it shows 0.
    EXPECT_EQ(readsWhilePending, 3);
    EXPECT_EQ(bench.drained - start, 4 * bench.pump.step);
}

TEST(ProgrammingExchange, AFailingPortEndsTheExchangeAndIsClosed) {
    struct Case {
        const char* name;
        int failAtYield;  // 0: before the frame is sent
        std::function<void(ExchangeBench&)> breakPort;
    };
    const auto vanish = [](ExchangeBench& b) { b.serial.failAllOperations = true; };
    const Case cases[] = {
        {"gone before sending", 0, vanish},
        // The rest of the port still answers: only the exchange's own check of the write sees it.
        {"refuses only the frame", 0,
         [](ExchangeBench& b) {
             b.serial.outputError = Error{ErrorCode::Io, "Input/output error"};
         }},
        {"gone while draining", 1, vanish},
        {"gone during the window", 50, vanish},
        {"gone as the window ends", 200, vanish},
        {"closed under the exchange", 50, [](ExchangeBench& b) { b.serial.open = false; }},
    };
    for (const Case& c : cases) {
        ExchangeBench bench;
        bench.serial.pendingOutput = 0;
        if (c.failAtYield == 0) {
            c.breakPort(bench);
        }
        bench.pump.onYield = [&] {
            if (bench.pump.yields == c.failAtYield) {
                c.breakPort(bench);
            }
        };
        const auto start = bench.clock.time;
        const ExchangeResult result = bench.run();
        EXPECT_EQ(result.outcome, ExchangeOutcome::LinkFailed) << c.name;
        EXPECT_FALSE(result.failure.text.empty()) << c.name;
        EXPECT_FALSE(bench.serial.open) << c.name;
        EXPECT_EQ(bench.serial.log.empty() ? "" : bench.serial.log.back(), "close") << c.name;
        // No stage keeps waiting once an operation has failed.
        EXPECT_LE(bench.clock.time - start, kReplyWindow + 5 * bench.pump.step) << c.name;
    }
}

TEST(ProgrammingExchange, ATransmitBufferThatNeverEmptiesEndsTheDrain) {
    ExchangeBench bench;
    bench.pump.onYield = [&] { bench.serial.pendingOutput = 33; };  // e.g. flow control stuck off
    const auto start = bench.clock.time;
    const ExchangeResult result = bench.run();
    EXPECT_EQ(result.outcome, ExchangeOutcome::LinkFailed);
    EXPECT_FALSE(bench.serial.open);
    EXPECT_GE(bench.clock.time - start, kDrainLimit);
    EXPECT_LT(bench.clock.time - start, kDrainLimit + kReplyWindow);
}

TEST(ProgrammingExchange, InterruptedAtAnyStageEndsWithoutJudging) {
    for (int abandonAt : {1, 2, 10, 150}) {
        ExchangeBench bench;
        bench.answer({{0x55}, 0ms});
        const ExchangeResult result = bench.run([&] { return bench.pump.yields >= abandonAt; });
        EXPECT_EQ(result.outcome, ExchangeOutcome::Interrupted) << abandonAt;
        EXPECT_EQ(bench.pump.yields, abandonAt);
        // Nothing was read or discarded: judging is left out altogether.
        EXPECT_EQ(std::count(bench.serial.log.begin(), bench.serial.log.end(), "clear input"), 0)
            << abandonAt;
    }
}

}  // namespace
}  // namespace veltara::test
