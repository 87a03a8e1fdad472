// The line chart's side panel. The mode buttons carry a white pictogram on a
// rounded button, orange while their mode is selected and grey otherwise.
#include "ChartPanelPictures.h"

#include "Palette.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

const int BUTTON_WIDTH = 80;
const int BUTTON_HEIGHT = 39;

QColor orange() { return QColor(236, 122, 8); }
QColor idleGrey() { return QColor(150, 150, 150); }

QPen whiteLine(qreal width)
{
    return QPen(Palette::white(), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A filled arrow head with its tip at tip, pointing along (dx, dy) (a unit step).
void arrowHead(QPainter& p, const QPointF& tip, qreal dx, qreal dy, qreal length, qreal halfWidth)
{
    const QPointF back = tip - QPointF(dx * length, dy * length);
    const QPointF side(-dy * halfWidth, dx * halfWidth);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::white());
    p.drawPolygon(QPolygonF({tip, back + side, back - side}));
    p.restore();
}

// Manual: arrows in all four directions, the chart moved by hand.
void dragArrows(QPainter& p)
{
    const QPointF c(40, 19.5);
    p.setPen(whiteLine(2.5));
    p.drawLine(QPointF(28, c.y()), QPointF(52, c.y()));
    p.drawLine(QPointF(c.x(), 9), QPointF(c.x(), 30));
    arrowHead(p, QPointF(24, c.y()), -1, 0, 6, 4.5);
    arrowHead(p, QPointF(56, c.y()), 1, 0, 6, 4.5);
    arrowHead(p, QPointF(c.x(), 5), 0, -1, 6, 4.5);
    arrowHead(p, QPointF(c.x(), 34), 0, 1, 6, 4.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::white());
    p.drawEllipse(c, 3.5, 3.5);
}

// Auto: the chart follows its newest point to the right.
void followArrow(QPainter& p)
{
    p.setPen(whiteLine(2.5));
    p.drawPolyline(QPolygonF({QPointF(15, 29), QPointF(23, 22), QPointF(30, 26), QPointF(39, 14), QPointF(58, 14)}));
    arrowHead(p, QPointF(66, 14), 1, 0, 9, 6);
    p.setPen(whiteLine(1.5));
    p.drawLine(QPointF(15, 33), QPointF(66, 33));
}

// Complete: the whole line fitted between two brackets.
void fittedLine(QPainter& p)
{
    p.setPen(whiteLine(2.5));
    p.drawPolyline(QPolygonF({QPointF(21, 8), QPointF(16, 8), QPointF(16, 31), QPointF(21, 31)}));
    p.drawPolyline(QPolygonF({QPointF(59, 8), QPointF(64, 8), QPointF(64, 31), QPointF(59, 31)}));
    p.drawPolyline(QPolygonF({QPointF(22, 25), QPointF(29, 16), QPointF(35, 22), QPointF(42, 12),
                              QPointF(49, 21), QPointF(58, 15)}));
}

// Return: a U-turn arrow back to the running measurement.
void returnArrow(QPainter& p)
{
    QPainterPath path;
    path.moveTo(30, 12);
    path.lineTo(48, 12);
    path.arcTo(QRectF(41, 12, 15, 15), 90, -180);
    path.lineTo(26, 27);
    p.setPen(whiteLine(3.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    arrowHead(p, QPointF(22, 12), -1, 0, 9, 6);
}

QImage modeButton(const QColor& fill, const std::function<void(QPainter&)>& pictogram)
{
    QImage image = blankImage(BUTTON_WIDTH, BUTTON_HEIGHT);
    QPainter p(&image);
    prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, BUTTON_WIDTH - 1, BUTTON_HEIGHT - 1), 8, 8);
    pictogram(p);
    return image;
}

// The handle at the chart's edge that opens the side panel: a grey tab with
// an arrow pointing into the chart and the bars of a menu.
QImage panelHandle()
{
    QImage image = blankImage(213, 129);
    QPainter p(&image);
    prepare(p);
    p.setPen(QPen(QColor(120, 120, 120), 2.0));
    p.setBrush(idleGrey());
    p.drawRoundedRect(QRectF(2, 2, 209, 125), 28, 28);
    p.setPen(whiteLine(9.0));
    p.drawPolyline(QPolygonF({QPointF(66, 38), QPointF(42, 64.5), QPointF(66, 91)}));
    for (const qreal y : {40.0, 64.5, 89.0})
        p.drawLine(QPointF(94, y), QPointF(170, y));
    return image;
}

// Opaque (a BMP), so it fills its square: a green tile with a white arrow pointing right.
QImage pageFlickRight()
{
    QImage image = blankImage(32, 32, Palette::green());
    QPainter p(&image);
    prepare(p);
    p.setPen(whiteLine(3.5));
    p.drawPolyline(QPolygonF({QPointF(13, 8), QPointF(21, 16), QPointF(13, 24)}));
    return image;
}

} // namespace

QVector<Picture> chartPanelPictures()
{
    const struct
    {
        const char* name;
        std::function<void(QPainter&)> pictogram;
    } modes[] = {{"manuell", dragArrows}, {"auto", followArrow}, {"gesamte-messung", fittedLine}};

    QVector<Picture> list;
    list << stillPicture("icon/icon_schmutzbereich_213x129_grey.png", panelHandle);
    for (const auto& mode : modes) {
        const QString base = QString("icon/icon_sidebar-button_%1_80x39_").arg(mode.name);
        const auto pictogram = mode.pictogram;
        list << stillPicture(base + "orange_V1.0.png", [pictogram] { return modeButton(orange(), pictogram); })
             << stillPicture(base + "grau_V1.0.png", [pictogram] { return modeButton(idleGrey(), pictogram); });
    }
    list << stillPicture("icon/icon_sidebar-button_return_80x39_grau_V1.0.png",
                  [] { return modeButton(idleGrey(), returnArrow); })
         << stillPicture("icon/pageflicker_rechts.bmp", pageFlickRight);
    return list;
}
