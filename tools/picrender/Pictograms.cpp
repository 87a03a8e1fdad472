#include "Pictograms.h"
#include "PictureSet.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QtMath>

namespace Pictogram {
namespace {

QPen pen(const Ink& ink, qreal width, Qt::PenCapStyle cap = Qt::FlatCap,
         Qt::PenJoinStyle join = Qt::MiterJoin)
{
    return QPen(ink.colour, width, Qt::SolidLine, cap, join);
}

void stroke(QPainter& p, const QPainterPath& path, const QPen& pen)
{
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void fill(QPainter& p, const QPainterPath& path, const Ink& ink)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink.colour);
    p.drawPath(path);
}

void fillRect(QPainter& p, const QRectF& rect, const Ink& ink)
{
    QPainterPath path;
    path.addRect(rect);
    fill(p, path, ink);
}

QPointF polar(const QPointF& centre, qreal radius, qreal degrees)
{
    const qreal a = qDegreesToRadians(degrees);
    return centre + QPointF(radius * qCos(a), radius * qSin(a));
}

// Path operations flatten curves in path units; in the 24-unit grid that
// would leave corners on a circle drawn 320 pixels wide, so they run on a
// finer grid.
const qreal FINE = 64.0;

QPainterPath toFine(const QPainterPath& path) { return QTransform::fromScale(FINE, FINE).map(path); }
QPainterPath fromFine(const QPainterPath& path) { return QTransform::fromScale(1 / FINE, 1 / FINE).map(path); }

QPainterPath united(const QPainterPath& a, const QPainterPath& b)
{
    return fromFine(toFine(a).united(toFine(b)));
}

QPainterPath subtracted(const QPainterPath& a, const QPainterPath& b)
{
    return fromFine(toFine(a).subtracted(toFine(b)));
}

// The area a line of the given width along path covers.
QPainterPath outlineOf(const QPainterPath& path, qreal width, Qt::PenCapStyle cap = Qt::FlatCap)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width * FINE);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return fromFine(stroker.createStroke(toFine(path)));
}

// A shape widened by margin on each side: what another shape keeps clear of.
QPainterPath widened(const QPainterPath& path, qreal margin)
{
    return united(outlineOf(path, 2 * margin), path);
}

} // namespace

void gear(QPainter& p, const Ink& ink)
{
    const QPointF centre(12, 12);
    const int teeth = 8;
    const qreal tip = 10.0;
    const qreal root = 7.4;
    QPolygonF outline;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = -90.0 + i * 360.0 / teeth;
        outline << polar(centre, root, a - 16) << polar(centre, tip, a - 9)
                << polar(centre, tip, a + 9) << polar(centre, root, a + 16);
    }
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addPolygon(outline);
    path.closeSubpath();
    path.addEllipse(centre, 3.2, 3.2);
    fill(p, path, ink);
}

void thermometer(QPainter& p, const Ink& ink)
{
    // Stem and bulb as one outline; the column of the liquid inside it.
    const QPointF bulb(10, 17.5);
    const qreal bulbRadius = 5.0;
    QPainterPath glass;
    glass.moveTo(13, 13.5);
    glass.lineTo(13, 5);
    glass.arcTo(QRectF(7, 2, 6, 6), 0, 180);
    glass.lineTo(7, 13.5);
    // The stem meets the bulb 3 units left and right of its centre, 4 above it.
    const qreal meet = qRadiansToDegrees(qAtan2(4.0, 3.0));
    const QRectF bulbBox(bulb.x() - bulbRadius, bulb.y() - bulbRadius, 2 * bulbRadius, 2 * bulbRadius);
    glass.arcTo(bulbBox, 180.0 - meet, 360.0 - (180.0 - 2 * meet));
    glass.closeSubpath();
    stroke(p, glass, pen(ink, ink.line, Qt::FlatCap, Qt::RoundJoin));

    QPainterPath liquid;
    liquid.setFillRule(Qt::WindingFill);
    liquid.addRect(QRectF(9, 8, 2, 9));
    liquid.addEllipse(bulb, 2.5, 2.5);
    fill(p, liquid, ink);

    // The scale beside the stem.
    for (qreal y : {5.0, 9.0, 13.0})
        fillRect(p, QRectF(16, y - ink.line / 2, y == 9.0 ? 5 : 3.5, ink.line), ink);
}

