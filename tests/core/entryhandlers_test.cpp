// The entry handlers as the user types: the identifier boxes, the period count and the protection value.
#include <gtest/gtest.h>

#include "dialog/entryhandlers.h"
#include "dialog/identifierrows.h"
#include "fakes.h"

namespace veltara::test {
namespace {

// A row's boxes, values and frame type list in one dialog, through the dialog's own row table.
struct RowRef {
    TextBox* boxes;
    IdBytes& bytes;
    ComboBox& type;
};

RowRef rowOf(Dialog& d, IdRow row) {
    const IdentifierRowSpec& rowSpec = identifierRow(row);
    return {d.*rowSpec.boxes, d.*rowSpec.bytes, d.*rowSpec.frameType};
}

constexpr int kStandard = 0, kExtended = 1, kAll = 2, kNone = -1;

struct TypingCase {
    IdRow row;
    int frameType;
    int box;
    const char* typed;
    const char* message;  // nullptr: no message
    const char* boxAfter;
    int byteAfter;
    bool paste = false;  // the whole text in one write, as a paste does
};

void PrintTo(const TypingCase& c, std::ostream* os) {
    *os << '"' << c.typed << "\" into box " << c.box;
}

class IdentifierTyping : public ::testing::TestWithParam<TypingCase> {};

TEST_P(IdentifierTyping, KeystrokeByKeystroke) {
    const TypingCase& c = GetParam();
    DialogFixture f;
    f.start();
    RowRef r = rowOf(f.dialog, c.row);
    ASSERT_TRUE(r.type.setListIndex(c.frameType));
    r.boxes[c.box].setEnabled(true);  // typing reaches a box the frame type disabled only through the model
    f.messages.clear();
    if (c.paste) {
        r.boxes[c.box].setFocus();
        r.boxes[c.box].setText(c.typed);
    } else {
        f.typeInto(r.boxes[c.box], c.typed);
    }

    if (c.message) {
        ASSERT_EQ(f.messages.shown.size(), 1u) << "exactly one message per bad change";
        EXPECT_EQ(f.messages.shown[0].text, c.message);
        EXPECT_EQ(f.messages.shown[0].title, "Input Data Error");
        EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::None);
        EXPECT_EQ(r.boxes[c.box].selStart(), 0);
        EXPECT_EQ(r.boxes[c.box].selLength(), r.boxes[c.box].length());
        EXPECT_TRUE(r.boxes[c.box].hasFocus());
    } else {
        EXPECT_TRUE(f.messages.shown.empty()) << f.messages.shown[0].text;
    }
    EXPECT_EQ(r.boxes[c.box].text(), c.boxAfter);
    EXPECT_EQ(r.bytes[static_cast<std::size_t>(c.box)], c.byteAfter);
}

constexpr const char* kFF = "Please enter the hexcial digit (0 to FF)!";
constexpr const char* k7 = "Please enter the hexcial digit (0 to 7)!";
constexpr const char* k1F = "Please enter the hexcial digit (0 to 1F)!";

INSTANTIATE_TEST_SUITE_P(
    Rules, IdentifierTyping,
    ::testing::Values(TypingCase{IdRow::CANTrID1, kStandard, 1, "7", nullptr, "7", 7},
                      TypingCase{IdRow::CANTrID1, kStandard, 1, "8", k7, "0", 0},
                      TypingCase{IdRow::CANTrID1, kStandard, 1, "10", k7, "0", 0},  // 1 passes, 10 fails
                      TypingCase{IdRow::CANTrID1, kStandard, 1, "100", k7, "0",
                                 0},  // the last 0 replaces the selected reset text
                      TypingCase{IdRow::CANTrID1, kExtended, 3, "1F", nullptr, "1F", 0x1F},
                      TypingCase{IdRow::CANTrID1, kExtended, 3, "20", k1F, "0", 0},
                      TypingCase{IdRow::CANTrID1, kStandard, 3, "FF", nullptr, "FF",
                                 0xFF},  // only the frame-type rule limits it
                      TypingCase{IdRow::CANTrID1, kStandard, 0, "ff", nullptr, "ff", 0xFF},
                      TypingCase{IdRow::CANTrID1, kStandard, 0, "0FF", nullptr, "0FF", 0xFF},
                      TypingCase{IdRow::CANTrID1, kStandard, 0, "G", kFF, "0", 0, true},
                      TypingCase{IdRow::CANTrID1, kStandard, 0, "-", kFF, "0", 0, true},
                      TypingCase{IdRow::CANTrID1, kStandard, 0, "&H1", kFF, "0", 0, true},
                      TypingCase{IdRow::CANTrID1, kStandard, 0, "0x1", kFF, "0", 0, true},
                      TypingCase{IdRow::CANTrID1, kStandard, 0, "1 2", kFF, "0", 0, true},
                      TypingCase{IdRow::CANTrID1, kStandard, 0, " 5", nullptr, " 5", 5, true},
                      TypingCase{IdRow::CANMask1, kStandard, 1, "9", k7, " 0", 0},
                      TypingCase{IdRow::CANMask1, kStandard, 0, "Z", kFF, " 0", 0},
                      TypingCase{IdRow::CANMask1, kAll, 3, "FF", nullptr, "FF", 0xFF},
                      TypingCase{IdRow::CANMask1, kAll, 1, "FF", nullptr, "FF", 0xFF},
                      TypingCase{IdRow::CANFilter1, kExtended, 3, "FF", k1F, "0", 0},
                      TypingCase{IdRow::CANFilter2, kNone, 3, "FF", nullptr, "FF", 0xFF},
                      TypingCase{IdRow::InputID1, kStandard, 1, "8", k7, " 0", 0},
                      TypingCase{IdRow::InputID1, kStandard, 0, "x", kFF, " 0", 0},
                      TypingCase{IdRow::OutputID1, kStandard, 1, "8", k7, " 0", 0},
                      TypingCase{IdRow::OutputID1, kStandard, 0, "x", kFF, "0", 0},
                      TypingCase{IdRow::OutputID1, kExtended, 3, "3F", k1F, " 0", 0}));

TEST(IdentifierEntry, AboveFFAlwaysDrawsTheFFMessageEvenInBoxOne) {
    DialogFixture f;
    f.start();
    // Set the text in one write, as a paste does: 100 is above FF before it is above 7.
    f.dialog.txtCANTrID1[1].setText("100");
    ASSERT_EQ(f.messages.texts(), std::vector<std::string>{kFF});
    EXPECT_EQ(f.dialog.txtCANTrID1[1].text(), "0");
}

TEST(IdentifierEntry, DeletingTheLastCharacterDrawsTheFFMessage) {
    DialogFixture f;
    f.start();
    TextBox& box = f.dialog.txtCANTrID1[1];
    box.setFocus();
    box.setText("");
    ASSERT_EQ(f.messages.texts(), std::vector<std::string>{kFF});
    EXPECT_EQ(box.text(), "0");
    EXPECT_EQ(f.dialog.CANTrID1Bytes[1], 0);
}

TEST(IdentifierEntry, CorrectionRunsNestedChangeAndFocusesOnlyWhenShown) {
    DialogFixture f;
    f.dialog.Form_Load();  // not shown: a correction cannot move the focus
    f.messages.clear();
    // While the message box is "open" the bad text is still in the box and the element is already 0.
    std::vector<std::pair<std::string, int>> duringMessage;
    f.messages.whileOpen = [&](const Message&) {
        duringMessage.emplace_back(f.dialog.txtInputID1[0].text(), f.dialog.InputID1Bytes[0]);
    };
    f.dialog.txtInputID1[0].setText("zz");
    ASSERT_EQ(duringMessage.size(), 1u);
    EXPECT_EQ(duringMessage[0], std::make_pair(std::string("zz"), 0));
    EXPECT_EQ(f.dialog.txtInputID1[0].text(), " 0");
    EXPECT_EQ(f.dialog.focusedControl(), nullptr);
}

struct TidyCase {
    const char* before;
    const char* after;
};

TEST(IdentifierEntry, LostFocusTidiesWithoutChangingTheValue) {
    const TidyCase cases[] = {{" 5", "05"},   {"a", "0A"},    {"ff", "FF"},
                              {"0ff", "0FF"}, {"07  ", "07"}, {"  0", "00"}};
    for (const auto& c : cases) {
        DialogFixture f;
        f.start();
        TextBox& box = f.dialog.txtCANFilter1[0];
        box.setFocus();
        box.setText(c.before);
        const auto value = f.dialog.CANFilter1Bytes[0];
        f.dialog.userMovedFocus(&f.dialog.txtCANFilter1[1]);
        EXPECT_EQ(box.text(), c.after) << c.before;
        EXPECT_EQ(f.dialog.CANFilter1Bytes[0], value) << c.before;
        EXPECT_TRUE(f.messages.shown.empty()) << c.before;
    }
}

TEST(IdentifierEntry, OtherBoxesAndElementsAreUntouchedByACorrection) {
    DialogFixture f;
    f.start();
    const IdBytes before = f.dialog.OutputID1Bytes;
    const std::string box0 = f.dialog.txtOutputID1[0].text();
    f.dialog.txtOutputID1[1].setText("9");
    EXPECT_EQ(f.dialog.OutputID1Bytes[0], before[0]);
    EXPECT_EQ(f.dialog.OutputID1Bytes[1], 0);
    EXPECT_EQ(f.dialog.txtOutputID1[0].text(), box0);
}

constexpr const char* kPeriodMessage = "Please enter decimal number (1 to 65535)!";

struct PeriodCase {
    const char* text;  // set in one write, as a paste
    bool message;
    int value;
    const char* boxAfter;
};

TEST(PeriodCount, AcceptsOneTo65535AndCorrectsEverythingElse) {
    const PeriodCase cases[] = {{.text = "500", .message = false, .value = 500, .boxAfter = "500"},
                                {.text = "1", .message = false, .value = 1, .boxAfter = "1"},
                                {.text = "65535", .message = false, .value = 65535, .boxAfter = "65535"},
                                {.text = "  300  ", .message = false, .value = 300, .boxAfter = "  300  "},
                                {.text = "0065", .message = false, .value = 65, .boxAfter = "0065"},
                                {.text = "2.5", .message = false, .value = 2, .boxAfter = "2.5"},
                                {.text = "3.5", .message = false, .value = 4, .boxAfter = "3.5"},
                                {.text = "65536", .message = true, .value = 1, .boxAfter = "1"},
                                {.text = "0", .message = true, .value = 1, .boxAfter = "1"},
                                {.text = "-5", .message = true, .value = 1, .boxAfter = "1"},
                                {.text = "", .message = true, .value = 1, .boxAfter = "1"},
                                {.text = "abc", .message = true, .value = 1, .boxAfter = "1"},
                                {.text = "0.4", .message = true, .value = 1, .boxAfter = "1"},
                                {.text = "99999999999", .message = true, .value = 1, .boxAfter = "1"},
                                {.text = "1e3", .message = true, .value = 1, .boxAfter = "1"}};
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
    const Case cases[] = {{.separator = ".", .text = "2.5", .value = 2, .message = false},
                          {.separator = ".", .text = "1,000", .value = 1, .message = true},
                          {.separator = ",", .text = "3,5", .value = 4, .message = false},
                          {.separator = ",", .text = "1.000", .value = 1, .message = true},
                          {.separator = ",", .text = "2.5", .value = 1, .message = true},
                          {.separator = "\u066B", .text = "2\u066B5", .value = 2, .message = false},
                          {.separator = "\u066B", .text = "2.5", .value = 1, .message = true}};
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
    const ProtectCase cases[] = {{.text = "00", .message = false, .byte27 = 0, .boxAfter = "00"},
                                 {.text = "FF", .message = false, .byte27 = 255, .boxAfter = "FF"},
                                 {.text = "ff", .message = false, .byte27 = 255, .boxAfter = "ff"},
                                 {.text = "7", .message = false, .byte27 = 7, .boxAfter = "7"},
                                 {.text = " 5A ", .message = false, .byte27 = 0x5A, .boxAfter = " 5A "},
                                 {.text = "100", .message = true, .byte27 = 0, .boxAfter = "0"},
                                 {.text = "G", .message = true, .byte27 = 0, .boxAfter = "0"},
                                 {.text = "", .message = true, .byte27 = 0, .boxAfter = "0"}};
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
