#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <map>

#include "windowsession.h"

namespace veltara::test {
namespace {

const std::map<ControlKind, const char*> kWidgetClass{{ControlKind::Label, "QLabel"},
                                                      {ControlKind::Frame, "QGroupBox"},
                                                      {ControlKind::TextBox, "QLineEdit"},
                                                      {ControlKind::CheckBox, "QCheckBox"},
                                                      {ControlKind::OptionButton, "QRadioButton"},
                                                      {ControlKind::ComboBox, "QComboBox"},
                                                      {ControlKind::CommandButton, "QPushButton"}};

QString shownCaption(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return label->text();
    }
    if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        return frame->title();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return button->text();
    }
    return {};
}

TEST(WindowLayout, EveryControlIsAWidgetOfItsKindWhereTheModelPlacesIt) {
    WindowSession s;
    for (const Control* c : s.dialog.controls()) {
        SCOPED_TRACE(c->objectName());
        QWidget* w = s.widget(c->objectName().c_str());
        ASSERT_NE(w, nullptr);
        EXPECT_STREQ(w->metaObject()->className(), kWidgetClass.at(c->kind()));
        const Geometry& g = c->geometry();
        EXPECT_EQ(w->geometry(), QRect(g.left / 15, g.top / 15, g.width / 15, g.height / 15));
        const QWidget* container =
            c->container() ? s.widget(c->container()->objectName().c_str()) : &s.window;
        EXPECT_EQ(w->parentWidget(), container);
        EXPECT_EQ(shownCaption(w), QString::fromStdString(c->caption()));
        EXPECT_EQ(w->focusPolicy() == Qt::NoFocus, !c->takesFocus());
        if (c->takesFocus()) {
            EXPECT_FALSE(w->accessibleName().isEmpty());
        }
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            const auto& items = static_cast<const ComboBox*>(c)->items();
            ASSERT_EQ(combo->count(), static_cast<int>(items.size()));
            for (int i = 0; i < combo->count(); ++i) {
                EXPECT_EQ(combo->itemText(i).toStdString(), items[static_cast<std::size_t>(i)]);
            }
        }
        const Appearance& look = c->appearance();
        if (c->kind() == ControlKind::Label || c->kind() == ControlKind::Frame) {
            EXPECT_EQ(w->palette().color(QPalette::Window) == QColor(255, 255, 192), look.yellowBackground);
            EXPECT_TRUE(w->autoFillBackground());
        }
        EXPECT_EQ(w->font().bold(), look.bold);
        EXPECT_EQ(w->palette().color(QPalette::WindowText) == QColor(255, 0, 0), look.redText);
        if (look.pointSize > 0) {
            // In proportion to the dialog's font, which may be made smaller than 8.25 points to fit.
            EXPECT_NEAR(w->font().pointSizeF(), look.pointSize * s.window.font().pointSizeF() / 8.25, 0.01);
        }
    }
    // Spot checks in pixels, so a wrong scale cannot hide behind the model's own numbers.
    EXPECT_EQ(s.widget("txtCANTrID1_0")->geometry(), QRect(232, 72, 33, 19));
    EXPECT_EQ(s.widget("Frame6")->geometry(), QRect(24, 192, 305, 129));
    EXPECT_EQ(s.edit("txtInputID1_3")->accessibleName(), "Input Frame ID, byte 3");
}

// Sampled from what each control paints, where nothing is drawn over its background: the frames inside,
// clear of their controls; the others in a corner, clear of their captions.
TEST(WindowLayout, EveryControlPaintsTheColourItIsGiven) {
    WindowSession s;
    s.start();
    const std::string yellow = QColor(255, 255, 192).name().toStdString();
    const std::string dialogColour = QApplication::palette().color(QPalette::Window).name().toStdString();
    EXPECT_EQ(s.window.grab().toImage().pixelColor(2, 2).name().toStdString(), dialogColour);
    for (const Control* c : s.dialog.controls()) {
        SCOPED_TRACE(c->objectName());
        QWidget* w = s.widget(c->objectName().c_str());
        const QImage painted = w->grab().toImage();
        QPoint background(w->width() - 2, w->height() - 2);
        if (c->kind() == ControlKind::Frame) {
            background = {6, w->height() - 6};
            ASSERT_EQ(w->childAt(background), nullptr);
        } else if (c->kind() == ControlKind::TextBox) {
            background = {w->width() - 4, w->height() / 2};
        }
        const std::string sampled =
            painted.pixelColor(background * painted.devicePixelRatio()).name().toStdString();
        switch (c->kind()) {
            case ControlKind::TextBox:
                if (w->isEnabled()) {
                    EXPECT_EQ(sampled, w->palette().color(QPalette::Base).name().toStdString());
                }
                [[fallthrough]];
            case ControlKind::ComboBox:
            case ControlKind::CommandButton:
                EXPECT_NE(sampled, yellow) << "an input or button keeps the platform's colour";
                break;
            default:
                EXPECT_EQ(sampled, c->appearance().yellowBackground ? yellow : dialogColour);
        }
    }
}

TEST(WindowLayout, FocusTravelsThroughTheFocusableControlsInTabOrder) {
    WindowSession s;
    std::vector<std::string> expected, chain;
    for (const Control* c : s.dialog.controls()) {
        if (c->takesFocus()) {
            expected.push_back(c->objectName());
        }
    }
    // The chain Tab follows (disabled widgets are skipped as they come).
    for (QWidget* w = s.window.nextInFocusChain(); w != &s.window; w = w->nextInFocusChain()) {
        if (w->focusPolicy() != Qt::NoFocus) {
            chain.push_back(w->objectName().toStdString());
        }
    }
    EXPECT_EQ(chain, expected);
    s.start();
    EXPECT_EQ(QApplication::focusWidget(), s.widget("btnProgramConfig"));
    s.press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), s.widget("btnDefaultConfig"));
}

TEST(WindowLayout, TheWindowIsAFixedDialogWithoutDefaultButtons) {
    WindowSession s;
    EXPECT_EQ(s.window.windowTitle(), "RS232-CAN BUS Configuration");
    EXPECT_EQ(s.window.minimumSize(), QSize(780, 596));
    EXPECT_EQ(s.window.maximumSize(), QSize(780, 596));
    const Qt::WindowFlags flags = s.window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    for (const char* name : {"btnProgramConfig", "btnDefaultConfig"}) {
        auto* button = qobject_cast<QPushButton*>(s.widget(name));
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << name;
    }
    EXPECT_NE(s.widget("Frame5")->palette().color(QPalette::Window), QColor(255, 255, 192));
}

}  // namespace
}  // namespace veltara::test
