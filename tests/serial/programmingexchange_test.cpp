#include "link/programmingexchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "fakes.h"

namespace veltara::test {
namespace {

using namespace std::chrono_literals;

const std::vector<std::uint8_t> kFrame(kConfigFrameSize, 0x11);
const ExchangeOptions kWindow{};
const ExchangeOptions kCommandLine{.discardBeforeSending = true, .settle = kDefaultSettleTime};

struct Reply {
    std::chrono::milliseconds after;  // since the frame was handed to the port
    std::vector<std::uint8_t> bytes;
};

// The process stops `at` after sending and runs again `length` later, as under kill -STOP / -CONT or
// a suspended laptop: the clock jumps and what arrived meanwhile waits in the buffer.
struct Pause {
    std::chrono::milliseconds at;
    std::chrono::milliseconds length;
};

struct ExchangeCase {
    const char* name;
    ExchangeOptions options{};           // the window's unless a row says otherwise
    std::vector<std::uint8_t> before{};  // in the receive buffer when the frame is sent
    std::vector<Reply> replies{};
    std::optional<Pause> pause{};
    Verdict verdict = Verdict::NotRun;
    std::vector<std::uint8_t> reply{};  // what the verdict reports as received
};

// The fake converter on one port: delivers each reply when it falls due.
struct FakeConverter {
    struct Due {
        std::chrono::nanoseconds at;
        std::vector<std::uint8_t> bytes;
    };
    FakeSerialControl serial;
    std::vector<Due> due;
    std::size_t leftAtTheEnd = 0;  // bytes in the receive buffer when the exchange finished

