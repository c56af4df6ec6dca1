#pragma once

#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <vector>

#include "fakes.h"
#include "widgets/dialogwindow.h"

namespace veltara::test {

// The real window over a dialog whose services are fakes unless a test hands in real ones.
struct WindowSession : DialogFixture {
    explicit WindowSession(RealServices real = {});

    // Form_Load, then the window shown and active, as the program starts.
    void start();
    QWidget* widget(const char* objectName) const;
    QLineEdit* edit(const char* objectName) const;
    // Clicks into the box, selects its text and types, one key at a time.
    void typeInto(const char* objectName, const QString& text);
    // Presses a key where the focus is.
    void press(Qt::Key key);

    qt::DialogWindow window{dialog};
};

// Plays the user in front of real message boxes: notes each box and presses its OK button.
class MessageBoxCloser {
public:
    struct Seen {
        QString text;
        QString title;
        QMessageBox::Icon icon;
        int buttons;
    };
    MessageBoxCloser();
    std::vector<Seen> seen;

private:
    QTimer m_poll;
};

}  // namespace veltara::test
