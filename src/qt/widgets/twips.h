#pragma once

#include <QPoint>
#include <QRect>
#include <cmath>

#include "dialog/control.h"

namespace veltara::qt {

// The layout is kept in twips; one logical pixel is 15 twips (96 dpi), and Qt scales logical pixels
// to the screen's real density on top.
inline constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline QRect toPixels(const core::Geometry& g) {
    return {twipsToPixels(g.left), twipsToPixels(g.top), twipsToPixels(g.width), twipsToPixels(g.height)};
}

}  // namespace veltara::qt
