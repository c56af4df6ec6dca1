#pragma once

class QWidget;

namespace veltara::core {
class Control;
}

namespace veltara::qt {

// Keeps a widget and its control in step. The user's actions become writes on the control (a
// keystroke a Text write, a pick in a list a ListIndex write, a click a Value write or a Click), and
// every write on the control, by the logic or by the user, refreshes the widget. Only signals that
// the user alone raises are forwarded, so a refresh never flows back into the model.
void bindControl(core::Control& control, QWidget* widget);

}  // namespace veltara::qt
