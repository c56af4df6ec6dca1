#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "session.h"

namespace veltara::test {
namespace {

using Rule = void (Dialog::*)(int);

struct Row {
    TextBox* boxes;
    Rule lostFocus;
    const ComboBox& frameType;
};

std::vector<Row> rows(Dialog& d) {
    return {{d.txtCANTrID1, &Dialog::txtCANTrID1_LostFocus, d.cmbCANtrFrmType},
            {d.txtCANMask1, &Dialog::txtCANMask1_LostFocus, d.cmbCANRecFrmType},
            {d.txtCANFilter1, &Dialog::txtCANFilter1_LostFocus, d.cmbCANRecFrmType},
            {d.txtCANFilter2, &Dialog::txtCANFilter2_LostFocus, d.cmbCANRecFrmType},
            {d.txtInputID1, &Dialog::txtInputID1_LostFocus, d.cmbInputFrmType},
            {d.txtOutputID1, &Dialog::txtOutputID1_LostFocus, d.cmbOutputFrmType}};
}

std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

// Produces user input that every rule of the dialog accepts, in the many forms users type it.
class StateGenerator {
public:
    explicit StateGenerator(unsigned seed) : m_random(seed) {}

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    std::string hexByte(int value) {
        char text[8];
        const bool lower = pick(0, 1) == 1;
        if (value < 16 && pick(0, 1) == 1) {
            std::snprintf(text, sizeof text, lower ? "%x" : "%X", value);
        } else {
            std::snprintf(text, sizeof text, lower ? "%02x" : "%02X", value);
        }
        std::string result = text;
        if (result.size() < 4 && pick(0, 2) == 0) {
            result = pick(0, 1) ? " " + result : result + " ";
        }
        return result;
    }

    std::string period(int value) {
        std::string digits = std::to_string(value);
        switch (pick(0, 3)) {
            case 0:
                return digits;
            case 1:
                return padded(digits, static_cast<std::size_t>(pick(static_cast<int>(digits.size()), 8)));
            case 2:
                return std::string(static_cast<std::size_t>(pick(0, 8 - static_cast<int>(digits.size()))),
                                   '0') +
                       digits;
            default:
                return digits.size() < 8 ? " " + digits : digits;
        }
    }