    void schedule(std::chrono::nanoseconds sent, const std::vector<Reply>& replies) {
        for (const Reply& r : replies) {
            due.push_back({sent + r.after, r.bytes});
        }
    }
    void deliver(std::chrono::nanoseconds now) {
        std::erase_if(due, [&](const Due& d) {
            if (now < d.at) {
                return false;
            }
            serial.received.insert(serial.received.end(), d.bytes.begin(), d.bytes.end());
            return true;
        });
    }
};

const ExchangeCase kCases[] = {
    {.name = "window: acknowledged at once",
     .replies = {{0ms, {0x55}}},
     .verdict = Verdict::Accepted,
     .reply = {0x55}},
    {.name = "window: acknowledged just inside",
     .replies = {{1000ms, {0x55}}},
     .verdict = Verdict::Accepted,
     .reply = {0x55}},
    {.name = "window: silent", .verdict = Verdict::Silent},
    {.name = "window: wrong byte",
     .replies = {{0ms, {0xAA}}},
     .verdict = Verdict::WrongReply,
     .reply = {0xAA}},
    {.name = "window: acknowledged twice",
     .replies = {{0ms, {0x55, 0x55}}},
     .verdict = Verdict::ExtraBytes,
     .reply = {0x55, 0x55}},
    {.name = "window: stray byte then ack",
     .replies = {{0ms, {0x00}}, {100ms, {0x55}}},
     .verdict = Verdict::ExtraBytes,
     .reply = {0x00, 0x55}},
    {.name = "window: too late", .replies = {{1500ms, {0x55}}}, .verdict = Verdict::Silent},
    {.name = "window: ack waiting before the press",
     .before = {0x55},
     .verdict = Verdict::Accepted,
     .reply = {0x55}},
    {.name = "window: old byte plus a fresh ack",
     .before = {0x55},
     .replies = {{0ms, {0x55}}},
     .verdict = Verdict::ExtraBytes,
     .reply = {0x55, 0x55}},
    {.name = "window: a pause inside the window is harmless",
     .replies = {{400ms, {0x55}}},
     .pause = Pause{300ms, 300ms},
     .verdict = Verdict::Accepted,
     .reply = {0x55}},
    {.name = "window: a pause past the window's end",
     .replies = {{1500ms, {0x55}}},
     .pause = Pause{300ms, 2500ms},
     .verdict = Verdict::Paused,
     .reply = {0x55}},
    {.name = "window: a pause while draining",
     .replies = {{1500ms, {0x55}}},
     .pause = Pause{1ms, 2000ms},
     .verdict = Verdict::Paused},
    {.name = "command line: prompt ack",
     .options = kCommandLine,
     .replies = {{100ms, {0x55}}},
     .verdict = Verdict::Accepted,
     .reply = {0x55}},
    {.name = "command line: ack in the settle time",
     .options = kCommandLine,
     .replies = {{1200ms, {0x55}}},
     .verdict = Verdict::AnsweredLate,
     .reply = {0x55}},
    {.name = "command line: ack then a late echo",
     .options = kCommandLine,
     .replies = {{100ms, {0x55}}, {1300ms, {0x55}}},
     .verdict = Verdict::AnsweredLate,
     .reply = {0x55, 0x55}},
    {.name = "command line: late ack, settle off",
     .options = {.discardBeforeSending = true},
     .replies = {{1200ms, {0x55}}},
     .verdict = Verdict::Silent},
    {.name = "command line: ack after the settle time",
     .options = kCommandLine,
     .replies = {{1700ms, {0x55}}},
     .verdict = Verdict::Silent},
    {.name = "command line: stray ack before the frame",
     .options = kCommandLine,
     .before = {0x55},
     .verdict = Verdict::Silent},
    {.name = "command line: late ack, stopped 0.3 s in for 2.5 s",
     .options = kCommandLine,
     .replies = {{1500ms, {0x55}}},
     .pause = Pause{300ms, 2500ms},
     .verdict = Verdict::Paused,
     .reply = {0x55}},
    {.name = "command line: settle time not watched",
     .options = kCommandLine,
     .replies = {{100ms, {0x55}}},
     .pause = Pause{1100ms, 2000ms},
     .verdict = Verdict::Paused,
     .reply = {0x55}},
};

// Runs the rows' converters as one gang on a fake clock and checks each verdict.
void runAndCheck(const std::vector<const ExchangeCase*>& rows) {
    FakeClock clock;
    FakeEventPump pump{clock};
    const auto start = clock.time;
    std::vector<std::unique_ptr<FakeConverter>> converters;
    std::vector<std::unique_ptr<ProgrammingExchange>> exchanges;
    std::vector<ProgrammingExchange*> gang;
    for (const ExchangeCase* c : rows) {
        auto& converter = *converters.emplace_back(std::make_unique<FakeConverter>());
        converter.serial.open = true;
        converter.serial.received.assign(c->before.begin(), c->before.end());
        converter.schedule(start, c->replies);
        gang.push_back(
            exchanges
                .emplace_back(std::make_unique<ProgrammingExchange>(converter.serial, kFrame, c->options))
                .get());
    }
    std::optional<Pause> pause = rows.size() == 1 ? rows[0]->pause : std::nullopt;
    const auto paused = pause ? pause->length : 0ms;
    std::vector<std::chrono::nanoseconds> drained(rows.size());
    pump.onYield = [&] {
        if (pause && clock.time - start >= pause->at) {
            clock.time += pause->length;
            pause.reset();
            for (auto& converter : converters) {
                converter->serial.pendingOutput = 0;  // the line kept sending meanwhile
            }
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
            converters[i]->deliver(clock.time);
            if (drained[i] == 0ns && converters[i]->serial.pendingOutput == 0) {
                drained[i] = clock.time - start;
            }
        }
    };
    runProgrammingExchanges(gang, pump, clock, {.finished = [&](std::size_t i) {
                                converters[i]->leftAtTheEnd = converters[i]->serial.received.size();
                            }});
    EXPECT_LT(clock.time - start, 1600ms + paused) << "the slowest converter only";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ExchangeCase& c = *rows[i];
        const ExchangeResult& result = gang[i]->result();
        const FakeSerialControl& serial = converters[i]->serial;
        EXPECT_EQ(result.verdict, c.verdict) << c.name;
        EXPECT_EQ(result.reply, c.reply) << c.name;
        EXPECT_EQ(serial.sent, std::vector<std::vector<std::uint8_t>>{kFrame}) << c.name;
        EXPECT_EQ(converters[i]->leftAtTheEnd, 0u) << c.name << ": nothing is left for the next run";
        EXPECT_TRUE(serial.open) << c.name;
        if (c.options.settle == 0ns && !c.pause) {
            // The window opens when the frame has left and lasts one second, give or take a yield.
            EXPECT_GE(result.elapsed - drained[i], kReplyWindow) << c.name;
            EXPECT_LT(result.elapsed - drained[i], kReplyWindow + pump.step) << c.name;
        }
        if (c.verdict == Verdict::AnsweredLate) {
            EXPECT_GT(result.late, 0ns) << c.name;
            EXPECT_LT(result.late, kDefaultSettleTime) << c.name;
        }
    }
}

// Every row alone, then every row without a pause in one gang: each converter must get the verdict of
// its own exchange, and the gang takes the time of its slowest member rather than the sum.
TEST(ProgrammingExchange, JudgesEachConverterOnItsOwnWindowAndSettleTime) {
    std::vector<const ExchangeCase*> gang;
    for (const ExchangeCase& c : kCases) {
        runAndCheck({&c});
        if (!c.pause) {
            gang.push_back(&c);
        }
    }
    runAndCheck(gang);
}

// The window leaves a late reply in the buffer, as the dialog always has: the next press counts it.
TEST(ProgrammingExchange, ALateReplyIsCountedByTheNextPressInTheWindow) {
    FakeConverter converter;
    converter.serial.open = true;
    FakeClock clock;
    FakeEventPump pump{clock};
    pump.onYield = [&] { converter.deliver(clock.time); };
    auto press = [&](std::chrono::milliseconds replyAfter) {
        converter.schedule(clock.time, {{replyAfter, {0x55}}});
        return runProgrammingExchange(converter.serial, pump, clock, kFrame, [] { return false; }).verdict;
    };
    EXPECT_EQ(press(1500ms), Verdict::Silent);
    EXPECT_EQ(press(0ms), Verdict::ExtraBytes);
    EXPECT_TRUE(converter.serial.received.empty());
    EXPECT_EQ(press(0ms), Verdict::Accepted);
}

TEST(ProgrammingExchange, AFailingPortEndsTheExchangeAndIsClosed) {
    struct Case {
        const char* name;
        int failAtYield;  // 0: before the frame is sent
        std::function<void(FakeSerialControl&)> breakPort;
        ExchangeOptions options = kWindow;
    };
    const auto vanish = [](FakeSerialControl& s) { s.failAllOperations = true; };
    const Case cases[] = {
        {.name = "gone before sending", .failAtYield = 0, .breakPort = vanish},
        {.name = "gone before sending, with a discard first",
         .failAtYield = 0,
         .breakPort = vanish,
         .options = kCommandLine},
        // The rest of the port still answers: only the exchange's own check of the write sees it.
        {"refuses only the frame", 0,
         [](FakeSerialControl& s) {
             s.outputError = Error{ErrorCode::Io, "Input/output error"};
         }},
        {"gone while draining", 1, vanish},
        {"gone during the window", 50, vanish},
        {"gone as the window ends", 200, vanish},
        {"gone in the settle time", 250, vanish, kCommandLine},
        {"closed under the exchange", 50, [](FakeSerialControl& s) { s.open = false; }},
    };
    for (const Case& c : cases) {
        FakeSerialControl serial;
        serial.open = true;
        FakeClock clock;
        FakeEventPump pump{clock};
        if (c.failAtYield == 0) {
            c.breakPort(serial);
        }
        pump.onYield = [&] {
            if (pump.yields == c.failAtYield) {
                c.breakPort(serial);
            }
        };
        const auto start = clock.time;
        const ExchangeResult result = runProgrammingExchange(
            serial, pump, clock, kFrame, [] { return false; }, c.options);
        EXPECT_EQ(result.verdict, Verdict::LinkFailed) << c.name;
        EXPECT_FALSE(result.failure.text.empty()) << c.name;
        EXPECT_FALSE(serial.open) << c.name;
        EXPECT_EQ(serial.log.empty() ? "" : serial.log.back(), "close") << c.name;
        // No stage keeps waiting once an operation has failed.
        EXPECT_LE(clock.time - start, kReplyWindow + c.options.settle + 5 * pump.step) << c.name;
    }
}

TEST(ProgrammingExchange, ATransmitBufferThatNeverEmptiesEndsTheDrain) {
    FakeSerialControl serial;
    serial.open = true;
    FakeClock clock;
    FakeEventPump pump{clock};
    pump.onYield = [&] { serial.pendingOutput = 33; };  // e.g. flow control stuck off
    const auto start = clock.time;
    const ExchangeResult result = runProgrammingExchange(serial, pump, clock, kFrame, [] { return false; });
    EXPECT_EQ(result.verdict, Verdict::LinkFailed);
    EXPECT_FALSE(serial.open);
    EXPECT_GE(clock.time - start, kDrainLimit);
    EXPECT_LT(clock.time - start, kDrainLimit + kReplyWindow);
}

// A stop at any stage ends every exchange of a gang at once, without judging.
TEST(ProgrammingExchange, AStopEndsEveryExchangeWithoutJudging) {
    for (int stopAt : {1, 2, 10, 150, 250}) {
        FakeClock clock;
        FakeEventPump pump{clock};
        FakeSerialControl window;
        FakeSerialControl commandLine;
        window.open = commandLine.open = true;
        pump.onYield = [&] {
            if (pump.yields == 1) {
                window.received = commandLine.received = {0x55};
            }
        };
        ProgrammingExchange a(window, kFrame, kWindow);
        ProgrammingExchange b(commandLine, kFrame, kCommandLine);
        ProgrammingExchange* const gang[] = {&a, &b};
        std::vector<std::size_t> finished;
        runProgrammingExchanges(gang, pump, clock,
                                {.interrupted = [&] { return pump.yields >= stopAt; },
                                 .finished = [&](std::size_t i) { finished.push_back(i); }});
        EXPECT_EQ(pump.yields, stopAt);
        EXPECT_EQ(finished.size(), 2u) << stopAt;
        // The window's exchange has finished before the command line's settle time runs out.
        const Verdict expectedA = stopAt < 205 ? Verdict::Stopped : Verdict::Accepted;
        EXPECT_EQ(a.result().verdict, expectedA) << stopAt;
        EXPECT_EQ(b.result().verdict, Verdict::Stopped) << stopAt;
        EXPECT_EQ(std::count(window.log.begin(), window.log.end(), "clear input"), 0) << stopAt;
    }
}

}  // namespace
}  // namespace veltara::test
