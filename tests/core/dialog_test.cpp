// The dialog as a view model: its controls before Form_Load, their order and lists, and what views
// and the focus see of them.
#include <gtest/gtest.h>

#include <set>

#include "fakes.h"

namespace veltara::test {
namespace {

TEST(Dialog, DesignTimeStateBeforeLoad) {
    DialogFixture f;
    Dialog& d = f.dialog;
    for (const Control* c : d.controls()) {
        EXPECT_TRUE(c->enabled()) << c->objectName();
        if (c->kind() == ControlKind::ComboBox) {
            EXPECT_EQ(static_cast<const ComboBox*>(c)->listIndex(), -1) << c->objectName();
        }
    }
    EXPECT_EQ(d.txtInputID1[3].text(), " 23");
    EXPECT_EQ(d.txtCANTrID1[0].text(), "45");
    EXPECT_EQ(d.txtCANTrID1[3].text(), "33");
    EXPECT_EQ(d.txtPeriodmsCount.text(), "500");
    EXPECT_EQ(d.ChkRS232TrID.value(), 1);
    EXPECT_TRUE(d.optCANTrMultiByte.value());
    EXPECT_TRUE(d.optInputChangeTr.value());
    EXPECT_EQ(d.PeriodmsCountValue, 0);
    EXPECT_EQ(d.ConfigFrameBytes, ConfigFrame{});
    EXPECT_EQ(d.CANTrID1Bytes, IdBytes{});
}

TEST(Dialog, TabIndicesRunWithoutGapsAndRowsReadLeftToRight) {
    DialogFixture f;
    std::set<int> tabs;
    std::set<std::string> names;
    for (const Control* c : f.dialog.controls()) {
        tabs.insert(c->tabIndex());
        EXPECT_TRUE(names.insert(c->objectName()).second) << "duplicate " << c->objectName();
    }
    EXPECT_EQ(tabs.size(), 69u);
    EXPECT_EQ(*tabs.begin(), 0);
    EXPECT_EQ(*tabs.rbegin(), 68);
    EXPECT_EQ(f.dialog.controls().front(), &f.dialog.btnProgramConfig);
    for (TextBox* row : {f.dialog.txtCANTrID1, f.dialog.txtCANMask1, f.dialog.txtCANFilter1,
                         f.dialog.txtCANFilter2, f.dialog.txtInputID1, f.dialog.txtOutputID1}) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_GT(row[i].geometry().left, row[i + 1].geometry().left) << row[i].objectName();
            EXPECT_GT(row[i].tabIndex(), row[i + 1].tabIndex()) << row[i].objectName();
        }
    }
    EXPECT_EQ(f.dialog.findControl("txtCANTrID1_0"), &f.dialog.txtCANTrID1[0]);
    EXPECT_EQ(f.dialog.findControl("Frame6"), &f.dialog.Frame6);
}

TEST(Dialog, ListsHoldTheirFixedItems) {
    DialogFixture f;
    EXPECT_EQ(f.dialog.cmbCANRecFrmType.items(), (std::vector<std::string>{"Standard", "Extended", "All"}));
    EXPECT_EQ(f.dialog.cmbInputFrmType.items().size(), 2u);
    const auto& rates = f.dialog.CmbRS232BaudRate.items();
    ASSERT_EQ(rates.size(), 8u);
    EXPECT_EQ(rates[4], "19200");
    EXPECT_EQ(rates[5], "57600");
    ASSERT_TRUE(f.dialog.cmbCANRecFrmType.setListIndex(2));
    EXPECT_EQ(f.dialog.cmbCANRecFrmType.text(), "All");
}

TEST(Dialog, ViewsHearWritesAfterTheValueIsStored) {
    DialogFixture f;
    std::vector<std::pair<std::string, Property>> heard;
    f.dialog.txtCANTrID1[1].addObserver(
        [&](Control& c, Property p) { heard.emplace_back(static_cast<TextBox&>(c).text(), p); });
    f.dialog.txtCANTrID1[1].setText("5");
    f.dialog.txtCANTrID1[1].setEnabled(false);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0], std::make_pair(std::string("5"), Property::Text));
    EXPECT_EQ(heard[1].second, Property::Enabled);
}

TEST(Dialog, FocusOnlyWhenShownAndEnabledAndLostFocusOnMove) {
    DialogFixture f;
    Dialog& d = f.dialog;
    EXPECT_FALSE(d.txtCANTrID1[0].setFocus()) << "the dialog is not shown yet";
    d.setShown(true);
    d.txtCANTrID1[0].setText(" 5");
    ASSERT_TRUE(d.txtCANTrID1[0].setFocus());
    EXPECT_TRUE(d.txtCANTrID1[0].hasFocus());
    EXPECT_FALSE(d.Label3.setFocus());
    d.txtCANTrID1[1].setEnabled(false);
    EXPECT_FALSE(d.txtCANTrID1[1].setFocus());
    EXPECT_EQ(d.txtCANTrID1[0].text(), " 5") << "a refused focus move is no LostFocus";
    d.userMovedFocus(&d.btnDefaultConfig);
    EXPECT_EQ(d.txtCANTrID1[0].text(), "05");
    EXPECT_EQ(d.focusedControl(), &d.btnDefaultConfig);
    // Disabling the focused box passes the focus to the next box that can take it (box 1 cannot),
    // without LostFocus: a change of Enabled raises no notification.
    d.txtCANTrID1[2].setText("5");
    ASSERT_TRUE(d.txtCANTrID1[2].setFocus());
    d.txtCANTrID1[2].setEnabled(false);
    EXPECT_EQ(d.txtCANTrID1[2].text(), "5");
    EXPECT_EQ(d.focusedControl(), &d.txtCANTrID1[0]);
}

}  // namespace
}  // namespace veltara::test
