// The logger screen's pictures. The 195 px states share the ring of the
// logger header button, drawn at the same proportions; the animations are
// opaque (GIF frames carry no alpha) on the white of the table they sit in.
// The tab icons follow the other tabs: white on the grey of an unselected tab,
// green on the white of the selected one, with the logger pictogram's 3 pixel lines.
#include "LoggerPictures.h"

#include "Palette.h"
#include "Pictograms.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

const int BIG = 195;
// The header ring is 31 pixels wide; the big pictures scale its geometry.
const qreal RING_SCALE = BIG / 31.0;
const QPointF CENTRE(BIG / 2.0, BIG / 2.0);

QColor lightGrey() { return QColor(176, 176, 176); }

// The ring buffer recording: a ring with an arrow head running round it, the
// head at angleDeg, as on the header button.
QImage recordingFrame(qreal angleDeg)
{
    QImage image = blankImage(BIG, BIG, Palette::white());
    QPainter p(&image);
    prepare(p);
    const qreal s = RING_SCALE;
    const qreal radius = 10.0 * s;
    p.setPen(QPen(Palette::green(), 3.0 * s, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF box(CENTRE.x() - radius, CENTRE.y() - radius, 2 * radius, 2 * radius);
    // Qt angles run counter-clockwise in 1/16 degree. The arc ends under the
    // head's base and trails it almost all the way round, like an arrow
    // chasing its tail; the header's small ring leaves a wider gap.
    p.drawArc(box, int(-(angleDeg - 5) * 16), int(305 * 16));

    const qreal a = qDegreesToRadians(angleDeg);
    const QPointF head(CENTRE.x() + radius * qCos(a), CENTRE.y() + radius * qSin(a));
    const QPointF dir(-qSin(a), qCos(a)); // clockwise tangent
    const QPointF out(qCos(a), qSin(a));
    QPolygonF tri;
    tri << head + dir * 5.0 * s << head - dir * 1.0 * s + out * 4.5 * s
        << head - dir * 1.0 * s - out * 4.5 * s;
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::green());
    p.drawPolygon(tri);
    p.drawEllipse(CENTRE, 2.5 * s, 2.5 * s);
    return image;
}

// The ring buffer configured but not recording: a still grey ring whose
// centre dot blinks.
QImage idleFrame(bool dot)
{
    QImage image = blankImage(BIG, BIG, Palette::white());
    QPainter p(&image);
    prepare(p);
    const qreal s = RING_SCALE;
    p.setPen(QPen(Palette::grey(), 3.0 * s));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(CENTRE, 10.0 * s, 10.0 * s);
    if (dot) {
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::grey());
        p.drawEllipse(CENTRE, 3.5 * s, 3.5 * s);
    }
    return image;
}

// No measurement running: a grey dial with its needle resting at the start of
// the scale. Transparent round the dial, so it sits on any cell colour.
QImage stoppedMeasurement()
{
    QImage image = blankImage(BIG, BIG);
    QPainter p(&image);
    prepare(p);
    const qreal radius = 10.0 * RING_SCALE; // as the ring pictures
    const qreal rim = 3.0 * RING_SCALE;
    p.setPen(QPen(Palette::grey(), rim));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(CENTRE, radius, radius);

    // The scale spans 270 degrees, open at the bottom; 0 degrees points right,
    // angles grow clockwise on screen.
    const qreal inner = radius - rim / 2;
    p.setPen(QPen(lightGrey(), 5.0, Qt::SolidLine, Qt::FlatCap));
    for (int tick = 0; tick <= 9; ++tick) {
        const qreal a = qDegreesToRadians(135.0 + tick * 30.0);
        const QPointF dir(qCos(a), qSin(a));
        const qreal length = tick % 3 == 0 ? 22.0 : 13.0;
        p.drawLine(CENTRE + dir * (inner - 8.0), CENTRE + dir * (inner - 8.0 - length));
    }

    const qreal rest = qDegreesToRadians(135.0);
    const QPointF dir(qCos(rest), qSin(rest));
    const QPointF side(-dir.y(), dir.x());
    const QPointF tip = CENTRE + dir * (inner - 16.0);
    QPolygonF needle;
    needle << tip + side * 2.5 << CENTRE + side * 9.0 << CENTRE - side * 9.0 << tip - side * 2.5;
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::grey());
    p.drawPolygon(needle);
    p.drawEllipse(CENTRE, 15.0, 15.0);
    return image;
}

// Data leaving the logger: an open tray with an arrow rising out of it. On the
// 24-unit grid at whole units, so 3 pixel lines keep their edges on pixels.
void exportPictogram(QPainter& p, const Pictogram::Ink& ink)
{
    QPainterPath tray;
    tray.moveTo(4, 12);
    tray.lineTo(4, 20);
    tray.lineTo(20, 20);
    tray.lineTo(20, 12);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink.colour, ink.line, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(tray);

    p.drawLine(QPointF(12, 16), QPointF(12, 6));
    QPolygonF head;
    head << QPointF(12, 1.5) << QPointF(17.5, 7.5) << QPointF(6.5, 7.5);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.colour);
    p.drawPolygon(head);
}

// A tab icon with the weight and position of the logger pictogram on the header.
QImage tabIcon(const Pictogram::Draw& draw, const QColor& ink, const QColor& background)
{
    QImage image = blankImage(31, 31, background);
    Pictogram::drawInto(image, draw, {ink, 3.0}, 1.0, QPointF(3.5, 3.5));
    return image;
}

Picture still(const QString& name, const std::function<QImage()>& draw)
{
    return stillPicture("logger/" + name, draw);
}

} // namespace

QVector<Picture> loggerPictures()
{
    const QColor green = Palette::green();
    const QColor white = Palette::white();
    const QColor grey = Palette::grey();
    return {
        still("icon_messung_inaktiv_195x195.png", stoppedMeasurement),
        // The names are spelt as the device's tables give them.
        Picture{"logger/icon_rinspeicher_inaktiv_195x195.gif",
                [] { return QVector<QImage>{idleFrame(true), idleFrame(false)}; }, 600},
        Picture{"logger/icon_rinspeicher_aktiv_195x195.gif",
                [] {
                    QVector<QImage> frames;
                    for (int i = 0; i < 12; ++i)
                        frames << recordingFrame(-90.0 + i * 30.0);
                    return frames;
                },
                100},
        still("icon_logger_31x31_white_grey.png",
              [=] { return tabIcon(Pictogram::logger, white, grey); }),
        still("icon_ausgabe_31x31_white_grey.bmp",
              [=] { return tabIcon(exportPictogram, white, grey); }),
        still("icon_ausgabe_31x31_green_white.bmp",
              [=] { return tabIcon(exportPictogram, green, white); }),
    };
}