    // Sets every control as a user could, then lets every identifier box lose the focus.
    void apply(Dialog& d) {
        ASSERT_TRUE(d.CmbCOM.setListIndex(pick(0, 7)));
        ASSERT_TRUE(d.CmbRS232BaudRate.setListIndex(pick(0, 7)));
        ASSERT_TRUE(d.CmbCANBaudRate.setListIndex(pick(0, 7)));
        ASSERT_TRUE(d.cmbCANtrFrmType.setListIndex(pick(0, 1)));
        ASSERT_TRUE(d.cmbCANRecFrmType.setListIndex(pick(0, 2)));
        ASSERT_TRUE(d.cmbInputFrmType.setListIndex(pick(0, 1)));
        ASSERT_TRUE(d.cmbOutputFrmType.setListIndex(pick(0, 1)));
        ASSERT_TRUE(d.chkOutputProtection.setValue(pick(0, 2)));
        ASSERT_TRUE(d.ChkRS232RecID.setValue(pick(0, 2)));
        ASSERT_TRUE(d.ChkRS232TrID.setValue(pick(0, 2)));
        (pick(0, 1) ? d.optCANTrImme1byte : d.optCANTrMultiByte).setValue(true);
        (pick(0, 1) ? d.optInputChangeTr : d.optInputPeriodTr).setValue(true);
        for (const Row& row : rows(d)) {
            const int type = row.frameType.listIndex();
            for (int i = 0; i < 4; ++i) {
                if (type == 0 && i >= 2) {
                    continue;  // held at 0 by the standard frame type
                }
                const int limit = (type == 0 && i == 1) ? 7 : (type == 1 && i == 3) ? 0x1F : 0xFF;
                row.boxes[i].setText(hexByte(pick(0, limit)));
            }
            for (int i = 0; i < 4; ++i) {
                (d.*row.lostFocus)(i);
            }
        }
        d.txtPeriodmsCount.setText(period(pick(1, 65535)));
        d.txtOutputProtectValue.setText(hexByte(pick(0, 255)));
    }

private:
    std::mt19937 m_random;
};

TEST(SettingsRoundTrip, EveryValidStateSurvivesSaveAndStartUp) {
    TempDir dir;
    ScopedCurrentDirectory cwd(dir.path());
    StateGenerator generate(20261207);
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::map<std::string, std::string> expected;
        std::vector<std::uint8_t> frame;
        {
            HeadlessSession first;
            first.start();
            ASSERT_TRUE(first.messages.shown.empty()) << first.messages.shown[0].text;
            ASSERT_NO_FATAL_FAILURE(generate.apply(first.dialog));
            ASSERT_TRUE(first.messages.shown.empty()) << first.messages.shown[0].text;
            expected = visibleState(first.dialog);
            // The period and protection texts come back as stored: padded to their widths.
            expected["txtPeriodmsCount"] = "\"" + padded(first.dialog.txtPeriodmsCount.text(), 8) + "\"";
            expected["txtOutputProtectValue"] =
                "\"" + padded(first.dialog.txtOutputProtectValue.text(), 4) + "\"";
            frame = first.programFrame();
            ASSERT_EQ(frame.size(), 33u);
            first.close();
        }
        HeadlessSession again;
        again.start();
        ASSERT_TRUE(again.messages.shown.empty()) << again.messages.shown[0].text;
        ASSERT_EQ(visibleState(again.dialog), expected);
        ASSERT_EQ(again.programFrame(), frame);
        again.close();
    }
}

// A text the fixed width or the file's character set would change is saved as the shortest text of its
// value; every other text as typed.
TEST(SettingsRoundTrip, ATextThatWouldNotComeBackIsSavedAsItsValue) {
    enum Box { Id, Period, Protect };
    struct Case {
        Box box;
        const char* separator;
        const char* typed;
        const char* saved;
    };
    const Case cases[] = {{.box = Id, .separator = ".", .typed = "000FF", .saved = "FF  "},
                          {.box = Id, .separator = ".", .typed = "00000a", .saved = "0A  "},
                          {.box = Id, .separator = ".", .typed = "ff", .saved = "ff  "},
                          {.box = Id, .separator = ".", .typed = "  0a ", .saved = "  0a"},
                          {.box = Id, .separator = ".", .typed = "000F", .saved = "000F"},
                          {.box = Period, .separator = ".", .typed = "000001000", .saved = "1000    "},
                          {.box = Period, .separator = ".", .typed = "  1000   ", .saved = "  1000  "},
                          {.box = Period, .separator = ".", .typed = "2.5", .saved = "2.5     "},
                          {.box = Period, .separator = ",", .typed = "2,5", .saved = "2,5     "},
                          {.box = Period, .separator = "\u066B", .typed = "3\u066B5", .saved = "4       "},
                          {.box = Period, .separator = ".", .typed = "65535.499", .saved = "65535.49"},
                          {.box = Protect, .separator = ".", .typed = "000ff", .saved = "FF  "},
                          {.box = Protect, .separator = ".", .typed = "f", .saved = "f   "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        auto box = [&c](Dialog& d) -> TextBox& {
            return c.box == Id       ? d.txtCANTrID1[0]
                   : c.box == Period ? d.txtPeriodmsCount
                                     : d.txtOutputProtectValue;
        };
        auto value = [&c](const Dialog& d) {
            return c.box == Id       ? d.CANTrID1Bytes[0]
                   : c.box == Period ? d.PeriodmsCountValue
                                     : d.ConfigFrameBytes[27];
        };
        DialogFixture first;
        first.dialog.setDecimalSeparator(c.separator);
        first.start();
        box(first.dialog).setText(c.typed);
        ASSERT_TRUE(first.messages.shown.empty());
        first.dialog.Form_Unload();
        const ConverterSettings stored = decodeSettingsRecord(first.file.bytes);
        EXPECT_EQ(c.box == Id       ? stored.CANTrID1[0].text()
                  : c.box == Period ? stored.PeriodmsCount.text()
                                    : stored.OutputProtectValue.text(),
                  c.saved);

        DialogFixture again;
        again.dialog.setDecimalSeparator(c.separator);
        again.file.bytes = first.file.bytes;
        again.start();
        EXPECT_EQ(value(again.dialog), value(first.dialog));
    }
}

}  // namespace
}  // namespace veltara::test
