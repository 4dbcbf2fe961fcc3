#include "ui/toolbars/TransportIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace NSZubrik {

namespace {

constexpr int kSide = 16;
constexpr int kLargeSide = 24;

QPainterPath Triangle(qreal left, qreal right, bool pointsRight)
{
    QPainterPath path;
    const qreal tip = pointsRight ? right : left;
    const qreal base = pointsRight ? left : right;
    path.moveTo(base, 3);
    path.lineTo(tip, 8);
    path.lineTo(base, 13);
    path.closeSubpath();
    return path;
}

// The symbol on a 16-unit square.
void Draw(QPainter& painter, ETransportIcon kind)
{
    switch (kind) {
    case ETransportIcon::kStop: painter.drawRect(QRectF(4, 4, 8, 8)); break;
    case ETransportIcon::kPlay: painter.drawPath(Triangle(4, 13, true)); break;
    case ETransportIcon::kPrevious:
        painter.drawRect(QRectF(3, 3, 2, 10));
        painter.drawPath(Triangle(6, 13, false));
        break;
    case ETransportIcon::kCurrent:
        // One slice: a short play symbol between two slice lines.
        painter.drawRect(QRectF(2, 3, 1.5, 10));
        painter.drawPath(Triangle(5.5, 11.5, true));
        painter.drawRect(QRectF(12.5, 3, 1.5, 10));
        break;
    case ETransportIcon::kNext:
        painter.drawPath(Triangle(3, 10, true));
        painter.drawRect(QRectF(11, 3, 2, 10));
        break;
    }
}

// The symbol on a square of side points at ratio device pixels a point.
QPixmap SymbolPixmap(ETransportIcon kind, const QColor& colour, int side, int ratio)
{
    QPixmap pixmap(side * ratio, side * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(side) / kSide, double(side) / kSide);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    Draw(painter, kind);
    return pixmap;
}

} // namespace

QIcon TransportIcon(ETransportIcon kind, const QColor& colour)
{
    // Drawn at the small and the large tool bar size, each for single and
    // double density screens, so that neither is a scaled picture.
    QIcon icon;
    for (const int side : {kSide, kLargeSide}) {
        for (const int ratio : {1, 2})
            icon.addPixmap(SymbolPixmap(kind, colour, side, ratio));
    }
    return icon;
}

} // namespace NSZubrik
