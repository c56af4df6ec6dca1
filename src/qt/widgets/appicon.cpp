#include "appicon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace veltara::qt {

namespace {

// A handful of the sixteen classic colours; the icon uses nothing else.
const QColor kBlack{0, 0, 0};
const QColor kNavy{0, 0, 128};
const QColor kSilver{192, 192, 192};
const QColor kWhite{255, 255, 255};
const QColor kYellow{255, 255, 0};
const QColor kLime{0, 255, 0};

// Drawn on a 16-unit grid; the 32-pixel image adds the connector's pins.
QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // No antialiasing: blended edges would add colours beyond the sixteen.
    p.setRenderHint(QPainter::Antialiasing, false);
    const int u = size / 16;

    // The converter board.
    p.fillRect(0, 2 * u, 16 * u, 12 * u, kBlack);
    p.fillRect(1, 2 * u + 1, 16 * u - 2, 12 * u - 2, kNavy);

    // The serial connector, a D-shaped shell.
    const QPolygon shell(
        {QPoint(1 * u, 4 * u), QPoint(6 * u, 5 * u), QPoint(6 * u, 11 * u), QPoint(1 * u, 12 * u)});
    p.setPen(Qt::NoPen);
    p.setBrush(kSilver);
    p.drawPolygon(shell);
    if (size >= 32) {
        for (int pin = 0; pin < 3; ++pin) {
            p.fillRect(2 * u + 2, (5 + 2 * pin) * u + 2, 2, 2, kBlack);
            p.fillRect(4 * u, (6 + 2 * pin) * u, 2, 2, kBlack);
        }
    } else {
        p.fillRect(3, 6, 1, 1, kBlack);
        p.fillRect(3, 9, 1, 1, kBlack);
    }

    // The conversion, left to right.
    p.fillRect(7 * u, 8 * u - u / 2, 3 * u, u, kWhite);
    p.setBrush(kWhite);
    p.drawPolygon(QPolygon({QPoint(10 * u, 6 * u), QPoint(12 * u, 8 * u), QPoint(10 * u, 10 * u)}));

    // CAN high and CAN low leaving the board.
    p.fillRect(12 * u, 5 * u, 4 * u, u, kYellow);
    p.fillRect(12 * u, 10 * u, 4 * u, u, kLime);
    p.fillRect(12 * u, 5 * u, u, 6 * u, kSilver);
    return image;
}

}  // namespace

QIcon applicationIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(drawIcon(32)));
    icon.addPixmap(QPixmap::fromImage(drawIcon(16)));
    return icon;
}

}  // namespace veltara::qt
