#pragma once

#include <QObject>
#include <unordered_map>

namespace veltara::core {
class Control;
class Dialog;
}  // namespace veltara::core

namespace veltara::qt {

// Tells the dialog when the user moves the focus from one control to another (Tab, a click), so
// that the control that had it gets LostFocus. Focus that leaves for a message box, another window
// or a list's popup and comes back is no such move: a correction's own message box must not tidy
// the box it is correcting.
class FocusTracker final : public QObject {
public:
    explicit FocusTracker(core::Dialog& dialog, QObject* parent = nullptr);

    void track(QWidget* widget, core::Control& control);

    // Whether focus that arrives for this reason is the user moving between controls.
    static bool isMoveBetweenControls(Qt::FocusReason reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    core::Dialog& m_dialog;
    std::unordered_map<const QObject*, core::Control*> m_controls;
};

}  // namespace veltara::qt
