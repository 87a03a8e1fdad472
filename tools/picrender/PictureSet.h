#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QVector>

#include <functional>

class QPainter;

// One picture of the resources: where it goes and how it is drawn.
struct Picture
{
    QString path;                            // below the pic folder, e.g. "icon/trash.png"
    std::function<QVector<QImage>()> frames; // one frame for a PNG or BMP, several for a GIF
    int delayMs = 0;                         // frame time of an animation
};

QVector<Picture> iconPictures();
QVector<Picture> flagPictures();
QVector<Picture> ringPictures();
QVector<Picture> loginPictures();
QVector<Picture> homePictures();
QVector<Picture> frameIconPictures();
QVector<Picture> configPictures();

// A picture of one frame, drawn by draw.
Picture stillPicture(const QString& path, std::function<QImage()> draw);

// Drawing helpers shared by the picture groups.
QImage blankImage(int width, int height, const QColor& fill = Qt::transparent);
void prepare(QPainter& painter);
// Draws bold text centred in rect, shrinking it until it fits.
void drawFittedText(QPainter& painter, const QRectF& rect, const QString& text,
                    const QColor& colour, qreal maxPixelSize);
