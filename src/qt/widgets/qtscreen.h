#pragma once

#include <QPoint>

#include "dialog/screen.h"

namespace veltara::qt {

// The primary screen's working area (without panels and docks), which the dialog is centred on.
class QtScreen final : public core::Screen {
public:
    double widthTwips() const override;
    double heightTwips() const override;
    // Where that area starts, in logical pixels: the model's position is relative to it.
    static QPoint origin();
};

}  // namespace veltara::qt
