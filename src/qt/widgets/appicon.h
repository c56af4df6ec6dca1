#pragma once

#include <QIcon>

namespace veltara::qt {

// The program's icon, drawn at start-up in a 32 x 32 and a 16 x 16 image from the sixteen colours
// of the classic palette: a serial connector on the left feeding the two CAN bus lines on the right.
QIcon applicationIcon();

}  // namespace veltara::qt
