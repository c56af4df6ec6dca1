#include "focustracker.h"

#include <QFocusEvent>
#include <QWidget>

#include "dialog/dialog.h"

namespace veltara::qt {

FocusTracker::FocusTracker(core::Dialog& dialog, QObject* parent) : QObject(parent), m_dialog(dialog) {}

void FocusTracker::track(QWidget* widget, core::Control& control) {
    m_controls[widget] = &control;
    widget->installEventFilter(this);
}

bool FocusTracker::isMoveBetweenControls(Qt::FocusReason reason) {
    switch (reason) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            return true;
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
        case Qt::MenuBarFocusReason:
        case Qt::NoFocusReason:
            return false;
    }
    return false;
}

bool FocusTracker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        const auto it = m_controls.find(watched);
        if (it != m_controls.end()) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // The window's first focus, when it is shown, only tells the model where the focus is;
            // nothing had it before, so nothing loses it.
            if (isMoveBetweenControls(reason) || m_dialog.focusedControl() == nullptr) {
                m_dialog.userMovedFocus(it->second);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace veltara::qt
