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
    const ListCase listCases[] = {{.index = 1, .accepted = true, .clicksAfter = 1, .listIndexAfter = 1},
                                  {.index = 1, .accepted = true, .clicksAfter = 2, .listIndexAfter = 1},
                                  {.index = -1, .accepted = true, .clicksAfter = 3, .listIndexAfter = -1},
                                  {.index = 2, .accepted = false, .clicksAfter = 3, .listIndexAfter = -1},
                                  {.index = -2, .accepted = false, .clicksAfter = 3, .listIndexAfter = -1},
                                  {.index = 0, .accepted = true, .clicksAfter = 4, .listIndexAfter = 0}};
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
    const CheckCase checkCases[] = {{.value = 1, .accepted = true, .clicksAfter = 1, .valueAfter = 1},
                                    {.value = 1, .accepted = true, .clicksAfter = 1, .valueAfter = 1},
                                    {.value = 2, .accepted = true, .clicksAfter = 2, .valueAfter = 2},
                                    {.value = 3, .accepted = false, .clicksAfter = 2, .valueAfter = 2},
                                    {.value = -1, .accepted = false, .clicksAfter = 2, .valueAfter = 2},
                                    {.value = 0, .accepted = true, .clicksAfter = 3, .valueAfter = 0}};
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
