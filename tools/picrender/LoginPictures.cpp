// The login screen's banner and the language emblems of the language list.
// The language pictures live beside the language files in resources/lang, so
// their paths climb out of the pic folder.
#include "Palette.h"
#include "PictureSet.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

const int FLAG_WIDTH = 60;
const int FLAG_HEIGHT = 40;

// A thin frame so light flags stand out from a light list background.
void frameFlag(QPainter& p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::buttonBorder(), 1.0));
    p.drawRect(QRectF(0.5, 0.5, FLAG_WIDTH - 1, FLAG_HEIGHT - 1));
}

QImage czechFlag()
{
    QImage image = blankImage(FLAG_WIDTH, FLAG_HEIGHT, Qt::white);
    QPainter p(&image);
    prepare(p);
    p.setPen(Qt::NoPen);
    p.fillRect(QRectF(0, FLAG_HEIGHT / 2.0, FLAG_WIDTH, FLAG_HEIGHT / 2.0), QColor(215, 20, 26));
    p.setBrush(QColor(17, 69, 126));
    p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(FLAG_WIDTH / 2.0, FLAG_HEIGHT / 2.0), QPointF(0, FLAG_HEIGHT)}));
    frameFlag(p);
    return image;
}

QImage germanFlag()
{
    QImage image = blankImage(FLAG_WIDTH, FLAG_HEIGHT);
    QPainter p(&image);
    const qreal band = FLAG_HEIGHT / 3.0;
    p.fillRect(QRectF(0, 0, FLAG_WIDTH, band), QColor(0, 0, 0));
    p.fillRect(QRectF(0, band, FLAG_WIDTH, band), QColor(221, 0, 0));
    p.fillRect(QRectF(0, 2 * band, FLAG_WIDTH, FLAG_HEIGHT - 2 * band), QColor(255, 206, 0));
    frameFlag(p);
    return image;
}

