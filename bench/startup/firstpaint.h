#pragma once

class QWidget;

namespace veltara::bench {

// Once the window's first frame has been painted, prints "first-paint-ns <CLOCK_MONOTONIC ns> cpu-us
// <processor time so far> window <width>x<height> platform <Qt platform>" on standard output and closes
// the window, which ends the program as the user closing it would.
void reportFirstPaintThenClose(QWidget& window);

}  // namespace veltara::bench
