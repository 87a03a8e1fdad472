// The 26 x 26 channel-function flags of the measured-value display.
#include "Palette.h"
#include "PictureSet.h"

#include <QPainter>
#include <QPainterPath>

namespace {

enum class Look {
    Alarm,    // alarm functions: white on the status red
    Function, // active functions: white on green
    Pending   // the "_" variants: green outline on white
};

void drawBadge(QPainter& p, Look look)
{
    const QRectF r(1, 1, 24, 24);
    if (look == Look::Pending) {
        p.setPen(QPen(Palette::green(), 2.0));
        p.setBrush(Palette::white());
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 4, 4);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(look == Look::Alarm ? Palette::statusRed() : Palette::green());
        p.drawRoundedRect(r, 4, 4);
    }
}

QColor ink(Look look)
{
    return look == Look::Pending ? Palette::green() : Palette::white();
}

QImage textFlag(const QString& text, Look look)
{
    QImage image = blankImage(26, 26);
    QPainter p(&image);
    prepare(p);
    drawBadge(p, look);
    drawFittedText(p, QRectF(3, 3, 20, 20), text, ink(look), text.size() > 1 ? 11 : 15);
    return image;
}

QImage bellFlag()
{
    QImage image = blankImage(26, 26);
    QPainter p(&image);
    prepare(p);
    drawBadge(p, Look::Alarm);
    QPainterPath bell;
    bell.moveTo(7, 17);
    bell.cubicTo(8.5, 15.5, 8, 12, 8.5, 10.5);
    bell.cubicTo(9.5, 6.5, 16.5, 6.5, 17.5, 10.5);
    bell.cubicTo(18, 12, 17.5, 15.5, 19, 17);
    bell.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::white());
    p.drawPath(bell);
    p.drawEllipse(QPointF(13, 19), 2, 2);
    p.drawEllipse(QPointF(13, 6), 1.3, 1.3);
    return image;
}

// Damping: a sine wave that dies away.
QImage dampingFlag()
{
    QImage image = blankImage(26, 26);
    QPainter p(&image);
    prepare(p);
    drawBadge(p, Look::Function);
    QPainterPath wave;
    wave.moveTo(4, 13);
    wave.cubicTo(6, 3, 8, 3, 10, 13);
    wave.cubicTo(11.5, 19, 13, 19, 14.5, 13);
    wave.cubicTo(15.5, 10, 16.5, 10, 17.5, 13);
    wave.lineTo(22, 13);
    p.setPen(QPen(Palette::white(), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    return image;
}

Picture flag(const QString& name, std::function<QImage()> draw)
{
    return Picture{"measureflags/" + name + ".png", [draw] { return QVector<QImage>{draw()}; }, 0};
}

Picture textFlagPicture(const QString& name, const QString& text, Look look)
{
    return flag(name, [text, look] { return textFlag(text, look); });
}

} // namespace

QVector<Picture> flagPictures()
{
    const QString delta = QString(QChar(0x0394));
    const QString average = QString(QChar(0x00d8));
    return {
        flag("FlagAFAlarm", bellFlag),
        textFlagPicture("FlagAFDiff", delta, Look::Alarm),
        textFlagPicture("FlagAFMax", "MAX", Look::Alarm),
        textFlagPicture("FlagAFMin", "MIN", Look::Alarm),
        textFlagPicture("FlagAFMittel", average, Look::Alarm),
        textFlagPicture("FlagCP", "CP", Look::Function),
        textFlagPicture("FlagCP_", "CP", Look::Pending),
        textFlagPicture("FlagCT", "CT", Look::Function),
        textFlagPicture("FlagCT_", "CT", Look::Pending),
        textFlagPicture("FlagCTP", "CTP", Look::Function),
        textFlagPicture("FlagCTP_", "CTP", Look::Pending),
        textFlagPicture("FlagCJ", "CJ", Look::Function),
        flag("FlagDaempfung", dampingFlag),
        textFlagPicture("FlagKorr", "KOR", Look::Function),
        textFlagPicture("FlagMittel", average, Look::Function),
        textFlagPicture("FlagREF", "REF", Look::Function),
        textFlagPicture("FlagREL", "REL", Look::Function),
    };
}
