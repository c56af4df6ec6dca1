#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "qtmessageboxes.h"
#include "recordfile.h"
#include "windowsession.h"

namespace veltara::test {
namespace {

QString comboText(const WindowSession& s, const char* name) {
    return qobject_cast<QComboBox*>(s.widget(name))->currentText();
}

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
        EXPECT_EQ(comboText(s, "CmbCOM"), "COM1");
        EXPECT_EQ(comboText(s, "CmbRS232BaudRate"), "9600");
        EXPECT_EQ(comboText(s, "CmbCANBaudRate"), "250K");
        for (const char* type :
             {"cmbCANtrFrmType", "cmbCANRecFrmType", "cmbInputFrmType", "cmbOutputFrmType"}) {
            EXPECT_EQ(comboText(s, type), "Standard") << type;
        }
        EXPECT_TRUE(isChecked(s, "optCANTrImme1byte"));
        EXPECT_FALSE(isChecked(s, "optCANTrMultiByte"));
        EXPECT_TRUE(isChecked(s, "optInputChangeTr"));
        for (const char* check : {"ChkRS232RecID", "ChkRS232TrID", "chkOutputProtection"}) {
            EXPECT_FALSE(isChecked(s, check)) << check;
        }
        EXPECT_EQ(s.edit("txtPeriodmsCount")->text(), "300     ");
        EXPECT_FALSE(s.edit("txtPeriodmsCount")->isEnabled());
        EXPECT_EQ(s.edit("txtOutputProtectValue")->text(), "00  ");
        EXPECT_FALSE(s.edit("txtCANTrID1_2")->isEnabled());
        for (const Control* c : s.dialog.controls()) {
            if (c->kind() == ControlKind::TextBox) {
                EXPECT_EQ(s.edit(c->objectName().c_str())->text().toStdString(),
                          static_cast<const TextBox*>(c)->text());
            }
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
    const Case cases[] = {{"txtCANMask1_0", "a", "0A", false},
                          {"txtCANFilter1_0", "ff", "FF", true},
                          {"txtOutputID1_0", "0ff", "0FF", false},
                          {"txtPeriodmsCount", "7 ", "7 ", false}};  // no LostFocus rule
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
        {"cmbCANtrFrmType", "Extended", {"txtCANTrID1_2", "txtCANTrID1_3"}, {}},
        {"cmbCANtrFrmType", "Standard", {"txtCANTrID1_1"}, {"txtCANTrID1_2", "txtCANTrID1_3"}},
        {"cmbCANRecFrmType", "All", {}, {"txtCANMask1_0", "txtCANFilter1_1", "txtCANFilter2_3"}},
        {"cmbCANRecFrmType", "Extended", {"txtCANMask1_3", "txtCANFilter1_0", "txtCANFilter2_2"}, {}},
        {"cmbInputFrmType", "Extended", {"txtInputID1_3"}, {}},
        {"cmbOutputFrmType", "Extended", {"txtOutputID1_2"}, {}},
        {"ChkRS232RecID", nullptr, {}, {"cmbCANtrFrmType", "txtCANTrID1_0", "optCANTrMultiByte", "Label7"}},
        {"ChkRS232RecID", nullptr, {"cmbCANtrFrmType", "txtCANTrID1_0", "Label7"}, {}},
        {"chkOutputProtection", nullptr, {"txtOutputProtectValue"}, {}},
        {"optInputPeriodTr", nullptr, {"txtPeriodmsCount"}, {}},
        {"optInputChangeTr", nullptr, {}, {"txtPeriodmsCount"}},
    };
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

TEST(Window, EnterAndEscapeNeitherPressAButtonNorCloseTheWindow) {
    WindowSession s;
    s.start();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        s.widget("btnProgramConfig")->setFocus(Qt::TabFocusReason);
        s.press(key);
        s.widget("txtCANMask1_0")->setFocus(Qt::TabFocusReason);
        s.press(key);
    }
    EXPECT_TRUE(s.serial.sent.empty());
    EXPECT_TRUE(s.window.isVisible());
    EXPECT_FALSE(s.window.isUnloaded());
    QTest::keyClick(s.widget("btnProgramConfig"), Qt::Key_Space);
    EXPECT_EQ(s.serial.sent.size(), 1u);
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
    const QString tip = s.widget("CmbCOM")->toolTip();
    EXPECT_TRUE(tip.contains("/dev/fake1")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("No such file or directory")) << tip.toStdString();
    s.messages.clear();
    QTest::keyClick(s.widget("CmbCOM"), Qt::Key_Down);
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(s.widget("CmbCOM")->toolTip(), "COM2 is /dev/fake2");
}

}  // namespace
}  // namespace veltara::test
