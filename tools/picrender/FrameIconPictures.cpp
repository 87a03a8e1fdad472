// The 31 x 31 icons of the measurement screen's side buttons and tabs, and the
// connection symbol. BMP files have no alpha: each is drawn on the background
// its name gives after the pictogram colour, which is the background of the
// button or tab showing it. The side buttons sit in the header: "green" is an
// unselected header button, "white" and "darkwhite" the near-white of the
// selected one. On the tabs "grey" is an unselected tab, "white" the selected one.
#include "Palette.h"
#include "PictureSet.h"
#include "Pictograms.h"

namespace {

QImage small(const Pictogram::Draw& draw, const QColor& ink, const QColor& background)
{
    QImage image = blankImage(31, 31, background);
    // The 24-unit grid one to one, on whole pixels.
    Pictogram::drawInto(image, draw, {ink}, 1.0, QPointF(4, 4));
    return image;
}

Picture still(const QString& path, const Pictogram::Draw& draw, const QColor& ink,
              const QColor& background)
{
    return Picture{path, [=] { return QVector<QImage>{small(draw, ink, background)}; }, 0};
}

// The connection button always has the green of an unselected header button,
// so the symbol is white.
QImage wifiSymbol()
{
    QImage image = blankImage(64, 64);
    Pictogram::drawInto(image, Pictogram::wifi, {Palette::white()}, 64.0 / 24.0, QPointF(0, 0));
    return image;
}

} // namespace

QVector<Picture> frameIconPictures()
{
    using namespace Pictogram;
    const QColor green = Palette::green();
    const QColor white = Palette::white();
    const QColor selected = Palette::nearWhite();
    QVector<Picture> list;
    // Side buttons.
    list << still("icon/icon_anzeige_31x31_green_darkwhite.bmp", display, green, selected)
         << still("icon/icon_anzeige_31x31_white_green.bmp", display, white, green)
         << still("icon/icon_einstellungen_31x31_green_darkwhite.bmp", gear, green, selected)
         << still("icon/icon_einstellungen_31x31_white_green.bmp", gear, white, green)
         << still("icon/icon_fuehler_31x31_green_white.bmp", thermometer, green, selected)
         << still("icon/icon_fuehler_31x31_white_green.bmp", thermometer, white, green);
    // Tabs: white on the grey of an unselected tab, green on the white of the selected one.
    const struct
    {
        const char* name;
        Draw draw;
    } tabs[] = {{"messliste", channelList}, {"messwert", bigValue}, {"linien", lineChart},
                {"usermen", valueGrid}};
    for (const auto& tab : tabs) {
        const QString base = QString("icon/icon_%1_31x31_").arg(tab.name);
        list << still(base + "white_grey.bmp", tab.draw, white, Palette::grey())
             << still(base + "green_white.bmp", tab.draw, green, white);
    }
    list << Picture{"icon/icon_wifi_64x64.png", [] { return QVector<QImage>{wifiSymbol()}; }, 0};
    return list;
}
