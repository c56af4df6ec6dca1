#include "link/configframe.h"

#include <gtest/gtest.h>

#include <random>

namespace veltara::core {
namespace {

using Field = std::array<std::uint8_t, 4>;

FrameInputs factoryInputs() {
    FrameInputs in;
    in.rs232BaudRate = 3;
    in.canBaudRate = 5;
    in.inputFrmType = in.outputFrmType = in.canTrFrmType = in.canRecFrmType = 0;
    in.outputProtection = in.rs232RecId = in.rs232TrId = 0;
    in.canTrMultiByte = false;
    in.inputChangeTr = true;
    in.canTrId1 = {0x22, 0x03, 0, 0};
    in.canMask1 = {0xFF, 0x07, 0, 0};
    in.canFilter1 = {0x33, 0x03, 0, 0};
    in.canFilter2 = {0x33, 0x03, 0, 0};
    in.inputId1 = {0x22, 0x07, 0, 0};
    in.outputId1 = {0x22, 0x05, 0, 0};
    in.periodmsCountValue = 300;
    return in;
}

TEST(IdentifierField, WorkedExamples) {
    struct Case {
        IdBytes id;
        bool standard;
        Field expected;
    };
    const Case cases[] = {
        {{0x45, 0x03, 0x34, 0x33}, true, {0x68, 0xA0, 0x00, 0x00}},
        {{0xFF, 0x07, 0, 0}, true, {0xFF, 0xE0, 0, 0}},
        {{0, 0, 0, 0}, true, {0, 0, 0, 0}},
        {{0x45, 0xFB, 0, 0}, true, {0x68, 0xA0, 0, 0}},  // only the low three bits of box 1 count
        {{0x78, 0x56, 0x34, 0x12}, false, {0x91, 0xA8, 0x56, 0x78}},
        {{0xFF, 0xFF, 0xFF, 0x1F}, false, {0xFF, 0xEB, 0xFF, 0xFF}},
        {{0, 0, 0, 0}, false, {0x00, 0x08, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.standard ? encodeStandardId(c.id) : encodeExtendedId(c.id), c.expected);
    }
}

TEST(ConfigFrame, WholeFramesByteForByte) {
    struct Case {
        const char* name;
        void (*change)(FrameInputs&);
        ConfigFrame expected;
    };
    const Case cases[] = {
        {"factory", [](FrameInputs&) {}, {0x03, 0x00, 0x05, 0x00, 0xE4, 0x40, 0x00, 0x00, 0xA4, 0x40, 0x00,
                                          0x00, 0xA1, 0x64, 0x40, 0x00, 0x00, 0xFF, 0xE0, 0x00, 0x00, 0x66,
                                          0x60, 0x00, 0x00, 0x2C, 0x01, 0x00, 0x66, 0x60, 0x00, 0x00, 0xED}},
        // Extended receive fills the last identifier bytes, 31 among them, which the checksum covers.
        {"extended receive",
         [](FrameInputs& in) { in.canRecFrmType = 1; },
         {0x03, 0x00, 0x05, 0x00, 0xE4, 0x40, 0x00, 0x00, 0xA4, 0x40, 0x00,
          0x00, 0xA2, 0x64, 0x40, 0x00, 0x00, 0x00, 0x08, 0x07, 0xFF, 0x00,
          0x08, 0x03, 0x33, 0x2C, 0x01, 0x00, 0x00, 0x08, 0x03, 0x33, 0x0D}},
    };
    for (const Case& c : cases) {
        FrameInputs in = factoryInputs();
        c.change(in);
        ConfigFrame frame{};
        encodeConfigFrame(in, frame);
        EXPECT_EQ(frame, c.expected) << c.name;
        encodeConfigFrame(in, frame);
        EXPECT_EQ(frame, c.expected) << c.name << ": a second build of the same inputs differs";
    }
}

TEST(ConfigFrame, PeriodBytesLittleEndian) {
    const std::pair<int, Field> cases[] = {
        {500, {0xF4, 0x01}}, {300, {0x2C, 0x01}}, {65535, {0xFF, 0xFF}}, {1, {1, 0}}};
    for (const auto& [period, bytes] : cases) {
        FrameInputs in = factoryInputs();
        in.periodmsCountValue = period;
        ConfigFrame frame{};
        encodeConfigFrame(in, frame);
        EXPECT_EQ(frame[25], bytes[0]) << period;
        EXPECT_EQ(frame[26], bytes[1]) << period;
    }
}

TEST(ConfigFrame, FlagBits) {
    struct Case {
        void (*change)(FrameInputs&);
        std::uint8_t flags;
    };
    const Case cases[] = {
        {[](FrameInputs&) {}, 0xA1},
        {[](FrameInputs& in) { in.canRecFrmType = 1; }, 0xA2},
        {[](FrameInputs& in) { in.canRecFrmType = 2; }, 0xA3},
        {[](FrameInputs& in) { in.outputProtection = 1; }, 0xA5},
        {[](FrameInputs& in) { in.outputProtection = 2; }, 0xA1},  // greyed is not checked
        {[](FrameInputs& in) { in.canTrMultiByte = true; }, 0xB1},
        {[](FrameInputs& in) { in.rs232RecId = 1; }, 0x81},
        {[](FrameInputs& in) { in.inputChangeTr = false; }, 0xE1},
        {[](FrameInputs& in) { in.rs232TrId = 1; }, 0x21},
        {[](FrameInputs& in) { in.rs232TrId = 2; }, 0xA1},
    };
    for (const auto& c : cases) {
        FrameInputs in = factoryInputs();
        c.change(in);
        ConfigFrame frame{};
        encodeConfigFrame(in, frame);
        EXPECT_EQ(frame[12], c.flags);
    }
}

TEST(ConfigFrame, ReceiveAllKeepsThePreviousReceiveBytesAndByte27) {
    FrameInputs in = factoryInputs();
    ConfigFrame frame{};
    frame[27] = 0x5A;
    in.canRecFrmType = 2;
    encodeConfigFrame(in, frame);
    for (int i : {17, 18, 19, 20, 21, 22, 23, 24, 28, 29, 30, 31}) {
        EXPECT_EQ(frame[i], 0) << i;
    }
    EXPECT_EQ(frame[12] & 0x03, 3);
    EXPECT_EQ(frame[27], 0x5A);

    in.canRecFrmType = 0;
    encodeConfigFrame(in, frame);
    in.canRecFrmType = 2;
    in.canMask1 = {0, 0, 0, 0};
    encodeConfigFrame(in, frame);
    EXPECT_EQ((Field{frame[17], frame[18], frame[19], frame[20]}), (Field{0xFF, 0xE0, 0, 0}));
    EXPECT_EQ(frame[32], frameChecksum(frame));
}

TEST(ConfigFrame, ChecksumWrapsToZero) {
    ConfigFrame frame{};
    frame[0] = 0x80;
    frame[1] = 0x80;
    EXPECT_EQ(frameChecksum(frame), 0);
}

TEST(ConfigFrame, InputProblemsNameTheSettingAndRange) {
    struct Case {
        void (*change)(FrameInputs&);
        const char* needle;
    };
    const Case cases[] = {
        {[](FrameInputs& in) { in.rs232BaudRate = -1; }, "RS232 Baud Rate (1200 to 230400)"},
        {[](FrameInputs& in) { in.canBaudRate = -1; }, "CAN Baud Rate (20K to 1000K)"},
        {[](FrameInputs& in) {
             in.inputFrmType = 1;
             in.inputId1[3] = 0x20;
         },
         "(0 to 1F) in the leftmost box of Input"},
        {[](FrameInputs& in) {
             in.canTrFrmType = -1;
             in.canTrId1[3] = 0xFF;
         },
         "CAN transmitting"},
        {[](FrameInputs& in) {
             in.canRecFrmType = 1;
             in.canFilter2[3] = 0x20;
         },
         "Filter2"},
        {[](FrameInputs& in) { in.periodmsCountValue = 0; }, "(1 to 65535)"},
        {[](FrameInputs& in) { in.periodmsCountValue = 65536; }, "(1 to 65535)"},
    };
    for (const auto& c : cases) {
        FrameInputs in = factoryInputs();
        c.change(in);
        const auto problem = frameInputProblem(in);
        ASSERT_TRUE(problem.has_value()) << c.needle;
        EXPECT_NE(problem->find(c.needle), std::string::npos) << *problem;
    }
    FrameInputs all = factoryInputs();
    all.canRecFrmType = 2;
    all.canMask1[3] = 0xFF;  // not encoded under "All", so no problem
    EXPECT_FALSE(frameInputProblem(all).has_value());
}

TEST(ConfigFrameDecoder, RejectsWrongLengthAndChecksum) {
    ConfigFrame frame{};
    encodeConfigFrame(factoryInputs(), frame);
    EXPECT_EQ(decodeConfigFrame(std::span(frame).first(32)).error().code, ErrorCode::InvalidArgument);
    frame[32] = 0xEE;
    const auto decoded = decodeConfigFrame(frame);
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error().code, ErrorCode::Checksum);
    EXPECT_EQ(decoded.error().text, "checksum mismatch: expected ED, found EE");
}

TEST(ConfigFrameDecoder, RoundTripsGeneratedInputs) {
    std::mt19937 random(20261207);
    auto byte = [&] { return static_cast<std::uint8_t>(random() & 0xFF); };
    auto id = [&](bool extended) {
        IdBytes b{byte(), byte(), byte(), byte()};
        if (extended) {
            b[3] &= 0x1F;
        } else {
            b[1] &= 0x07;
        }
        return b;
    };
    auto value = [](const IdBytes& b, bool extended) {
        return extended
                   ? (std::uint32_t{b[3]} << 24 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[1]} << 8 | b[0])
                   : (std::uint32_t{b[1]} << 8 | b[0]);
    };
    for (int n = 0; n < 2000; ++n) {
        FrameInputs in;
        in.rs232BaudRate = static_cast<int>(random() % 8);
        in.canBaudRate = static_cast<int>(random() % 8);
        in.inputFrmType = static_cast<int>(random() % 2);
        in.outputFrmType = static_cast<int>(random() % 2);
        in.canTrFrmType = static_cast<int>(random() % 2);
        in.canRecFrmType = static_cast<int>(random() % 2);
        in.outputProtection = static_cast<int>(random() % 2);
        in.rs232RecId = static_cast<int>(random() % 2);
        in.rs232TrId = static_cast<int>(random() % 2);
        in.canTrMultiByte = random() % 2 == 0;
        in.inputChangeTr = random() % 2 == 0;
        in.inputId1 = id(in.inputFrmType == 1);
        in.outputId1 = id(in.outputFrmType == 1);
        in.canTrId1 = id(in.canTrFrmType == 1);
        in.canMask1 = id(in.canRecFrmType == 1);
        in.canFilter1 = id(in.canRecFrmType == 1);
        in.canFilter2 = id(in.canRecFrmType == 1);
        in.periodmsCountValue = static_cast<int>(random() % 65535) + 1;
        ConfigFrame frame{};
        frame[27] = byte();
        ASSERT_FALSE(frameInputProblem(in).has_value());
        encodeConfigFrame(in, frame);
        const auto decoded = decodeConfigFrame(frame);
        ASSERT_TRUE(decoded.ok()) << decoded.error().text;
        const DecodedFrame& d = decoded.value();
        EXPECT_EQ(d.rs232BaudCode, in.rs232BaudRate);
        EXPECT_EQ(d.canBaudCode, in.canBaudRate);
        EXPECT_EQ(d.canRecFrameType, in.canRecFrmType + 1);
        EXPECT_EQ(d.outputProtection, in.outputProtection == 1);
        EXPECT_EQ(d.canTrMultiByte, in.canTrMultiByte);
        EXPECT_EQ(d.rs232RecContainsId, in.rs232RecId == 1);
        EXPECT_EQ(d.rs232TrContainsId, in.rs232TrId == 1);
        EXPECT_EQ(d.inputPeriodic, !in.inputChangeTr);
        EXPECT_EQ(d.periodmsCount, in.periodmsCountValue);
        EXPECT_EQ(d.protectValue, frame[27]);
        const std::tuple<const DecodedId&, const IdBytes&, int> ids[] = {
            {d.inputId, in.inputId1, in.inputFrmType},       {d.outputId, in.outputId1, in.outputFrmType},
            {d.canTrId, in.canTrId1, in.canTrFrmType},       {d.canMask, in.canMask1, in.canRecFrmType},
            {d.canFilter1, in.canFilter1, in.canRecFrmType}, {d.canFilter2, in.canFilter2, in.canRecFrmType},
        };
        for (const auto& [decodedId, bytes, type] : ids) {
            EXPECT_EQ(decodedId.extended, type == 1);
            EXPECT_EQ(decodedId.value, value(bytes, type == 1));
            EXPECT_TRUE(decodedId.wellFormed());
        }
    }
}

}  // namespace
}  // namespace veltara::core
