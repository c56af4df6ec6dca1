#include "link/portexchange.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "fakes.h"

namespace veltara::test {
namespace {

using namespace std::chrono_literals;

const std::vector<std::uint8_t> kFrame(kConfigFrameSize, 0x11);

struct Reply {
    std::chrono::milliseconds after;  // since the frame was handed to the port
    std::vector<std::uint8_t> bytes;
};

struct GangCase {
    const char* name;
    std::vector<Reply> replies;
    std::chrono::milliseconds settle = kDefaultSettleTime;
    bool strayByteBeforeSending = false;
    std::optional<std::chrono::milliseconds> vanishesAfter;
    PortVerdict verdict;
};

// Every row is one converter, and all of them are programmed together as one gang: each must get the
// verdict of its own exchange, in the time of the slowest one rather than the sum.
TEST(PortExchange, EachConverterOfAGangIsJudgedOnItsOwnWindowAndSettleTime) {
    const GangCase cases[] = {
        {"prompt ack", {{100ms, {0x55}}}, kDefaultSettleTime, false, {}, PortVerdict::Accepted},
        {"ack in the settle time",
         {{1200ms, {0x55}}},
         kDefaultSettleTime,
         false,
         {},
         PortVerdict::AnsweredLate},
        {"ack then a late echo",
         {{100ms, {0x55}}, {1300ms, {0x55}}},
         kDefaultSettleTime,
         false,
         {},
         PortVerdict::AnsweredLate},
        {"late ack, settle off", {{1200ms, {0x55}}}, 0ms, false, {}, PortVerdict::Rejected},
        {"ack after the settle time",
         {{1700ms, {0x55}}},
         kDefaultSettleTime,
         false,
         {},
         PortVerdict::Rejected},
        {"stray ack before the frame", {}, kDefaultSettleTime, true, {}, PortVerdict::Rejected},
        {"wrong byte", {{100ms, {0xAA}}}, kDefaultSettleTime, false, {}, PortVerdict::Rejected},
        {"two bytes", {{100ms, {0x55, 0x55}}}, kDefaultSettleTime, false, {}, PortVerdict::Rejected},
        {"unplugged in the window", {}, kDefaultSettleTime, false, 500ms, PortVerdict::LinkFailed},
    };
    FakeClock clock;
    FakeEventPump pump{clock};
    const auto start = clock.time;
    std::vector<std::unique_ptr<FakeSerialControl>> ports;
    std::vector<std::unique_ptr<PortExchange>> exchanges;
    std::vector<PortExchange*> gang;
    for (const GangCase& c : cases) {
        auto& serial = *ports.emplace_back(std::make_unique<FakeSerialControl>());
        serial.open = true;
        if (c.strayByteBeforeSending) {
            serial.received.push_back(0x55);
        }
        gang.push_back(
            exchanges.emplace_back(std::make_unique<PortExchange>(serial, kFrame, c.settle)).get());
    }
    std::vector<std::vector<Reply>> due;
    for (const GangCase& c : cases) {
        due.push_back(c.replies);
    }
    pump.onYield = [&] {
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            std::erase_if(due[i], [&](const Reply& r) {
                if (clock.time - start < r.after) {
                    return false;
                }
                ports[i]->received.insert(ports[i]->received.end(), r.bytes.begin(), r.bytes.end());
                return true;
            });
            if (cases[i].vanishesAfter && clock.time - start >= *cases[i].vanishesAfter) {
                ports[i]->failAllOperations = true;
            }
        }
    };
    runPortExchanges(gang, pump, clock, [] { return false; });
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(gang[i]->verdict(), cases[i].verdict) << cases[i].name;
        EXPECT_EQ(ports[i]->sent.size(), 1u) << cases[i].name;
        if (cases[i].settle > 0ms) {
            EXPECT_TRUE(ports[i]->received.empty()) << cases[i].name << ": nothing is left for the next run";
        }
    }
    EXPECT_LT(clock.time - start, 1600ms) << "the gang waits for its slowest converter only";
}

TEST(PortExchange, AStopEndsEveryExchangeAtOnce) {
    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerialControl first;
    FakeSerialControl second;
    first.open = second.open = true;
    PortExchange a(first, kFrame, kDefaultSettleTime);
    PortExchange b(second, kFrame, kDefaultSettleTime);
    const auto start = clock.time;
    const std::vector<PortExchange*> gang{&a, &b};
    runPortExchanges(gang, pump, clock, [&] { return clock.time - start >= 300ms; });
    EXPECT_EQ(a.verdict(), PortVerdict::Interrupted);
    EXPECT_EQ(b.verdict(), PortVerdict::Interrupted);
    EXPECT_LT(clock.time - start, 320ms);
}

}  // namespace
}  // namespace veltara::test