QImage britishFlag()
{
    QImage image = blankImage(FLAG_WIDTH, FLAG_HEIGHT, QColor(1, 33, 105));
    QPainter p(&image);
    prepare(p);
    p.setClipRect(QRect(0, 0, FLAG_WIDTH, FLAG_HEIGHT));
    const QColor red(200, 16, 46);
    const QLineF diagonal1(0, 0, FLAG_WIDTH, FLAG_HEIGHT);
    const QLineF diagonal2(0, FLAG_HEIGHT, FLAG_WIDTH, 0);

    // Saltires: a broad white band with a narrow red one inside.
    p.setPen(QPen(Qt::white, 8.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(diagonal1);
    p.drawLine(diagonal2);
    p.setPen(QPen(red, 2.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(diagonal1);
    p.drawLine(diagonal2);

    // Upright cross: white fimbriation, red centre.
    const qreal cx = FLAG_WIDTH / 2.0;
    const qreal cy = FLAG_HEIGHT / 2.0;
    p.setPen(Qt::NoPen);
    p.fillRect(QRectF(cx - 6.5, 0, 13, FLAG_HEIGHT), Qt::white);
    p.fillRect(QRectF(0, cy - 6.5, FLAG_WIDTH, 13), Qt::white);
    p.fillRect(QRectF(cx - 4, 0, 8, FLAG_HEIGHT), red);
    p.fillRect(QRectF(0, cy - 4, FLAG_WIDTH, 8), red);
    p.setClipping(false);
    frameFlag(p);
    return image;
}

QImage frenchFlag()
{
    QImage image = blankImage(FLAG_WIDTH, FLAG_HEIGHT);
    QPainter p(&image);
    const qreal band = FLAG_WIDTH / 3.0;
    p.fillRect(QRectF(0, 0, band, FLAG_HEIGHT), QColor(0, 38, 84));
    p.fillRect(QRectF(band, 0, band, FLAG_HEIGHT), Qt::white);
    p.fillRect(QRectF(2 * band, 0, FLAG_WIDTH - 2 * band, FLAG_HEIGHT), QColor(237, 41, 57));
    frameFlag(p);
    return image;
}

// Placeholder for a language without a picture of its own.
QImage noIcon()
{
    QImage image = blankImage(FLAG_WIDTH, FLAG_HEIGHT, Palette::nearWhite());
    QPainter p(&image);
    prepare(p);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::grey(), 1.5, Qt::DashLine));
    p.drawRect(QRectF(1.5, 1.5, FLAG_WIDTH - 3, FLAG_HEIGHT - 3));
    drawFittedText(p, QRectF(4, 4, FLAG_WIDTH - 8, FLAG_HEIGHT - 8), QStringLiteral("?"), Palette::grey(), 26);
    return image;
}

// The measuring curve of the banner: a damped swing settling on a level.
QPainterPath curve(const QRectF& area)
{
    QPainterPath path;
    const int steps = 120;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const qreal swing = qExp(-2.6 * t) * qSin(t * 5.0 * M_PI);
        const QPointF point(area.left() + t * area.width(), area.center().y() - swing * area.height() / 2.0);
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    return path;
}

QImage loginBanner()
{
    const int width = 960;
    const int height = 240;
    QImage image = blankImage(width, height, Palette::white());
    QPainter p(&image);
    prepare(p);

    // Emblem: a green disc with a white gauge needle and scale.
    const QPointF centre(150, 120);
    const qreal radius = 88;
    QLinearGradient disc(centre.x(), centre.y() - radius, centre.x(), centre.y() + radius);
    disc.setColorAt(0.0, Palette::green().lighter(135));
    disc.setColorAt(1.0, Palette::darkGreen());
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    p.drawEllipse(centre, radius, radius);

    p.setPen(QPen(Palette::white(), 7.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF scale(centre.x() - 60, centre.y() - 60, 120, 120);
    p.drawArc(scale, 210 * 16, -240 * 16);
    for (int i = 0; i <= 6; ++i) {
        const qreal angle = qDegreesToRadians(210.0 - i * 40.0);
        const QPointF outer(centre.x() + 60 * qCos(angle), centre.y() - 60 * qSin(angle));
        const QPointF inner(centre.x() + 46 * qCos(angle), centre.y() - 46 * qSin(angle));
        p.setPen(QPen(Palette::white(), i % 3 == 0 ? 5.0 : 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(inner, outer);
    }
    const qreal needle = qDegreesToRadians(55.0);
    p.setPen(QPen(Palette::white(), 6.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, QPointF(centre.x() + 52 * qCos(needle), centre.y() - 52 * qSin(needle)));
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::white());
    p.drawEllipse(centre, 9, 9);

    // Name of the product.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    const QRectF nameArea(290, 30, 630, 130);
    for (int size = 104; size > 20; size -= 2) {
        font.setPixelSize(size);
        if (QFontMetricsF(font).horizontalAdvance(QStringLiteral("TEVARO500")) <= nameArea.width())
            break;
    }
    p.setFont(font);
    p.setPen(Palette::green());
    p.drawText(nameArea, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TEVARO500"));

    // The curve under the name, in the grey of the page.
    p.setPen(QPen(Palette::grey(), 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve(QRectF(294, 158, 626, 64)));
    return image;
}

} // namespace

QVector<Picture> loginPictures()
{
    return {
        stillPicture(QStringLiteral("background/Logo_Anmeldebilschirm_960x240 - V2.0.png"), loginBanner),
        stillPicture(QStringLiteral("../lang/cs_CS/cs_CS.png"), czechFlag),
        stillPicture(QStringLiteral("../lang/de_DE/de_DE.png"), germanFlag),
        stillPicture(QStringLiteral("../lang/en_GB/en_GB.png"), britishFlag),
        stillPicture(QStringLiteral("../lang/fr_FR/fr_FR.png"), frenchFlag),
        stillPicture(QStringLiteral("../lang/NoIcon.png"), noIcon),
    };
}