void display(QPainter& p, const Ink& ink)
{
    const qreal w = ink.line;
    QPainterPath screen;
    screen.addRoundedRect(QRectF(2 + w / 2, 3 + w / 2, 20 - w, 14 - w), 1.5, 1.5);
    stroke(p, screen, pen(ink, w));
    // The values on the screen.
    fillRect(p, QRectF(6, 7, 8, 2), ink);
    fillRect(p, QRectF(6, 11, 12, 2), ink);
    // Foot.
    fillRect(p, QRectF(11, 17, 2, 3), ink);
    fillRect(p, QRectF(7, 20, 10, 2), ink);
}

void logger(QPainter& p, const Ink& ink)
{
    // A store of records: a cylinder with a band round its middle.
    const qreal rx = 8.0;
    const qreal ry = 3.0;
    const qreal top = 6.0;
    const qreal bottom = 18.0;
    const QPen line = pen(ink, ink.line, Qt::FlatCap, Qt::RoundJoin);
    QPainterPath lid;
    lid.addEllipse(QPointF(12, top), rx, ry);
    stroke(p, lid, line);
    QPainterPath body;
    body.moveTo(12 - rx, top);
    body.lineTo(12 - rx, bottom);
    body.arcTo(QRectF(12 - rx, bottom - ry, 2 * rx, 2 * ry), 180, 180);
    body.lineTo(12 + rx, top);
    const QRectF band(12 - rx, (top + bottom) / 2 - ry, 2 * rx, 2 * ry);
    body.arcMoveTo(band, 180);
    body.arcTo(band, 180, 180);
    stroke(p, body, line);
}

void logout(QPainter& p, const Ink& ink)
{
    const qreal w = ink.line;
    // The door frame, open on the right where the arrow leaves.
    QPainterPath door;
    door.moveTo(14 - w / 2, 8);
    door.lineTo(14 - w / 2, 3 + w / 2);
    door.lineTo(3 + w / 2, 3 + w / 2);
    door.lineTo(3 + w / 2, 21 - w / 2);
    door.lineTo(14 - w / 2, 21 - w / 2);
    door.lineTo(14 - w / 2, 16);
    stroke(p, door, pen(ink, w));
    fillRect(p, QRectF(8, 12 - w / 2, 9, w), ink);
    QPainterPath head;
    head.addPolygon(QPolygonF({QPointF(16, 7), QPointF(21.5, 12), QPointF(16, 17)}));
    head.closeSubpath();
    fill(p, head, ink);
}

void persons(QPainter& p, const Ink& ink)
{
    QPainterPath front;
    front.addEllipse(QPointF(9, 8), 3.6, 3.6);
    QPainterPath frontBody;
    frontBody.moveTo(2, 21);
    frontBody.lineTo(2, 18.5);
    frontBody.arcTo(QRectF(2, 13, 14, 11), 180, -180);
    frontBody.lineTo(16, 21);
    frontBody.closeSubpath();
    front = united(front, frontBody);

    QPainterPath back;
    back.addEllipse(QPointF(16, 6.5), 3.1, 3.1);
    QPainterPath backBody;
    backBody.moveTo(10, 19);
    backBody.lineTo(10, 16);
    backBody.arcTo(QRectF(10, 11, 12, 10), 180, -180);
    backBody.lineTo(22, 19);
    backBody.closeSubpath();
    back = subtracted(united(back, backBody), widened(front, 1.3));

    fill(p, back, ink);
    fill(p, front, ink);
}

