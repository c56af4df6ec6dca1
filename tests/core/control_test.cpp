// The controls on their own, outside a dialog: which writes they accept and what they raise.
#include <gtest/gtest.h>

#include "fakes.h"

namespace veltara::test {
namespace {

TEST(Control, WritesRaiseTheirNotificationsSynchronously) {
    int clicks = 0;
    ComboBox combo;
    combo.initItems({"a", "b"});
    combo.onClick = [&] { ++clicks; };
    struct ListCase {
        int index;
        bool accepted;
        int clicksAfter;
        int listIndexAfter;
    };
    const ListCase listCases[] = {{1, true, 1, 1},   {1, true, 2, 1},    {-1, true, 3, -1},
                                  {2, false, 3, -1}, {-2, false, 3, -1}, {0, true, 4, 0}};
    for (const auto& c : listCases) {
        EXPECT_EQ(combo.setListIndex(c.index).ok(), c.accepted) << c.index;
        EXPECT_EQ(clicks, c.clicksAfter) << c.index;
        EXPECT_EQ(combo.listIndex(), c.listIndexAfter) << c.index;
    }

    int checkClicks = 0;
    CheckBox check;
    check.onClick = [&] { ++checkClicks; };
    struct CheckCase {
        int value;
        bool accepted;
        int clicksAfter;
        int valueAfter;
    };
    const CheckCase checkCases[] = {{1, true, 1, 1},  {1, true, 1, 1},   {2, true, 2, 2},
                                    {3, false, 2, 2}, {-1, false, 2, 2}, {0, true, 3, 0}};
    for (const auto& c : checkCases) {
        EXPECT_EQ(check.setValue(c.value).ok(), c.accepted) << c.value;
        EXPECT_EQ(checkClicks, c.clicksAfter) << c.value;
        EXPECT_EQ(check.value(), c.valueAfter) << c.value;
    }
}

TEST(Control, OptionGroupAndTextChange) {
    OptionButton a, b;
    a.setGroup({&b});
    b.setGroup({&a});
    b.initValue(true);
    int aClicks = 0, bClicks = 0;
    a.onClick = [&] { ++aClicks; };
    b.onClick = [&] { ++bClicks; };
    a.setValue(true);
    EXPECT_TRUE(a.value());
    EXPECT_FALSE(b.value());
    EXPECT_EQ(aClicks, 1);
    a.setValue(false);  // raises nothing and leaves the partner alone
    EXPECT_FALSE(a.value());
    EXPECT_FALSE(b.value());
    EXPECT_EQ(aClicks, 1);
    EXPECT_EQ(bClicks, 0);

    TextBox box;
    std::vector<std::string> seen;
    box.onChange = [&] { seen.push_back(box.text()); };
    box.setText("1");
    box.setText("1");
    box.setText("12");
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "12"}));
}

}  // namespace
}  // namespace veltara::test
