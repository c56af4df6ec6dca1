#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "platform/recordfile.h"
#include "startupstate.h"
#include "widgets/qtmessageboxes.h"
#include "windowsession.h"

namespace veltara::test {
namespace {

bool isChecked(const WindowSession& s, const char* name) {
    return qobject_cast<QAbstractButton*>(s.widget(name))->isChecked();
}

// Opens the list with a click, walks to the item with the arrow keys and takes it with Return.
void pick(QComboBox* combo, const QString& item) {
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(list->isVisible());
    QTest::keyClick(list, Qt::Key_Home);
    while (list->currentIndex().data().toString() != item) {
        QTest::keyClick(list, Qt::Key_Down);
    }
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_FALSE(list->isVisible());
}

TEST(Window, FirstStartWithoutSettingsFileShowsTheStartupStateAndClosingSavesIt) {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    {
        platform::RecordFile file("quorvel.ini");
        WindowSession s({.file = &file});
        s.start();
        EXPECT_TRUE(s.messages.shown.empty());
        for (const StartupControl& expected : kStartupState) {
            QWidget* widget = s.widget(expected.name);
            if (widget == nullptr) {
                continue;  // widget() has said which
            }
            QString text;
            bool checked = false;
            if (const auto* combo = qobject_cast<QComboBox*>(widget)) {
                text = combo->currentText();
            } else if (const auto* edit = qobject_cast<QLineEdit*>(widget)) {
                text = edit->text();
            } else if (const auto* button = qobject_cast<QAbstractButton*>(widget)) {
                checked = button->isChecked();
            }
            EXPECT_EQ(text.toStdString(), expected.text) << expected.name;
            EXPECT_EQ(checked, expected.checked) << expected.name;
            EXPECT_EQ(widget->isEnabled(), expected.enabled) << expected.name;
        }
        s.window.close();
        EXPECT_TRUE(s.window.isUnloaded());
        EXPECT_EQ(QFileInfo(dir.filePath("quorvel.ini")).size(), 246);
    }
    QDir::setCurrent(previous);
}

TEST(Window, ABadByteIsCorrectedOnceThenSelectedAndFocused) {
    qt::QtMessageBoxes boxes;
    WindowSession s({.messages = &boxes});
    boxes.setWindow(&s.window);
    s.start();
    MessageBoxCloser user;
    s.typeInto("txtCANTrID1_1", "8");
    ASSERT_EQ(user.seen.size(), 1u);
    EXPECT_EQ(user.seen[0].text, "Please enter the hexcial digit (0 to 7)!");
    EXPECT_EQ(user.seen[0].title, "Input Data Error");
    EXPECT_EQ(user.seen[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(user.seen[0].buttons, 1);
    // The window system hands the activation back when the box closes; offscreen, the test does.
    QApplication::setActiveWindow(&s.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s.window));
    QLineEdit* box = s.edit("txtCANTrID1_1");
    // "0" and not "00": the message box taking the focus was no LostFocus.
    EXPECT_EQ(box->text(), "0");
    EXPECT_EQ(box->selectedText(), "0");
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_EQ(s.dialog.CANTrID1Bytes[1], 0);
    QTest::keyClicks(box, "5");
    EXPECT_EQ(box->text(), "5");
    EXPECT_EQ(s.dialog.CANTrID1Bytes[1], 5);
    EXPECT_EQ(user.seen.size(), 1u);
}

TEST(Window, LeavingABoxByTabOrClickTidiesIt) {
    struct Case {
        const char* box;
        const char* typed;
        const char* tidied;
        bool byClick;
    };
    const Case cases[] = {
        {.box = "txtCANMask1_0", .typed = "a", .tidied = "0A", .byClick = false},
        {.box = "txtCANFilter1_0", .typed = "ff", .tidied = "FF", .byClick = true},
        {.box = "txtOutputID1_0", .typed = "0ff", .tidied = "0FF", .byClick = false},
        {.box = "txtPeriodmsCount", .typed = "7 ", .tidied = "7 ", .byClick = false}};  // no LostFocus rule
    WindowSession s;
    s.start();
    s.dialog.txtPeriodmsCount.setEnabled(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        s.typeInto(c.box, c.typed);
        EXPECT_EQ(s.edit(c.box)->text(), c.typed);
        if (c.byClick) {
            QTest::mouseClick(s.widget("txtInputID1_0"), Qt::LeftButton);
        } else {
            s.press(Qt::Key_Tab);
        }
        EXPECT_EQ(s.edit(c.box)->text(), c.tidied);
    }
    EXPECT_TRUE(s.messages.shown.empty());
}

TEST(Window, FrameTypesCheckBoxesAndOptionsEnableAndDisableTheirBoxes) {
    struct Case {
        const char* control;
        const char* item;  // picked from the list; a button is clicked instead
        std::vector<const char*> enabled, disabled;
    };
    const Case cases[] = {
        {.control = "cmbCANtrFrmType",
         .item = "Extended",
         .enabled = {"txtCANTrID1_2", "txtCANTrID1_3"},
         .disabled = {}},
        {.control = "cmbCANtrFrmType",
         .item = "Standard",
         .enabled = {"txtCANTrID1_1"},
         .disabled = {"txtCANTrID1_2", "txtCANTrID1_3"}},
        {.control = "cmbCANRecFrmType",
         .item = "All",
         .enabled = {},
         .disabled = {"txtCANMask1_0", "txtCANFilter1_1", "txtCANFilter2_3"}},
        {.control = "cmbCANRecFrmType",
         .item = "Extended",
         .enabled = {"txtCANMask1_3", "txtCANFilter1_0", "txtCANFilter2_2"},
         .disabled = {}},
        {.control = "cmbInputFrmType", .item = "Extended", .enabled = {"txtInputID1_3"}, .disabled = {}},
        {.control = "cmbOutputFrmType", .item = "Extended", .enabled = {"txtOutputID1_2"}, .disabled = {}},
        {.control = "ChkRS232RecID",
         .item = nullptr,
         .enabled = {},
         .disabled = {"cmbCANtrFrmType", "txtCANTrID1_0", "optCANTrMultiByte", "Label7"}},
        {.control = "ChkRS232RecID",
         .item = nullptr,
         .enabled = {"cmbCANtrFrmType", "txtCANTrID1_0", "Label7"},
         .disabled = {}},
        {.control = "chkOutputProtection",
         .item = nullptr,
         .enabled = {"txtOutputProtectValue"},
         .disabled = {}},
        {.control = "optInputPeriodTr", .item = nullptr, .enabled = {"txtPeriodmsCount"}, .disabled = {}},
        {.control = "optInputChangeTr", .item = nullptr, .enabled = {}, .disabled = {"txtPeriodmsCount"}}};
    WindowSession s;
    s.start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        QWidget* w = s.widget(c.control);
        if (c.item == nullptr) {
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
        } else {
            pick(qobject_cast<QComboBox*>(w), c.item);
        }
        for (const char* name : c.enabled) {
            EXPECT_TRUE(s.widget(name)->isEnabled()) << name;
        }
        for (const char* name : c.disabled) {
            EXPECT_FALSE(s.widget(name)->isEnabled()) << name;
        }
    }
    EXPECT_EQ(s.edit("txtCANTrID1_2")->text(), "0");
    EXPECT_TRUE(isChecked(s, "optInputChangeTr"));
    EXPECT_FALSE(isChecked(s, "optInputPeriodTr"));
}

// Enter presses only the focused command button, Escape nothing; arrows walk and select within an option
// group, round the end; the wheel leaves a list without the focus alone; a box disabled while it has the
// focus gives the focus up without its LostFocus.
TEST(Window, KeyboardAndMouseHabitsOfADesktopDialog) {
    WindowSession s;
    s.start();
    struct Key {
        const char* widget;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::size_t framesSent;  // after this key
    };
    const Key keys[] = {
        {.widget = "btnProgramConfig", .key = Qt::Key_Return, .modifiers = {}, .framesSent = 1},
        {.widget = "btnProgramConfig",
         .key = Qt::Key_Enter,
         .modifiers = Qt::KeypadModifier,
         .framesSent = 2},
        {.widget = "btnProgramConfig", .key = Qt::Key_Escape, .modifiers = {}, .framesSent = 2},
        {.widget = "txtCANMask1_0", .key = Qt::Key_Return, .modifiers = {}, .framesSent = 2},
        {.widget = "txtCANMask1_0", .key = Qt::Key_Escape, .modifiers = {}, .framesSent = 2},
        {.widget = "CmbRS232BaudRate", .key = Qt::Key_Return, .modifiers = {}, .framesSent = 2}};
    for (const Key& k : keys) {
        SCOPED_TRACE(k.widget);
        s.widget(k.widget)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(s.widget(k.widget), k.key, k.modifiers);
        EXPECT_EQ(s.serial.sent.size(), k.framesSent);
    }
    EXPECT_TRUE(s.window.isVisible());
    EXPECT_FALSE(s.window.isUnloaded());

    const struct Arrow {
        Qt::Key key;
        const char* selected;
        bool periodEnabled;  // the option rule ran
    } arrows[] = {{Qt::Key_Up, "optInputPeriodTr", true},
                  {Qt::Key_Down, "optInputChangeTr", false},
                  {Qt::Key_Right, "optInputPeriodTr", true},
                  {Qt::Key_Left, "optInputChangeTr", false}};
    s.widget("optInputChangeTr")->setFocus(Qt::TabFocusReason);
    for (const Arrow& a : arrows) {
        s.press(a.key);
        EXPECT_EQ(QApplication::focusWidget(), s.widget(a.selected));
        EXPECT_TRUE(isChecked(s, a.selected));
        EXPECT_EQ(s.dialog.optInputPeriodTr.value(), a.periodEnabled);
        EXPECT_EQ(s.dialog.optInputChangeTr.value(), !a.periodEnabled);
        EXPECT_EQ(s.widget("txtPeriodmsCount")->isEnabled(), a.periodEnabled);
    }

    ASSERT_TRUE(s.dialog.cmbInputFrmType.setListIndex(1));
    s.typeInto("txtInputID1_2", "0");
    QWidget* list = s.widget("cmbInputFrmType");
    QWheelEvent wheel(QPointF(10, 10), list->mapToGlobal(QPointF(10, 10)), {}, {0, 120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(list, &wheel);
    EXPECT_EQ(s.dialog.cmbInputFrmType.listIndex(), 1) << "the wheel picked a frame type";
    ASSERT_TRUE(s.dialog.cmbInputFrmType.setListIndex(0));
    EXPECT_EQ(s.edit("txtInputID1_2")->text(), "0") << "LostFocus ran for a disabled box";
    EXPECT_EQ(QApplication::focusWidget(), s.widget("txtInputID1_1"));
    EXPECT_EQ(s.dialog.focusedControl(), &s.dialog.txtInputID1[1]);
}

TEST(Window, OpensWhereTheModelCentredItButNeverWithItsTitleBarOffScreen) {
    struct Case {
        int screenWidth, screenHeight;  // pixels
        QPoint position;
    };
    for (const Case& c : {Case{1920, 1080, {570, 242}}, Case{1024, 768, {122, 86}}, Case{640, 480, {0, 0}}}) {
        WindowSession s;
        s.screen.width = c.screenWidth * 15;
        s.screen.height = c.screenHeight * 15;
        s.window.load();
        EXPECT_EQ(s.window.pos(), c.position) << c.screenWidth;
    }
}

TEST(Window, ThePortListTellsTheDeviceAndWhyItDidNotOpen) {
    WindowSession s;
    s.serial.present = {2};
    s.start();
    const QString tip = s.window.portToolTip();
    EXPECT_TRUE(tip.contains("/dev/fake1")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("No such file or directory")) << tip.toStdString();
    s.messages.clear();
    QTest::keyClick(s.widget("CmbCOM"), Qt::Key_Down);
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(s.window.portToolTip(), "COM2 is /dev/fake2");
}

}  // namespace
}  // namespace veltara::test
