#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "dialog/messageboxes.h"

namespace veltara::qt {

// The dialog's messages as modal Qt message boxes with one OK button.
class QtMessageBoxes final : public core::MessageBoxes {
public:
    // Once the window is on screen the boxes are centred on it; before that (start-up) they stand alone.
    void setWindow(QWidget* window) { m_window = window; }
    void show(const core::Message& message) override;
    // Nobody may be there to press OK (the session is ending, the display is gone): the open box is
    // closed and later messages go to standard error, so that no box holds up the shutdown.
    void setUnattended();

private:
    QPointer<QWidget> m_window;
    QPointer<QMessageBox> m_open;
    bool m_unattended = false;
};

}  // namespace veltara::qt
