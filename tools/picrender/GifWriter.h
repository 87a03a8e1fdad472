#pragma once

#include <QImage>
#include <QString>
#include <QVector>

// Writes opaque frames of one size as a looping animated GIF (GIF89a).
// The LZW stream holds only literal codes with a clear code every few symbols,
// which keeps the encoder trivial; the pictures are small, so size does not matter.
class GifWriter
{
public:
    static bool write(const QString& path, const QVector<QImage>& frames, int delayMs,
                      QString* error);
};
