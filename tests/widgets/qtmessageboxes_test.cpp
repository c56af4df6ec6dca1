#include <gtest/gtest.h>

#include "widgets/qtmessageboxes.h"
#include "windowsession.h"

namespace veltara::test {
namespace {

TEST(QtMessageBoxes, ShowTheTitleTextAndIconWithOneOkButton) {
    const Message messages[] = {
        {"Configuration fails!", "Config confirmation", MessageIcon::Information},
        {"Com Port fails to open, try another com port", "Veltara", MessageIcon::None}};
    qt::QtMessageBoxes boxes;
    MessageBoxCloser user;
    for (const Message& m : messages) {
        boxes.show(m);
    }
    ASSERT_EQ(user.seen.size(), 2u);
    EXPECT_EQ(user.seen[0].icon, QMessageBox::Information);
    EXPECT_EQ(user.seen[0].title, "Config confirmation");
    EXPECT_EQ(user.seen[1].icon, QMessageBox::NoIcon);
    EXPECT_EQ(user.seen[1].text, "Com Port fails to open, try another com port");
    EXPECT_EQ(user.seen[1].buttons, 1);
}

}  // namespace
}  // namespace veltara::test
