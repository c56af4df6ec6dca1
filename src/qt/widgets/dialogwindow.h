#pragma once

#include <QWidget>
#include <unordered_map>

namespace veltara::core {
class Control;
class Dialog;
}  // namespace veltara::core

namespace veltara::qt {

class FocusTracker;

// The configuration dialog on screen: one widget per control of the view model, placed, captioned
// and painted as the model describes and bound to it both ways. The rules all live in the model.
//
// A plain window rather than a QDialog: the dialog has no default and no cancel button, so Escape
// must not close it and Enter presses only the command button that has the focus.
class DialogWindow final : public QWidget {
    Q_OBJECT

public:
    explicit DialogWindow(core::Dialog& dialog, QWidget* parent = nullptr);
    ~DialogWindow() override;

    // Runs the load sequence and moves the window to where it centred the dialog; call before show().
    void load();
    // Runs the unload sequence, once; closing the window does it. A programming exchange that is
    // waiting gives up; the dialog itself must stay alive until that exchange's handler returns.
    void unload();
    bool isUnloaded() const { return m_unloaded; }

    QWidget* widgetFor(const core::Control& control) const;
    // The port list's tooltip, brought up to date first if the port changed since it was made.
    QString portToolTip();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* ensureWidget(core::Control& control);
    void fitFont();
    void setTabOrder();
    void nameInputsAfterLabels();
    void refreshPortToolTip();

    core::Dialog& m_dialog;
    FocusTracker* m_focusTracker;
    std::unordered_map<const core::Control*, QWidget*> m_widgets;
    bool m_unloaded = false;
    // Listing the adapters asks udev about every device: done when the tooltip is wanted, not at every
    // opening of the port (start-up opens it twice before the first paint).
    bool m_portToolTipStale = true;
};

}  // namespace veltara::qt