void channelList(QPainter& p, const Ink& ink)
{
    for (qreal y : {6.0, 12.0, 18.0}) {
        fillRect(p, QRectF(3, y - 2, 4, 4), ink);
        fillRect(p, QRectF(9, y - ink.line / 2, 12, ink.line), ink);
    }
}

void bigValue(QPainter& p, const Ink& ink)
{
    // Segment digits 7 wide and 12 high, segments 2 thick: "3.6".
    const auto digit = [&](qreal x, const char* segments) {
        const qreal y = 6;
        for (const char* s = segments; *s; ++s) {
            switch (*s) {
            case 'a': fillRect(p, QRectF(x, y, 7, 2), ink); break;
            case 'b': fillRect(p, QRectF(x + 5, y, 2, 7), ink); break;
            case 'c': fillRect(p, QRectF(x + 5, y + 5, 2, 7), ink); break;
            case 'd': fillRect(p, QRectF(x, y + 10, 7, 2), ink); break;
            case 'e': fillRect(p, QRectF(x, y + 5, 2, 7), ink); break;
            case 'f': fillRect(p, QRectF(x, y, 2, 7), ink); break;
            case 'g': fillRect(p, QRectF(x, y + 5, 7, 2), ink); break;
            }
        }
    };
    digit(3, "abcdg");
    fillRect(p, QRectF(11, 16, 2, 2), ink);
    digit(14, "acdefg");
}

void lineChart(QPainter& p, const Ink& ink)
{
    const qreal w = ink.line;
    QPainterPath axes;
    axes.moveTo(3 + w / 2, 3);
    axes.lineTo(3 + w / 2, 21 - w / 2);
    axes.lineTo(21, 21 - w / 2);
    stroke(p, axes, pen(ink, w));
    QPainterPath curve;
    curve.moveTo(8, 16);
    curve.lineTo(12, 10);
    curve.lineTo(15, 13);
    curve.lineTo(20, 6);
    stroke(p, curve, pen(ink, w, Qt::RoundCap, Qt::RoundJoin));
}

void valueGrid(QPainter& p, const Ink& ink)
{
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col)
            fillRect(p, QRectF(3 + col * 10, 4 + row * 6, 8, 4), ink);
}

void wifi(QPainter& p, const Ink& ink)
{
    const QPointF centre(12, 19);
    const QPen line = pen(ink, ink.line * 1.25, Qt::RoundCap);
    for (qreal r : {5.5, 10.0, 14.5}) {
        QPainterPath arc;
        const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        arc.arcMoveTo(box, 45);
        arc.arcTo(box, 45, 90);
        stroke(p, arc, line);
    }
    QPainterPath dot;
    dot.addEllipse(centre, 1.9, 1.9);
    fill(p, dot, ink);
}

void info(QPainter& p, const Ink& ink)
{
    QPainterPath ring;
    ring.addEllipse(QPointF(12, 12), 10 - ink.line / 2, 10 - ink.line / 2);
    stroke(p, ring, pen(ink, ink.line));
    QPainterPath dot;
    dot.addEllipse(QPointF(12, 7.5), 1.4, 1.4);
    fill(p, dot, ink);
    fillRect(p, QRectF(11, 10, 2, 7.5), ink);
}

void analogInput(QPainter& p, const Ink& ink)
{
    const qreal w = ink.line;
    QPainterPath box;
    box.addRoundedRect(QRectF(2 + w / 2, 4 + w / 2, 20 - w, 16 - w), 2.5, 2.5);
    stroke(p, box, pen(ink, w));
    QPainterPath wave;
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const QPointF point(6 + 12 * t, 12 - 3.5 * qSin(2 * M_PI * t));
        if (i == 0)
            wave.moveTo(point);
        else
            wave.lineTo(point);
    }
    stroke(p, wave, pen(ink, w, Qt::RoundCap, Qt::RoundJoin));
}

