#include "PictureSet.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

Picture stillPicture(const QString& path, std::function<QImage()> draw)
{
    return Picture{path, [draw] { return QVector<QImage>{draw()}; }, 0};
}

QImage blankImage(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void prepare(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
}

void drawFittedText(QPainter& painter, const QRectF& rect, const QString& text,
                    const QColor& colour, qreal maxPixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    qreal pixelSize = maxPixelSize;
    for (; pixelSize > 4.0; pixelSize -= 0.5) {
        font.setPixelSize(qRound(pixelSize));
        if (QFontMetricsF(font).horizontalAdvance(text) <= rect.width())
            break;
    }
    font.setPixelSize(qRound(pixelSize));
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(rect, Qt::AlignCenter, text);
}
