#include "validation/textconversion.h"

#include <gtest/gtest.h>

namespace veltara::core {
namespace {

struct HexCase {
    const char* text;
    std::optional<int> value;
};

TEST(HexByte, AcceptsOneOrMoreHexDigitsUpToFF) {
    const HexCase cases[] = {
        {"0", 0},
        {"7", 7},
        {"ff", 255},
        {"FF", 255},
        {"fF", 255},
        {"0FF", 255},
        {"000000a", 10},
        {"10", 16},
        {"", std::nullopt},
        {"100", std::nullopt},
        {"G", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {"&H1", std::nullopt},
        {"0x1", std::nullopt},
        {"1 2", std::nullopt},
        {"\t1", std::nullopt},
        {"fff", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto parsed = parseHexByte(c.text);
        ASSERT_EQ(parsed.has_value(), c.value.has_value()) << c.text;
        if (c.value) {
            EXPECT_EQ(*parsed, *c.value) << c.text;
        }
    }
}

TEST(TrimSpaces, RemovesOnlyU0020) {
    EXPECT_EQ(trimSpaces("  5 "), "5");
    EXPECT_EQ(trimSpaces("    "), "");
    EXPECT_EQ(trimSpaces("\t5"), "\t5");
    EXPECT_EQ(trimSpaces("1 2"), "1 2");
}

struct DecimalCase {
    const char* text;
    std::optional<std::int32_t> value;
};

TEST(DecimalInt32, SignDigitsAndFractionRoundedHalfToEven) {
    const DecimalCase cases[] = {
        {"500", 500},
        {"+7", 7},
        {"-5", -5},
        {"2.5", 2},
        {"3.5", 4},
        {"0.4", 0},
        {"0.5", 0},
        {"1.5", 2},
        {"2.51", 3},
        {"2.500000", 2},
        {"-2.5", -2},
        {"5.", 5},
        {".6", 1},
        {"0065535", 65535},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483648LL},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1e3", std::nullopt},
        {"1,000", std::nullopt},
        {"+", std::nullopt},
        {".", std::nullopt},
        {"1 2", std::nullopt},
        {"--1", std::nullopt},
        {"2147483647.5", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto parsed = parseDecimalInt32(c.text);
        ASSERT_EQ(parsed.has_value(), c.value.has_value()) << c.text;
        if (c.value) {
            EXPECT_EQ(*parsed, *c.value) << c.text;
        }
    }
}

TEST(DecimalInt32, AcceptsTheLocaleSeparatorOnly) {
    EXPECT_EQ(parseDecimalInt32("3,5", ","), 4);
    EXPECT_EQ(parseDecimalInt32("3.5", ","), std::nullopt);
    EXPECT_EQ(parseDecimalInt32("1.000", ","), std::nullopt);
    EXPECT_EQ(parseDecimalInt32("3,5", "."), std::nullopt);
    EXPECT_EQ(parseDecimalInt32("2\u066B5", "\u066B"), 2);
    EXPECT_EQ(parseDecimalInt32("2.5", "\u066B"), std::nullopt);
}

}  // namespace
}  // namespace veltara::core
