#pragma once

#include <QProxyStyle>

namespace veltara::qt {

// The platform's style for the dialog's frames, but with an etched outline and no panel of its own:
// styles such as Fusion shade the inside of a group box, and each frame must show the colour it is
// given, the same as the labels on it.
class FrameStyle final : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

    // The one instance, owned by the application.
    static FrameStyle* instance();
};

}  // namespace veltara::qt
