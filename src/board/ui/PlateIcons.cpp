#include "PlateIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace {

// Everything is drawn on a 64 × 64 grid and scaled.
constexpr qreal Grid = 64.0;

void drawFolder(QPainter &p, const QColor &base)
{
    const QColor dark = base.darker(150);
    const QColor light = base.lighter(135);
    p.setPen(QPen(dark, 1.6));

    // The tab and the back of the folder.
    QPainterPath back;
    back.moveTo(5, 14);
    back.quadTo(5, 10, 9, 10);
    back.lineTo(24, 10);
    back.lineTo(29, 15);
    back.lineTo(55, 15);
    back.quadTo(59, 15, 59, 19);
    back.lineTo(59, 52);
    back.lineTo(5, 52);
    back.closeSubpath();
    p.setBrush(base.darker(115));
    p.drawPath(back);

    // The front, a little lower, with a soft highlight from the top.
    QLinearGradient front(0, 20, 0, 58);
    front.setColorAt(0, light);
    front.setColorAt(1, base);
    p.setBrush(front);
    p.drawRoundedRect(QRectF(3, 21, 58, 36), 4, 4);
}

void drawPeople(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    // Two figures at the back, one in front.
    const struct { qreal x, y, r; } heads[] = {{22, 31, 4.2}, {42, 31, 4.2}, {32, 33, 5.2}};
    for (int i = 0; i < 2; ++i) {
        p.drawEllipse(QPointF(heads[i].x, heads[i].y), heads[i].r, heads[i].r);
        p.drawChord(QRectF(heads[i].x - 7.5, heads[i].y + 5, 15, 16), 0, 180 * 16);
    }
    // The front figure gets a coloured rim so it stands apart.
    p.setPen(QPen(QColor(0, 0, 0, 60), 1.2));
    p.drawEllipse(QPointF(heads[2].x, heads[2].y), heads[2].r, heads[2].r);
    p.drawChord(QRectF(heads[2].x - 9, heads[2].y + 6.5, 18, 19), 0, 180 * 16);
}

void drawGlobe(QPainter &p)
{
    const QPointF centre(32, 39);
    const qreal r = 12.5;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 2.4));
    p.drawEllipse(centre, r, r);
    p.setPen(QPen(Qt::white, 1.6));
    p.drawEllipse(centre, r * 0.45, r);
    p.drawLine(QPointF(centre.x(), centre.y() - r), QPointF(centre.x(), centre.y() + r));
    p.drawLine(QPointF(centre.x() - r, centre.y()), QPointF(centre.x() + r, centre.y()));
    // Two parallels.
    const qreal y = r * 0.5;
    const qreal half = std::sqrt(r * r - y * y);
    p.drawLine(QPointF(centre.x() - half, centre.y() - y), QPointF(centre.x() + half, centre.y() - y));
    p.drawLine(QPointF(centre.x() - half, centre.y() + y), QPointF(centre.x() + half, centre.y() + y));
}

void drawStopHand(QPainter &p, const QColor &base)
{
    // A white octagon with a raised hand in the folder's colour.
    const QPointF centre(32, 39);
    const qreal r = 15;
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const qreal angle = (22.5 + 45.0 * i) * M_PI / 180.0;
        octagon << QPointF(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
    }
    p.setPen(QPen(base.darker(150), 1.2));
    p.setBrush(Qt::white);
    p.drawPolygon(octagon);

    const QColor hand = base.darker(135);
    p.setPen(Qt::NoPen);
    p.setBrush(hand);
    // Palm.
    p.drawRoundedRect(QRectF(26, 38, 12.5, 10), 3, 3);
    // Four fingers.
    const qreal tops[] = {30, 28, 29, 31.5};
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(26 + i * 3.2, tops[i], 2.7, 12), 1.3, 1.3);
    // Thumb, leaning out.
    p.save();
    p.translate(27, 44);
    p.rotate(-40);
    p.drawRoundedRect(QRectF(-8, -1.4, 8, 2.9), 1.4, 1.4);
    p.restore();
}

} // namespace

namespace PlateIcons {

QColor colour(int index)
{
    switch (index) {
    case 1: return QColor(0xd3, 0x2f, 0x2f); // red
    case 2: return QColor(0x1e, 0x6b, 0xd6); // blue
    case 3: return QColor(0xf5, 0x8a, 0x07); // orange
    default: return QColor(0x2e, 0xa0, 0x43); // green
    }
}

QPixmap pixmap(int index, int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / Grid, size / Grid);
    const QColor base = colour(index);
    drawFolder(p, base);
    switch (index) {
    case 1: drawPeople(p); break;
    case 2: drawGlobe(p); break;
    case 3: drawStopHand(p, base); break;
    default: break;
    }
    return picture;
}

QIcon icon(int index)
{
    QIcon made;
    // The selected plate keeps its true colour; its caption shows the
    // selection.
    for (int size : {32, 48, 64, 128}) {
        const QPixmap picture = pixmap(index, size);
        made.addPixmap(picture, QIcon::Normal);
        made.addPixmap(picture, QIcon::Selected);
    }
    return made;
}

} // namespace PlateIcons
