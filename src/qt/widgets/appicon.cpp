#include "appicon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <vector>

namespace veltara::qt {

namespace {

// A handful of the sixteen classic colours; the icon uses nothing else.
const QColor kBlack{0, 0, 0};
const QColor kNavy{0, 0, 128};
const QColor kSilver{192, 192, 192};
const QColor kWhite{255, 255, 255};
const QColor kYellow{255, 255, 0};
const QColor kLime{0, 255, 0};

constexpr int kGrid = 16;

struct Shape {
    QColor colour;
    QPolygonF outline;  // in grid units
};

QPolygonF box(qreal x, qreal y, qreal width, qreal height) {
    return QPolygonF(QRectF(x, y, width, height));
}

// The icon as filled shapes, back to front, on a 16-unit grid. At 16 pixels a unit is one pixel, so the
// small design keeps the board's outline a whole unit wide and draws only two pins.
std::vector<Shape> iconShapes(bool detailed) {
    const qreal outline = detailed ? 0.5 : 1.0;
    std::vector<Shape> shapes = {
        // The converter board.
        {kBlack, box(0, 2, 16, 12)},
        {kNavy, box(outline, 2 + outline, 16 - 2 * outline, 12 - 2 * outline)},
        // The serial connector, a D-shaped shell.
        {kSilver, QPolygonF({QPointF(1, 4), QPointF(6, 5), QPointF(6, 11), QPointF(1, 12)})},
    };
    if (detailed) {
        for (int pin = 0; pin < 3; ++pin) {
            shapes.push_back({kBlack, box(3, 6 + 2 * pin, 2, 1)});
        }
    } else {
        shapes.push_back({kBlack, box(3, 6, 1, 1)});
        shapes.push_back({kBlack, box(3, 9, 1, 1)});
    }
    const std::vector<Shape> rest = {
        // The conversion, left to right.
        {kWhite, box(7, detailed ? 7.5 : 8, 3, 1)},
        {kWhite, QPolygonF({QPointF(10, 6), QPointF(12, 8), QPointF(10, 10)})},
        // CAN high and CAN low leaving the board.
        {kYellow, box(12, 5, 4, 1)},
        {kLime, box(12, 10, 4, 1)},
        {kSilver, box(12, 5, 1, 6)},
    };
    shapes.insert(shapes.end(), rest.begin(), rest.end());
    return shapes;
}

}  // namespace

QImage applicationIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // No antialiasing: blended edges would add colours beyond the sixteen.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.scale(qreal(size) / kGrid, qreal(size) / kGrid);
    for (const Shape& shape : iconShapes(size > kGrid)) {
        p.setBrush(shape.colour);
        p.drawPolygon(shape.outline);
    }
    return image;
}

QByteArray applicationIconSvg() {
    QByteArray svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 16 16\" "
        "shape-rendering=\"crispEdges\">\n";
    for (const Shape& shape : iconShapes(true)) {
        QByteArray points;
        for (const QPointF& point : shape.outline) {
            points += (points.isEmpty() ? "" : " ") + QByteArray::number(point.x()) + ',' +
                      QByteArray::number(point.y());
        }
        svg += "  <polygon fill=\"" + shape.colour.name().toLatin1() + "\" points=\"" + points + "\"/>\n";
    }
    return svg + "</svg>\n";
}

QIcon applicationIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(applicationIconImage(32)));
    icon.addPixmap(QPixmap::fromImage(applicationIconImage(16)));
    return icon;
}

}  // namespace veltara::qt
