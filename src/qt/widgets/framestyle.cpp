#include "framestyle.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QPointer>
#include <QStyleOption>

namespace veltara::qt {

void FrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || frame == nullptr || !(frame->subControls & SC_GroupBoxFrame)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QStyleOptionGroupBox titleOnly(*frame);
    titleOnly.subControls &= ~SC_GroupBoxFrame;
    QProxyStyle::drawComplexControl(control, &titleOnly, painter, widget);
    // The outline starts below the title, where the platform's own frame starts.
    const QRect title = subControlRect(CC_GroupBox, frame, SC_GroupBoxLabel, widget);
    const QRect outline = frame->rect.adjusted(0, title.bottom() + 2, 0, 0);
    qDrawShadeRect(painter, outline, frame->palette, true, 1, 0, nullptr);
}

FrameStyle* FrameStyle::instance() {
    static QPointer<FrameStyle> style;
    if (style == nullptr) {
        style = new FrameStyle;
        style->setParent(qApp);
    }
    return style;
}

}  // namespace veltara::qt
