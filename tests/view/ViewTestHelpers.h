#pragma once

// The picture a button shows, for the screen tests that watch the header's
// ring-buffer and page buttons.

#include <QAbstractButton>
#include <QIcon>
#include <QMovie>

namespace viewtest {

inline QImage pictureOf(const QIcon& icon)
{
    return icon.pixmap(31, 31).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The button shows the picture, or for an animation any of its frames.
inline bool shows(const QAbstractButton* button, const QString& picture)
{
    const QImage shown = pictureOf(button->icon());
    QMovie movie(picture);
    if (movie.isValid() && movie.frameCount() > 1) {
        for (int frame = 0; frame < movie.frameCount(); ++frame) {
            movie.jumpToFrame(frame);
            if (pictureOf(QIcon(movie.currentPixmap())) == shown)
                return true;
        }
        return false;
    }
    const QImage expected = pictureOf(QIcon(picture));
    return !expected.isNull() && shown == expected;
}

} // namespace viewtest
