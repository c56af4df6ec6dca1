#pragma once

#include <QColor>

class QWidget;

namespace veltara::core {
class Control;
}

namespace veltara::qt {

// The light yellow that the dialog's four main frames and most of their contents are painted in.
inline const QColor kFrameYellow{255, 255, 192};
inline const QColor kNoteRed{255, 0, 0};

// Creates the widget that shows one control with the control's fixed look: object name, place and
// size, caption, list items, colours and font. The control's changing state is bound separately.
QWidget* createControlWidget(const core::Control& control, QWidget* parent);

}  // namespace veltara::qt
