#include "qtscreen.h"

#include <QGuiApplication>
#include <QScreen>

#include "twips.h"

namespace veltara::qt {

namespace {

QRect workingArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

double QtScreen::widthTwips() const {
    return static_cast<double>(workingArea().width()) * kTwipsPerPixel;
}

double QtScreen::heightTwips() const {
    return static_cast<double>(workingArea().height()) * kTwipsPerPixel;
}

QPoint QtScreen::origin() {
    return workingArea().topLeft();
}

}  // namespace veltara::qt
