#include <gtest/gtest.h>

#include "session.h"
#include "settings/convertersettings.h"

namespace veltara::test {
namespace {

using Chars4 = std::array<char, 4>;

TEST(FixedText, StoringKeepsTheFirstCharactersAsSingleBytesAndPadsWithSpaces) {
    struct Case {
        const char* name;
        std::string input;
        Chars4 stored;
    };
    const Case cases[] = {
        {"short", "22", {'2', '2', ' ', ' '}},
        {"one", "1", {'1', ' ', ' ', ' '}},
        {"empty", "", {' ', ' ', ' ', ' '}},
        {"exact", "ABCD", {'A', 'B', 'C', 'D'}},
        {"long keeps first four", "ABCDEF", {'A', 'B', 'C', 'D'}},
        {"leading blank kept", " 23", {' ', '2', '3', ' '}},
        {"latin-1 letter", "\xC3\xA9", {'\xE9', ' ', ' ', ' '}},
        {"characters not bytes", "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F!", {'\xE4', '\xF6', '\xFC', '\xDF'}},
        {"euro has no single byte", "\u20AC1", {'?', '1', ' ', ' '}},
        {"emoji has no single byte", "\xF0\x9F\x98\x80x", {'?', 'x', ' ', ' '}},
        {"cut sequence", "\xE2\x82", {'?', ' ', ' ', ' '}},
        {"lead without continuation", "\xC3\x41", {'?', 'A', ' ', ' '}},
        {"overlong zero is no terminator", "\xC0\x80", {'?', '?', ' ', ' '}},
        {"stray continuation", "\x80\x42", {'?', 'B', ' ', ' '}},
    };
    for (const auto& c : cases) {
        FixedText<4> text;
        text.store(c.input);
        EXPECT_EQ(text.chars, c.stored) << c.name;
    }
    FixedText<8> period;
    period.store("300");
    EXPECT_EQ(std::string(period.chars.data(), 8), "300     ");
}

TEST(FixedText, ReadingStopsAtTheFirstZeroAndKeepsPadding) {
    struct Case {
        const char* name;
        Chars4 chars;
        std::string text;
    };
    const Case cases[] = {
        {"padding kept", {'2', '2', ' ', ' '}, "22  "},
        {"zero ends the text", {'A', 'B', 0, 0}, "AB"},
        {"never written", {0, 0, 0, 0}, ""},
        {"zero in the middle", {'A', 0, 'C', 'D'}, "A"},
        {"latin-1 as utf-8", {'\xE9', 'x', ' ', ' '}, "\xC3\xA9x  "},
    };
    for (const auto& c : cases) {
        FixedText<4> text;
        text.chars = c.chars;
        EXPECT_EQ(text.text(), c.text) << c.name;
    }
}

TEST(FixedText, EverySingleByteCharacterSurvivesReadAndStore) {
    for (int code = 1; code < 256; ++code) {
        FixedText<4> read;
        read.chars = {static_cast<char>(code), 'x', ' ', ' '};
        FixedText<4> stored;
        stored.store(read.text());
        ASSERT_EQ(stored, read) << "code " << code;
    }
}

TEST(ConverterSettingsRecord, BlankWhenTheTransmitModeFlagsAreEqual) {
    struct Case {
        std::int16_t imme;
        std::int16_t multi;
        bool blank;
    };
    const Case cases[] = {{0, 0, true},   {-1, -1, true}, {5, 5, true},
                          {-1, 0, false}, {0, -1, false}, {255, 0, false}};
    for (const auto& c : cases) {
        ConverterSettings r;
        r.CANTrImme1byte = c.imme;
        r.CANTrMultiByte = c.multi;
        EXPECT_EQ(IsBlankSettings(r), c.blank) << c.imme << "/" << c.multi;
    }
}

TEST(ConverterSettingsRecord, StartupDefaultsOfAZeroRecord) {
    ConverterSettings r;
    r.Reserved = 0x1234;
    FillStartupDefaults(r);
    // The defaults as the file holds them; Reserved is left alone.
    const std::vector<std::uint8_t> ints{0, 0, 0x34, 0x12, 3, 0, 5, 0,    0,    0, 0, 0,    0,    0, 0,
                                         0, 0, 0,    0,    0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
    const std::string texts =
        "22  03  0   0   ff  07  0   0   33  03  0   0   33  03  0   0   22  07  0   0   22  05  0   0   "
        "300     00  ";
    const auto slot = slotBytes(r);
    EXPECT_EQ(std::vector<std::uint8_t>(slot.begin(), slot.begin() + 30), ints);
    EXPECT_EQ(std::string(slot.begin() + 30, slot.begin() + 138), texts);
    EXPECT_FALSE(IsBlankSettings(r));
}

// Every property write that ApplySettings makes, in order, as the views hear of them.
std::vector<std::string> recordApplyOrder(Dialog& dialog, const ConverterSettings& record) {
    std::vector<std::string> order;
    for (Control* c : dialog.controls()) {
        c->addObserver([&order](Control& control, Property property) {
            const bool optionSelected =
                control.kind() == ControlKind::OptionButton && static_cast<OptionButton&>(control).value();
            const bool relevant = property == Property::ListIndex || property == Property::Text ||
                                  (property == Property::Value && control.kind() == ControlKind::CheckBox) ||
                                  (property == Property::Value && optionSelected);
            if (relevant) {
                order.push_back(control.objectName());
            }
        });
    }
    dialog.ApplySettings(record);
    return order;
}

TEST(ApplySettings, PutsTheFieldsIntoTheControlsInRecordOrder) {
    DialogFixture f;
    // Every value differs from the design state, so every write shows; extended types keep the
    // frame-type rules from writing texts of their own.
    ConverterSettings r;
    r.COM = 1;
    r.RS232BaudRate = 1;
    r.CANBaudRate = 1;
    r.CANtrFrmType = 1;
    r.CANRecFrmType = 1;
    r.InputFrmType = 1;
    r.OutputFrmType = 1;
    r.OutputProtection = 1;
    r.RS232RecID = 1;
    r.RS232TrID = 0;
    r.CANTrImme1byte = kTrue16;
    r.InputPeriodTr = kTrue16;
    for (IdTexts* row : {&r.CANTrID1, &r.CANMask1, &r.CANFilter1, &r.CANFilter2, &r.InputID1, &r.OutputID1}) {
        for (int i = 0; i < 4; ++i) {
            (*row)[static_cast<std::size_t>(i)].store("1" + std::to_string(i));
        }
    }
    r.PeriodmsCount.store("42");
    r.OutputProtectValue.store("5A");

    std::vector<std::string> expected{"CmbCOM",           "CmbRS232BaudRate",    "CmbCANBaudRate",
                                      "cmbCANtrFrmType",  "cmbCANRecFrmType",    "cmbInputFrmType",
                                      "cmbOutputFrmType", "chkOutputProtection", "ChkRS232RecID",
                                      "ChkRS232TrID",     "optCANTrImme1byte",   "optInputPeriodTr"};
    for (const char* row :
         {"txtCANTrID1", "txtCANMask1", "txtCANFilter1", "txtCANFilter2", "txtInputID1", "txtOutputID1"}) {
        for (int i = 0; i < 4; ++i) {
            expected.push_back(std::string(row) + "_" + std::to_string(i));
        }
    }
    expected.push_back("txtPeriodmsCount");
    expected.push_back("txtOutputProtectValue");

    EXPECT_EQ(recordApplyOrder(f.dialog, r), expected);
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_TRUE(f.dialog.optCANTrImme1byte.value());
    EXPECT_FALSE(f.dialog.optCANTrMultiByte.value());
    EXPECT_TRUE(f.dialog.optInputPeriodTr.value());
    EXPECT_FALSE(f.dialog.optInputChangeTr.value());
}

TEST(ApplySettings, AnyNonZeroOptionFieldSelectsAndZeroLeavesTheDesignSelection) {
    for (const std::int16_t stored : {kFalse16, kTrue16, std::int16_t{1}, std::int16_t{255}}) {
        DialogFixture f;
        ConverterSettings r = savedRecord();
        r.CANTrImme1byte = stored;
        r.InputPeriodTr = stored;
        // Fields 13 and 14 are never applied: even contradicting values change nothing.
        r.CANTrMultiByte = kFalse16;
        r.InputChangeTr = kFalse16;
        f.dialog.ApplySettings(r);
        EXPECT_EQ(f.dialog.optCANTrImme1byte.value(), stored != 0) << stored;
        EXPECT_EQ(f.dialog.optCANTrMultiByte.value(), stored == 0) << stored;
        EXPECT_EQ(f.dialog.optInputPeriodTr.value(), stored != 0) << stored;
        EXPECT_EQ(f.dialog.optInputChangeTr.value(), stored == 0) << stored;
    }
}

TEST(CaptureSettings, ReadsEveryControlAndLeavesReservedAlone) {
    DialogFixture f;
    ConverterSettings r;
    r.Reserved = 0x1234;
    // The design state: nothing selected, "Transmiting contains..." checked, design texts.
    f.dialog.CaptureSettings(r);
    for (std::int16_t listIndex : {r.COM, r.RS232BaudRate, r.CANBaudRate, r.CANtrFrmType, r.CANRecFrmType,
                                   r.InputFrmType, r.OutputFrmType}) {
        EXPECT_EQ(listIndex, -1);
    }
    EXPECT_EQ(r.Reserved, 0x1234);
    EXPECT_EQ(r.OutputProtection, 0);
    EXPECT_EQ(r.RS232RecID, 0);
    EXPECT_EQ(r.RS232TrID, 1);
    EXPECT_EQ(r.CANTrImme1byte, 0);
    EXPECT_EQ(r.CANTrMultiByte, -1);
    EXPECT_EQ(r.InputChangeTr, -1);
    EXPECT_EQ(r.InputPeriodTr, 0);
    EXPECT_EQ(r.InputID1[3].text(), " 23 ");
    EXPECT_EQ(r.CANTrID1[0].text(), "45  ");
    EXPECT_EQ(r.PeriodmsCount.text(), "500     ");

    // Grayed check boxes are stored as such; a long text that its first four characters would change is
    // stored as its value.
    ASSERT_TRUE(f.dialog.ChkRS232TrID.setValue(CheckBox::kGrayed));
    f.dialog.optCANTrImme1byte.setValue(true);
    f.dialog.optInputPeriodTr.setValue(true);
    f.dialog.txtOutputProtectValue.setText("000FF");
    f.dialog.txtCANFilter2[1].setText("1");
    f.dialog.CaptureSettings(r);
    EXPECT_EQ(r.RS232TrID, 2);
    EXPECT_EQ(r.CANTrImme1byte, -1);
    EXPECT_EQ(r.CANTrMultiByte, 0);
    EXPECT_EQ(r.InputChangeTr, 0);
    EXPECT_EQ(r.InputPeriodTr, -1);
    EXPECT_EQ(r.OutputProtectValue.text(), "FF  ");
    EXPECT_EQ(r.CANFilter2[1].text(), "1   ");
}

}  // namespace
}  // namespace veltara::test
