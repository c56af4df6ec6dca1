#pragma once

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

private:
    QPointer<QWidget> m_window;
};

}  // namespace veltara::qt
