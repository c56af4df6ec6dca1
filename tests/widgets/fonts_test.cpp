#include <gtest/gtest.h>

#include <QFontInfo>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "widgets/captionfit.h"
#include "windowsession.h"

namespace veltara::test {
namespace {

std::set<QString> clippedWidgets(const QWidget& window) {
    std::set<QString> names;
    for (const qt::ClippedText& c : qt::clippedTexts(window)) {
        names.insert(c.widget);
    }
    return names;
}

// Run by ctest with the machine's fonts, with fontconfig offering DejaVu alone (with and without its
// condensed face), and at twice the scale: whatever face the window resolved shows every text whole.
TEST(WindowFonts, EveryCaptionAndListItemShowsWholeInTheResolvedFont) {
    WindowSession s;
    s.start();
    const QFontInfo resolved(s.window.font());
    std::printf("[ font     ] %s %s %.2f pt\n", qPrintable(resolved.family()),
                qPrintable(resolved.styleName()), resolved.pointSizeF());
    for (const qt::ClippedText& c : qt::clippedTexts(s.window)) {
        ADD_FAILURE() << c.widget.toStdString() << " cuts \"" << c.text.toStdString() << "\" in "
                      << resolved.family().toStdString() << " " << resolved.pointSizeF() << " pt";
    }
    // Only a text that would be cut is smaller, and only as much as it must be; the title and "Notes:"
    // keep the sizes they were laid out with.
    EXPECT_EQ(resolved.pointSizeF(), 8.25);
    const std::map<QString, double> ownSizes{{"Label3", 12.0}, {"Label20", 8.25}};
    for (QWidget* w : s.window.findChildren<QWidget*>()) {
        const auto own = ownSizes.find(w->objectName());
        const double designed = own == ownSizes.end() ? 8.25 : own->second;
        const QFontInfo font(w->font());
        // Unnamed parts of a control (a list's view) take its font.
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_") ||
            font.pointSizeF() >= designed - 0.01) {
            continue;
        }
        EXPECT_GE(font.pointSizeF(), 6.0) << w->objectName().toStdString() << ": too small to read";
        QFont larger = w->font();
        larger.setPixelSize(font.pixelSize() + 1);
        w->setFont(larger);
        EXPECT_FALSE(qt::clippedTextsOf(*w).empty())
            << w->objectName().toStdString() << " was made smaller than it had to be";
    }
}

// The measure sees each way a text gets cut, so the test above cannot pass by looking away.
TEST(WindowFonts, EachWayOfCuttingATextIsSeen) {
    struct Case {
        const char* name;
        std::function<void(WindowSession&)> spoil;
        std::set<QString> cut;  // among those reported
    };
    const Case cases[] = {
        {"a much larger face: labels wrap, items and captions run out of their rooms",
         [](WindowSession& s) {
             for (QWidget* w : s.window.findChildren<QWidget*>()) {
                 QFont large = w->font();
                 large.setPointSizeF(large.pointSizeF() * 1.6);
                 w->setFont(large);
             }
         },
         {"Label12", "Label19", "cmbInputFrmType", "ChkRS232TrID", "optInputChangeTr", "btnProgramConfig"}},
        {"a box moved over a label's text",
         [](WindowSession& s) {
             s.widget("txtOutputID1_3")->move(s.widget("Label16")->pos() + QPoint(40, 0));
         },
         {"Label16"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowSession s;
        s.start();
        ASSERT_TRUE(clippedWidgets(s.window).empty());
        c.spoil(s);
        const std::set<QString> cut = clippedWidgets(s.window);
        for (const QString& name : c.cut) {
            EXPECT_TRUE(cut.count(name)) << name.toStdString();
        }
    }
}

}  // namespace
}  // namespace veltara::test
