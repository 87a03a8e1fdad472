// Check boxes, radio indicators, calendar navigation and the back arrow.
#include "Palette.h"
#include "PictureSet.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QImage checkBox(int state) // 0 checked, 1 unchecked, 2 partly checked
{
    QImage image = blankImage(26, 26);
    QPainter p(&image);
    prepare(p);
    const QRectF box(2, 2, 22, 22);
    if (state == 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::green());
        p.drawRoundedRect(box, 4, 4);
        QPen tick(Palette::white(), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(tick);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(7, 13.5), QPointF(11, 17.5), QPointF(19, 8.5)}));
    } else {
        p.setPen(QPen(state == 1 ? Palette::buttonBorder() : Palette::green(), 2.0));
        p.setBrush(Palette::white());
        p.drawRoundedRect(box.adjusted(1, 1, -1, -1), 4, 4);
        if (state == 2) {
            p.setPen(Qt::NoPen);
            p.setBrush(Palette::green());
            p.drawRoundedRect(QRectF(7, 11, 12, 4), 1.5, 1.5);
        }
    }
    return image;
}

QImage radio(bool checked)
{
    QImage image = blankImage(24, 42);
    QPainter p(&image);
    prepare(p);
    const QPointF centre(12, 21);
    p.setPen(QPen(checked ? Palette::green() : Palette::buttonBorder(), 2.0));
    p.setBrush(Palette::white());
    p.drawEllipse(centre, 10, 10);
    if (checked) {
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::green());
        p.drawEllipse(centre, 5.5, 5.5);
    }
    return image;
}

QImage arrow(bool left)
{
    QImage image = blankImage(48, 48);
    QPainter p(&image);
    prepare(p);
    p.setPen(QPen(Palette::green(), 6.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal tip = left ? 15 : 33;
    const qreal back = left ? 31 : 17;
    p.drawPolyline(QPolygonF({QPointF(back, 9), QPointF(tip, 24), QPointF(back, 39)}));
    return image;
}

// The back buttons' arrow. Opaque (a BMP): drawn on the colour it is shown on.
QImage backArrow(const QColor& ink, const QColor& background)
{
    QImage image = blankImage(24, 24, background);
    QPainter p(&image);
    prepare(p);
    p.setPen(QPen(ink, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(5, 12), QPointF(20, 12));
    p.drawPolyline(QPolygonF({QPointF(11, 5), QPointF(4, 12), QPointF(11, 19)}));
    return image;
}

// The clock buttons of the time editors: small chevrons pointing up or down.
QImage upDown(bool up)
{
    QImage image = blankImage(24, 24);
    QPainter p(&image);
    prepare(p);
    p.setPen(QPen(Palette::green(), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal tip = up ? 7 : 17;
    const qreal back = up ? 16 : 8;
    p.drawPolyline(QPolygonF({QPointF(5, back), QPointF(12, tip), QPointF(19, back)}));
    return image;
}

QImage calendar()
{
    QImage image = blankImage(24, 24);
    QPainter p(&image);
    prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::white());
    p.drawRoundedRect(QRectF(2, 4, 20, 18), 2.5, 2.5);
    p.setBrush(Palette::green());
    p.drawRoundedRect(QRectF(2, 4, 20, 6), 2.5, 2.5);
    p.drawRect(QRectF(2, 7, 20, 3));
    p.setPen(QPen(Palette::green(), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.75, 4.75, 18.5, 16.5), 2, 2);
    // the two rings of the binding
    p.setPen(QPen(Palette::darkText(), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7.5, 2), QPointF(7.5, 6));
    p.drawLine(QPointF(16.5, 2), QPointF(16.5, 6));
    // days
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::darkText());
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            p.drawRect(QRectF(5 + col * 4, 12 + row * 3.3, 2.2, 2.2));
    return image;
}

} // namespace

QVector<Picture> iconPictures()
{
    QVector<Picture> list;
    list << stillPicture("icon/checked_checkbox.png", [] { return checkBox(0); })
         << stillPicture("icon/unchecked_checkbox.png", [] { return checkBox(1); })
         << stillPicture("icon/tristate_checkbox.png", [] { return checkBox(2); })
         << stillPicture("icon/ico_radio_unchecked.png", [] { return radio(false); })
         << stillPicture("icon/ico_radio_checked.png", [] { return radio(true); })
         << stillPicture("icon/arrow_left.png", [] { return arrow(true); })
         << stillPicture("icon/arrow_right.png", [] { return arrow(false); })
         << stillPicture("icon/arrow_up.png", [] { return upDown(true); })
         << stillPicture("icon/arrow_down.png", [] { return upDown(false); })
         << stillPicture("icon/calendar_24.png", [] { return calendar(); })
         // A dark green arrow on a light grey tile, the colours its name gives.
         << stillPicture("icon/pfeil_links_lightgrey_darkgreen.bmp",
                         [] { return backArrow(Palette::darkGreen(), Palette::body()); });
    return list;
}
