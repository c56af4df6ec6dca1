#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace veltara::qt {

// The program's icon, drawn from the sixteen colours of the classic palette: a serial connector on the
// left feeding the two CAN bus lines on the right. The window gets a 32 x 32 and a 16 x 16 image.
QIcon applicationIcon();

// One square image of the icon: the 16-pixel size has its own simpler design, every larger one is the
// detailed design scaled (sizes that are multiples of 32 keep every edge on a pixel).
QImage applicationIconImage(int size);

// The detailed design as an SVG document on a 16 x 16 grid, for the icon theme's scalable size.
QByteArray applicationIconSvg();

}  // namespace veltara::qt
