// The 320 x 320 buttons of the home screen. The round ones of the body are a
// green disc with a white pictogram inside a ring of the grey their name
// gives. The footer's are a dark grey pictogram on a grey rounded square; the
// user management's, when the user may not use it, fades into light greys.
#include "Palette.h"
#include "PictureSet.h"
#include "Pictograms.h"

#include <QPainter>

namespace {

const int SIZE = 320;
const qreal SCALE = 7.0; // the 24-unit grid becomes 168 pixels, centred
const QPointF OFFSET((SIZE - 24 * SCALE) / 2, (SIZE - 24 * SCALE) / 2);

QColor lightGrey() { return QColor(232, 232, 232); }
QColor darkGrey() { return QColor(96, 96, 96); }

// A white pictogram on a green disc inside a ring of ring's colour.
QImage round(const Pictogram::Draw& draw, const QColor& ring)
{
    QImage image = blankImage(SIZE, SIZE);
    {
        QPainter p(&image);
        prepare(p);
        p.setPen(Qt::NoPen);
        const QPointF centre(SIZE / 2.0, SIZE / 2.0);
        p.setBrush(ring);
        p.drawEllipse(centre, 158, 158);
        p.setBrush(Palette::green());
        p.drawEllipse(centre, 146, 146);
    }
    Pictogram::drawInto(image, draw, {Palette::white()}, SCALE, OFFSET);
    return image;
}

// A pictogram of colour ink on a rounded square tile.
QImage square(const Pictogram::Draw& draw, const QColor& tile = QColor(166, 167, 166),
             const QColor& ink = darkGrey())
{
    QImage image = blankImage(SIZE, SIZE);
    {
        QPainter p(&image);
        prepare(p);
        p.setPen(Qt::NoPen);
        p.setBrush(tile);
        p.drawRoundedRect(QRectF(8, 8, SIZE - 16, SIZE - 16), 48, 48);
    }
    Pictogram::drawInto(image, draw, {ink}, SCALE, OFFSET);
    return image;
}

} // namespace

QVector<Picture> homePictures()
{
    using namespace Pictogram;
    return {
        stillPicture("icon/icon_fuehler_320x320_green_lightgrey_home_round.png",
              [] { return round(thermometer, lightGrey()); }),
        stillPicture("icon/icon_anzeige_320x320_green_darkgrey_home_round.png",
              [] { return round(display, darkGrey()); }),
        stillPicture("icon/icon_logger_320x320_green_lightgrey_home_round.png",
              [] { return round(logger, lightGrey()); }),
        stillPicture("icon/icon_einstellungen_320x320_darkgrey_grey_home.png", [] { return square(gear); }),
        stillPicture("icon/icon_logout_320x320_darkgrey_grey_home.png", [] { return square(logout); }),
        stillPicture("icon/icon_usermanagement_320x320.png", [] { return square(persons); }),
        stillPicture("icon/icon_usermanagement_320x320_inaktiv.png",
              [] { return square(persons, QColor(206, 207, 206), QColor(226, 226, 226)); }),
    };
}