void bell(QPainter& p, const Ink& ink)
{
    QPainterPath body;
    body.moveTo(4, 18);
    body.cubicTo(6, 16.5, 6, 13.5, 6, 11);
    body.cubicTo(6, 7, 8.5, 4.5, 12, 4.5);
    body.cubicTo(15.5, 4.5, 18, 7, 18, 11);
    body.cubicTo(18, 13.5, 18, 16.5, 20, 18);
    body.closeSubpath();
    body.addEllipse(QPointF(12, 3.6), 1.6, 1.6);
    body.setFillRule(Qt::WindingFill);
    fill(p, body, ink);
    QPainterPath clapper;
    clapper.moveTo(9.5, 19.5);
    clapper.arcTo(QRectF(9.5, 17, 5, 5), 180, 180);
    clapper.closeSubpath();
    fill(p, clapper, ink);
}

void eventLog(QPainter& p, const Ink& ink)
{
    fillRect(p, QRectF(3, 4, 16, 2), ink);
    fillRect(p, QRectF(3, 9, 10, 2), ink);
    fillRect(p, QRectF(3, 14, 6, 2), ink);
    const QPointF centre(17, 17);
    QPainterPath face;
    face.addEllipse(centre, 4.5, 4.5);
    stroke(p, face, pen(ink, ink.line));
    QPainterPath hands;
    hands.moveTo(17, 14.3);
    hands.lineTo(17, 17);
    hands.lineTo(19, 18.2);
    stroke(p, hands, pen(ink, ink.line * 0.75, Qt::RoundCap, Qt::RoundJoin));
}

void network(QPainter& p, const Ink& ink)
{
    for (const QRectF& node : {QRectF(9, 3, 6, 5), QRectF(2, 16, 6, 5), QRectF(16, 16, 6, 5)}) {
        QPainterPath box;
        box.addRoundedRect(node, 1, 1);
        fill(p, box, ink);
    }
    fillRect(p, QRectF(11, 8, 2, 4), ink);
    fillRect(p, QRectF(4, 11, 16, 2), ink);
    fillRect(p, QRectF(4, 13, 2, 3), ink);
    fillRect(p, QRectF(18, 13, 2, 3), ink);
}

void memory(QPainter& p, const Ink& ink)
{
    QPainterPath body;
    body.addRect(QRectF(6 + ink.line / 2, 6 + ink.line / 2, 12 - ink.line, 12 - ink.line));
    stroke(p, body, pen(ink, ink.line));
    fillRect(p, QRectF(10, 10, 4, 4), ink);
    for (qreal at : {8.0, 11.0, 14.0}) {
        fillRect(p, QRectF(at, 3, 2, 3), ink);
        fillRect(p, QRectF(at, 18, 2, 3), ink);
        fillRect(p, QRectF(3, at, 3, 2), ink);
        fillRect(p, QRectF(18, at, 3, 2), ink);
    }
}

void wrench(QPainter& p, const Ink& ink)
{
    const QPointF head(15.5, 8.5);
    QPainterPath handle;
    handle.moveTo(5.6, 18.4);
    handle.lineTo(head);
    QPainterPath ring;
    ring.addEllipse(head, 5.5, 5.5);
    QPainterPath shape = united(outlineOf(handle, 4.4, Qt::RoundCap), ring);

    // The jaw: a slot from the head's centre outwards, away from the handle.
    QTransform along;
    along.translate(head.x(), head.y());
    along.rotate(-45);
    QPainterPath slot;
    slot.addRect(QRectF(0.5, -2, 8, 4));
    shape = subtracted(shape, along.map(slot));
    QPainterPath eye;
    eye.addEllipse(QPointF(6.2, 17.8), 1.1, 1.1);
    shape = subtracted(shape, eye);
    fill(p, shape, ink);
}

void drawInto(QImage& image, const Draw& draw, const Ink& ink, qreal scale, const QPointF& offset)
{
    QPainter p(&image);
    prepare(p);
    p.translate(offset);
    p.scale(scale, scale);
    draw(p, ink);
}

} // namespace Pictogram
