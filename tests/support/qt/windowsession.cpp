#include "windowsession.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QTest>

namespace veltara::test {

WindowSession::WindowSession(RealServices real) : DialogFixture(real) {}

void WindowSession::start() {
    window.load();
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

QWidget* WindowSession::widget(const char* objectName) const {
    auto* found = window.findChild<QWidget*>(QString::fromLatin1(objectName));
    EXPECT_NE(found, nullptr) << objectName;
    return found;
}

QLineEdit* WindowSession::edit(const char* objectName) const {
    return qobject_cast<QLineEdit*>(widget(objectName));
}

void WindowSession::typeInto(const char* objectName, const QString& text) {
    QLineEdit* box = edit(objectName);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

void WindowSession::press(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
}

MessageBoxCloser::MessageBoxCloser() {
    QObject::connect(&m_poll, &QTimer::timeout, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen.push_back(
                {box->text(), box->windowTitle(), box->icon(), static_cast<int>(box->buttons().size())});
            box->button(QMessageBox::Ok)->click();
        }
    });
    m_poll.start(10);
}

}  // namespace veltara::test
