#include <gtest/gtest.h>

#include "fakes.h"

namespace veltara::test {
namespace {

constexpr const char* kPeriodMessage = "Please enter decimal number (1 to 65535)!";
constexpr const char* kFF = "Please enter the hexcial digit (0 to FF)!";

struct PeriodCase {
    const char* text;  // set in one write, as a paste
    bool message;
    int value;
    const char* boxAfter;
};

TEST(PeriodCount, AcceptsOneTo65535AndCorrectsEverythingElse) {
    const PeriodCase cases[] = {
        {"500", false, 500, "500"},
        {"1", false, 1, "1"},
        {"65535", false, 65535, "65535"},
        {"  300  ", false, 300, "  300  "},
        {"0065", false, 65, "0065"},
        {"2.5", false, 2, "2.5"},
        {"3.5", false, 4, "3.5"},
        {"65536", true, 1, "1"},
        {"0", true, 1, "1"},
        {"-5", true, 1, "1"},
        {"", true, 1, "1"},
        {"abc", true, 1, "1"},
        {"0.4", true, 1, "1"},
        {"99999999999", true, 1, "1"},
        {"1e3", true, 1, "1"},
    };
    for (const auto& c : cases) {
        DialogFixture f;
        f.start();
        ASSERT_TRUE(f.dialog.optInputPeriodTr.setFocus() || true);
        f.dialog.optInputPeriodTr.setValue(true);
        f.dialog.txtPeriodmsCount.setText(c.text);
        EXPECT_EQ(f.dialog.PeriodmsCountValue, c.value) << c.text;
        EXPECT_EQ(f.dialog.txtPeriodmsCount.text(), c.boxAfter) << c.text;
        if (c.message) {
            ASSERT_EQ(f.messages.texts(), std::vector<std::string>{kPeriodMessage}) << c.text;
            EXPECT_EQ(f.messages.shown[0].title, "Input Data Error");
            EXPECT_EQ(f.dialog.txtPeriodmsCount.selLength(), 1) << c.text;
            EXPECT_TRUE(f.dialog.txtPeriodmsCount.hasFocus()) << c.text;
        } else {
            EXPECT_TRUE(f.messages.shown.empty()) << c.text;
        }
    }
}

TEST(PeriodCount, TypingZeroOverTheSelectionCorrectsAtOnce) {
    DialogFixture f;
    f.start();
    f.dialog.optInputPeriodTr.setValue(true);
    f.typeInto(f.dialog.txtPeriodmsCount, "0");
    EXPECT_EQ(f.messages.texts(), std::vector<std::string>{kPeriodMessage});
    EXPECT_EQ(f.dialog.txtPeriodmsCount.text(), "1");
    f.messages.clear();
    f.typeInto(f.dialog.txtPeriodmsCount, "250");
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_EQ(f.dialog.PeriodmsCountValue, 250);
}

// The locale's decimal separator and no other: a German "1.000" draws the message instead of becoming 1.
TEST(PeriodCount, TakesTheLocalesDecimalSeparatorOnly) {
    struct Case {
        const char* separator;
        const char* text;
        std::int32_t value;
        bool message;
    };
    const Case cases[] = {
        {".", "2.5", 2, false},     {".", "1,000", 1, true}, {",", "3,5", 4, false},
        {",", "1.000", 1, true},    {",", "2.5", 1, true},   {"\u066B", "2\u066B5", 2, false},
        {"\u066B", "2.5", 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.separator) + " " + c.text);
        DialogFixture f;
        f.dialog.setDecimalSeparator(c.separator);
        f.start();
        f.dialog.txtPeriodmsCount.setText(c.text);
        EXPECT_EQ(f.dialog.PeriodmsCountValue, c.value);
        EXPECT_EQ(f.messages.texts(),
                  c.message ? std::vector<std::string>{kPeriodMessage} : std::vector<std::string>{});
    }
}

struct ProtectCase {
    const char* text;
    bool message;
    int byte27;
    const char* boxAfter;
};

TEST(ProtectValue, HexByteIntoFrameByte27) {
    const ProtectCase cases[] = {
        {"00", false, 0, "00"},        {"FF", false, 255, "FF"},
        {"ff", false, 255, "ff"},      {"7", false, 7, "7"},
        {" 5A ", false, 0x5A, " 5A "}, {"100", true, 0, "0"},
        {"G", true, 0, "0"},           {"", true, 0, "0"},
    };
    for (const auto& c : cases) {
        DialogFixture f;
        f.start();
        f.dialog.ConfigFrameBytes[27] = 0x33;
        f.dialog.txtOutputProtectValue.setText(c.text);
        EXPECT_EQ(f.dialog.ConfigFrameBytes[27], c.byte27) << c.text;
        EXPECT_EQ(f.dialog.txtOutputProtectValue.text(), c.boxAfter) << c.text;
        EXPECT_EQ(f.messages.shown.size(), c.message ? 1u : 0u) << c.text;
        if (c.message) {
            EXPECT_EQ(f.messages.shown[0].text, kFF);
        }
    }
}

TEST(ProtectValue, FrameAfterACorrectionCarriesZeroInByte27) {
    DialogFixture f;
    f.start();
    f.dialog.txtOutputProtectValue.setText("5A");
    f.dialog.txtOutputProtectValue.setText("5AZ");
    f.serial.received.push_back(0x55);
    f.dialog.btnProgramConfig_Click();
    ASSERT_EQ(f.serial.sent.size(), 1u);
    EXPECT_EQ(f.serial.sent[0][27], 0);
}

}  // namespace
}  // namespace veltara::test
