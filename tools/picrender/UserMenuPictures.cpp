// The user menus' pictures. A template shows its grid as the screen lays it
// out with two tiles per row: each row's height in proportion to the tiles'
// height class (240, 160 or 80 pixels on the screen).
#include "UserMenuPictures.h"

#include "Palette.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// Shown at the template buttons' icon size, 50 wide and 35 high.
const int TEMPLATE_WIDTH = 50;
const int TEMPLATE_HEIGHT = 35;

// Units of the row heights of one template, top to bottom (80 pixels a unit).
QVector<int> templateRows(int style)
{
    switch (style) {
    case 0:
        return {1, 1, 1, 1, 1, 1};
    case 1:
        return {3, 1, 1, 1, 1};
    default:
        return {3, 2, 1, 1};
    }
}

// A frame holding two columns of tiles. Row heights are whole
// pixels per unit, so equal rows come out equal and the proportions exact;
// the grid is centred in the frame.
QImage menuTemplate(int style, const QColor& colour)
{
    QImage image = blankImage(TEMPLATE_WIDTH, TEMPLATE_HEIGHT);
    QPainter p(&image);
    prepare(p);
    p.setPen(QPen(colour, 2.0));
    p.setBrush(Palette::white());
    p.drawRoundedRect(QRectF(1, 1, TEMPLATE_WIDTH - 2, TEMPLATE_HEIGHT - 2), 3, 3);

    const QVector<int> rows = templateRows(style);
    int units = 0;
    for (int u : rows)
        units += u;
    const int rowGap = 1;
    const int columnGap = 3;
    const QRect inner(3, 3, TEMPLATE_WIDTH - 6, TEMPLATE_HEIGHT - 6);
    const int unit = (inner.height() - rowGap * (rows.size() - 1)) / units;
    const int used = unit * units + rowGap * (rows.size() - 1);
    const int tileWidth = (inner.width() - columnGap) / 2;

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    int top = inner.top() + (inner.height() - used) / 2;
    for (int u : rows) {
        const int height = unit * u;
        p.drawRect(QRect(inner.left(), top, tileWidth, height));
        p.drawRect(QRect(inner.left() + tileWidth + columnGap, top, tileWidth, height));
        top += height + rowGap;
    }
    return image;
}

// A trash can with a lid and handle; its ribs are cut out, so it sits on any background.
QImage trash()
{
    QImage image = blankImage(32, 32);
    QPainter p(&image);
    prepare(p);
    const QColor ink = Palette::darkText();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    // handle and lid
    QPainterPath handle;
    handle.addRoundedRect(QRectF(12, 3, 8, 5), 1.5, 1.5);
    handle.addRect(QRectF(14, 5, 4, 3));
    p.drawPath(handle.simplified());
    p.drawRoundedRect(QRectF(5, 7, 22, 3), 1, 1);
    // body, slightly narrower at the bottom
    QPainterPath body;
    body.moveTo(7, 11.5);
    body.lineTo(25, 11.5);
    body.lineTo(23.5, 27);
    body.quadTo(23.3, 29, 21.5, 29);
    body.lineTo(10.5, 29);
    body.quadTo(8.7, 29, 8.5, 27);
    body.closeSubpath();
    p.drawPath(body);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setBrush(Qt::black);
    for (qreal x : {11.0, 15.0, 19.0})
        p.drawRoundedRect(QRectF(x, 14, 2, 12), 1, 1);
    // the handle's opening
    p.drawRect(QRectF(14, 5, 4, 2));
    return image;
}

// A grey button showing a list with a tick: "choose from the list".
QImage selectButton()
{
    QImage image = blankImage(34, 34);
    QPainter p(&image);
    prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::grey());
    p.drawRoundedRect(QRectF(1, 1, 32, 32), 6, 6);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QPen line(Palette::white(), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    // the tick on the first entry, then three entries
    p.drawPolyline(QPolygonF({QPointF(7, 10), QPointF(9.5, 12.5), QPointF(13.5, 7.5)}));
    p.drawLine(QPointF(17, 10), QPointF(27, 10));
    p.drawLine(QPointF(8, 17), QPointF(27, 17));
    p.drawLine(QPointF(8, 24), QPointF(27, 24));
    return image;
}

} // namespace

QVector<Picture> userMenuPictures()
{
    QVector<Picture> list;
    list << stillPicture("icon/trash.png", [] { return trash(); })
         << stillPicture("icon/icon_select_button_34x34_grey.png", [] { return selectButton(); });
    for (int style = 0; style < 3; ++style) {
        const QString n = QString::number(style + 1);
        list << stillPicture("icon/icon_usermenu_schablone" + n + "_grau_35x50.png",
                      [style] { return menuTemplate(style, Palette::grey()); })
             << stillPicture("icon/icon_usermenu_schablone" + n + "_gruen_35x50.png",
                      [style] { return menuTemplate(style, Palette::green()); });
    }
    return list;
}
