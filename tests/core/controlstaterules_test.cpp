#include <gtest/gtest.h>

#include "fakes.h"

namespace veltara::test {
namespace {

std::vector<std::string> texts(const TextBox* boxes) {
    return {boxes[0].text(), boxes[1].text(), boxes[2].text(), boxes[3].text()};
}

std::vector<bool> enabled(const TextBox* boxes) {
    return {boxes[0].enabled(), boxes[1].enabled(), boxes[2].enabled(), boxes[3].enabled()};
}

// Starts the dialog with a receive/transmit row made extended and filled with the given texts.
struct RuleFixture : DialogFixture {
    RuleFixture() { start(); }
    void fill(ComboBox& type, TextBox* boxes, std::array<const char*, 4> values) {
        ASSERT_TRUE(type.setListIndex(1));
        for (int i = 0; i < 4; ++i) {
            boxes[i].setText(values[static_cast<std::size_t>(i)]);
        }
        ASSERT_TRUE(messages.shown.empty());
    }
};

struct ReductionCase {
    const char* box1;
    const char* box1After;
    int element1After;
};

TEST(StandardReduction, TwoWayRowsKeepBoxOneUpToSixAndCapSevenAndAbove) {
    const ReductionCase cases[] = {
        {"05", "05", 5}, {"6", "6", 6}, {"07", "7", 7}, {"FF", "7", 7}, {" 0", " 0", 0}};
    for (const auto& c : cases) {
        RuleFixture f;
        f.fill(f.dialog.cmbInputFrmType, f.dialog.txtInputID1, {"12", c.box1, "AB", "1F"});
        ASSERT_TRUE(f.dialog.cmbInputFrmType.setListIndex(0));
        EXPECT_EQ(texts(f.dialog.txtInputID1), (std::vector<std::string>{"12", c.box1After, "0", "0"}))
            << c.box1;
        EXPECT_EQ(f.dialog.InputID1Bytes, (IdBytes{0x12, static_cast<std::uint8_t>(c.element1After), 0, 0}));
        EXPECT_EQ(enabled(f.dialog.txtInputID1), (std::vector<bool>{true, true, false, false}));
        EXPECT_TRUE(f.messages.shown.empty()) << c.box1;
    }
}

TEST(StandardReduction, AnUnconvertibleBoxOneCountsAsZero) {
    RuleFixture f;
    // Only reachable when box 1 bypasses its rule; the reduction must neither fail nor write "7".
    f.dialog.txtOutputID1[1].onChange = nullptr;
    f.dialog.txtOutputID1[1].setText("zz");
    ASSERT_TRUE(f.dialog.cmbOutputFrmType.setListIndex(0));
    EXPECT_EQ(f.dialog.txtOutputID1[1].text(), "zz");
    EXPECT_EQ(f.dialog.txtOutputID1[2].text(), "0");
}

TEST(FrameTypeRules, ExtendedOrNoneEnablesWithoutChangingTexts) {
    for (int type : {1, -1}) {
        RuleFixture f;
        ASSERT_TRUE(f.dialog.cmbCANtrFrmType.setListIndex(0));
        const IdBytes bytes = f.dialog.CANTrID1Bytes;
        ASSERT_TRUE(f.dialog.cmbCANtrFrmType.setListIndex(type));
        EXPECT_EQ(texts(f.dialog.txtCANTrID1)[2], "0");
        EXPECT_EQ(texts(f.dialog.txtCANTrID1)[3], "0");
        EXPECT_EQ(f.dialog.CANTrID1Bytes, bytes);
        EXPECT_EQ(enabled(f.dialog.txtCANTrID1), (std::vector<bool>{true, true, true, true})) << type;
    }
}

TEST(ReceiveRule, AllDisablesTwelveUnchangedThenStandardReducesMaskFirst) {
    RuleFixture f;
    f.fill(f.dialog.cmbCANRecFrmType, f.dialog.txtCANMask1, {"FF", "FF", "FF", "1F"});
    ASSERT_TRUE(f.dialog.cmbCANRecFrmType.setListIndex(2));
    for (TextBox* row : {f.dialog.txtCANMask1, f.dialog.txtCANFilter1, f.dialog.txtCANFilter2}) {
        EXPECT_EQ(enabled(row), (std::vector<bool>{false, false, false, false}));
    }
    EXPECT_EQ(texts(f.dialog.txtCANMask1), (std::vector<std::string>{"FF", "FF", "FF", "1F"}));
    // Under "All" box 3 takes any byte; "Extended" afterwards does not re-check it.
    f.dialog.txtCANMask1[3].setText("FF");
    ASSERT_TRUE(f.dialog.cmbCANRecFrmType.setListIndex(1));
    EXPECT_EQ(f.dialog.CANMask1Bytes[3], 0xFF);
    EXPECT_TRUE(f.messages.shown.empty());

    std::vector<std::string> order;
    for (TextBox* row : {f.dialog.txtCANMask1, f.dialog.txtCANFilter1, f.dialog.txtCANFilter2}) {
        row[2].addObserver([&order, row, &f](Control& c, Property p) {
            if (p == Property::Text) {
                order.push_back(c.name());
            }
            // Every row is reduced before any Enabled state changes.
            EXPECT_TRUE(p != Property::Enabled || f.dialog.txtCANFilter2[2].text() == "0") << row->name();
        });
    }
    ASSERT_TRUE(f.dialog.cmbCANRecFrmType.setListIndex(0));
    EXPECT_EQ(order, (std::vector<std::string>{"txtCANMask1", "txtCANFilter1", "txtCANFilter2"}));
    EXPECT_EQ(texts(f.dialog.txtCANMask1), (std::vector<std::string>{"FF", "7", "0", "0"}));
    EXPECT_EQ(f.dialog.CANMask1Bytes, (IdBytes{0xFF, 7, 0, 0}));
    for (TextBox* row : {f.dialog.txtCANMask1, f.dialog.txtCANFilter1, f.dialog.txtCANFilter2}) {
        EXPECT_EQ(enabled(row), (std::vector<bool>{true, true, false, false}));
    }
}

TEST(CheckAndOptionRules, EnableTheirDependents) {
    RuleFixture f;
    Dialog& d = f.dialog;
    const std::vector<Control*> transmitGroup{&d.cmbCANtrFrmType,  &d.Label5,         &d.Label6,
                                              &d.Label7,           &d.txtCANTrID1[0], &d.txtCANTrID1[1],
                                              &d.txtCANTrID1[2],   &d.txtCANTrID1[3], &d.optCANTrImme1byte,
                                              &d.optCANTrMultiByte};
    // Only a checked box disables the group; greyed (2) is not checked. Boxes 2 and 3 come back too.
    for (const auto& [value, enabled] : {std::pair{1, false}, {2, true}, {1, false}, {0, true}}) {
        ASSERT_TRUE(d.ChkRS232RecID.setValue(value));
        for (Control* c : transmitGroup) {
            EXPECT_EQ(c->enabled(), enabled) << c->objectName() << " with the box at " << value;
        }
        EXPECT_TRUE(d.Frame5.enabled());
    }

    d.txtOutputProtectValue.setText("5A");
    ASSERT_TRUE(d.chkOutputProtection.setValue(1));
    EXPECT_TRUE(d.txtOutputProtectValue.enabled());
    ASSERT_TRUE(d.chkOutputProtection.setValue(0));
    EXPECT_FALSE(d.txtOutputProtectValue.enabled());
    EXPECT_EQ(d.txtOutputProtectValue.text(), "5A");

    d.optInputPeriodTr.setValue(true);
    EXPECT_TRUE(d.txtPeriodmsCount.enabled());
    d.optInputChangeTr.setValue(true);
    EXPECT_FALSE(d.txtPeriodmsCount.enabled());
}

}  // namespace
}  // namespace veltara::test
