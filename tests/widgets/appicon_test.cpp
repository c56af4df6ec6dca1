#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QSet>

#include "widgets/appicon.h"

namespace veltara::test {
namespace {

TEST(AppIcon, HasBothSizesInSixteenColoursAtMost) {
    const QIcon icon = qt::applicationIcon();
    for (int size : {16, 32}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        QSet<QRgb> colours;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                if (qAlpha(image.pixel(x, y)) == 255) {
                    colours.insert(image.pixel(x, y));
                }
            }
        }
        EXPECT_LE(colours.size(), 16);
        EXPECT_GE(colours.size(), 4);
    }
}

}  // namespace
}  // namespace veltara::test
