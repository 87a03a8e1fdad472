// The icons of the logger header button (31 x 31): the animated ring buffer
// and the still logger pictogram, in the same colours so the button keeps its
// look whichever it shows. "_01" and "white_green" sit on the dark green of an
// inactive header button, "_02" and "green_white" on the near-white of the
// selected one.
#include "Palette.h"
#include "PictureSet.h"
#include "Pictograms.h"

#include <QPainter>
#include <QtMath>

namespace {

struct RingColours
{
    QColor background;
    QColor ring;
    QColor accent;
};

RingColours colours(bool selected, bool active)
{
    if (selected)
        return {Palette::nearWhite(), active ? Palette::green() : Palette::grey(), Palette::green()};
    return {Palette::green(), active ? Palette::white() : Palette::body(), Palette::white()};
}

// A ring with an arrow head running round it; the head sits at angleDeg.
QImage activeFrame(const RingColours& c, qreal angleDeg)
{
    QImage image = blankImage(31, 31, c.background);
    QPainter p(&image);
    prepare(p);
    const QPointF centre(15.5, 15.5);
    const qreal radius = 10.0;
    p.setPen(QPen(c.ring, 3.0, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    // Qt angles run counter-clockwise in 1/16 degree; the arc trails the head.
    p.drawArc(box, int((-angleDeg + 40) * 16), int(280 * 16));

    const qreal a = qDegreesToRadians(angleDeg);
    const QPointF head(centre.x() + radius * qCos(a), centre.y() + radius * qSin(a));
    const QPointF dir(-qSin(a), qCos(a)); // clockwise tangent
    const QPointF out(qCos(a), qSin(a));
    QPolygonF tri;
    tri << head + dir * 5.0 << head - dir * 1.0 + out * 4.5 << head - dir * 1.0 - out * 4.5;
    p.setPen(Qt::NoPen);
    p.setBrush(c.ring);
    p.drawPolygon(tri);
    p.setBrush(c.accent);
    p.drawEllipse(centre, 2.5, 2.5);
    return image;
}

// A still ring whose centre dot blinks: configured, but not recording.
QImage idleFrame(const RingColours& c, bool dot)
{
    QImage image = blankImage(31, 31, c.background);
    QPainter p(&image);
    prepare(p);
    const QPointF centre(15.5, 15.5);
    p.setPen(QPen(c.ring, 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 10.0, 10.0);
    if (dot) {
        p.setPen(Qt::NoPen);
        p.setBrush(c.accent);
        p.drawEllipse(centre, 3.5, 3.5);
    }
    return image;
}

Picture ring(const QString& name, bool selected, bool active)
{
    const RingColours c = colours(selected, active);
    if (active) {
        return Picture{"logger/" + name, [c] {
                           QVector<QImage> frames;
                           for (int i = 0; i < 8; ++i)
                               frames << activeFrame(c, -90.0 + i * 45.0);
                           return frames;
                       },
                       120};
    }
    return Picture{"logger/" + name,
                   [c] { return QVector<QImage>{idleFrame(c, true), idleFrame(c, false)}; }, 600};
}

// The logger pictogram with the weight of the ring: lines 3 pixels wide,
// centred like the ring, which puts their edges on whole pixels.
QImage loggerButton(bool selected)
{
    const RingColours c = colours(selected, true);
    QImage image = blankImage(31, 31, c.background);
    Pictogram::drawInto(image, Pictogram::logger, {c.ring, 3.0}, 1.0, QPointF(3.5, 3.5));
    return image;
}

} // namespace

QVector<Picture> ringPictures()
{
    return {
        Picture{"logger/icon_logger_31x31_white_green.bmp",
                [] { return QVector<QImage>{loggerButton(false)}; }, 0},
        Picture{"logger/icon_logger_31x31_green_white.bmp",
                [] { return QVector<QImage>{loggerButton(true)}; }, 0},
        ring("icon_ringspeicher_inaktiv_31x31_01.gif", false, false),
        ring("icon_ringspeicher_inaktiv_31x31_02.gif", true, false),
        ring("icon_ringspeicher_aktiv_31x31_01.gif", false, true),
        ring("icon_ringspeicher_aktiv_31x31_02.gif", true, true),
    };
}
