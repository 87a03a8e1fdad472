// picrender <pic folder>: draws every picture of the resources and checks that
// each file reads back as drawn.
#include "ChartPanelPictures.h"
#include "GifWriter.h"
#include "LoggerPictures.h"
#include "PictureSet.h"
#include "UserMenuPictures.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QTextStream>

namespace {

int maxChannelDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            worst = qMax(worst, qAbs(qRed(p) - qRed(q)));
            worst = qMax(worst, qAbs(qGreen(p) - qGreen(q)));
            worst = qMax(worst, qAbs(qBlue(p) - qBlue(q)));
            worst = qMax(worst, qAbs(qAlpha(p) - qAlpha(q)));
        }
    return worst;
}

bool readsBack(const QString& file, const QVector<QImage>& frames, QString* error)
{
    QImageReader reader(file);
    for (int i = 0; i < frames.size(); ++i) {
        QImage got;
        if (!reader.read(&got)) {
            *error = QString("frame %1 unreadable: %2").arg(i).arg(reader.errorString());
            return false;
        }
        if (got.size() != frames[i].size() || maxChannelDifference(got, frames[i]) > 16) {
            *error = QString("frame %1 differs from the drawing").arg(i);
            return false;
        }
    }
    return true;
}

// A BMP keeps no alpha: its drawing must cover every pixel.
bool writeBmp(const QString& file, const QVector<QImage>& frames, QString* error)
{
    if (frames.size() != 1) {
        *error = "a BMP holds one frame";
        return false;
    }
    const QImage image = frames.first().convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < image.height(); ++row)
        for (int col = 0; col < image.width(); ++col)
            if (qAlpha(image.pixel(col, row)) != 255) {
                *error = QString("pixel %1,%2 is not opaque").arg(col).arg(row);
                return false;
            }
    if (!image.convertToFormat(QImage::Format_RGB32).save(file, "BMP")) {
        *error = "cannot write the BMP";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: picrender <pic folder>\n";
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));

    QVector<Picture> all = iconPictures();
    all += flagPictures();
    all += ringPictures();
    all += loginPictures();
    all += homePictures();
    all += frameIconPictures();
    all += configPictures();
    all += chartPanelPictures();
    all += userMenuPictures();
    all += loggerPictures();

    int failures = 0;
    for (const Picture& picture : all) {
        const QString file = root.filePath(picture.path);
        QDir().mkpath(QFileInfo(file).absolutePath());
        const QVector<QImage> frames = picture.frames();
        QString error;
        bool ok = false;
        if (picture.path.endsWith(".gif"))
            ok = GifWriter::write(file, frames, picture.delayMs, &error);
        else if (picture.path.endsWith(".bmp"))
            ok = writeBmp(file, frames, &error);
        else if (!(ok = frames.size() == 1 && frames.first().save(file, "PNG")))
            error = "cannot write the PNG";
        if (ok)
            ok = readsBack(file, frames, &error);
        if (!ok) {
            err << picture.path << ": " << error << "\n";
            ++failures;
        }
    }
    QTextStream(stdout) << all.size() - failures << " of " << all.size() << " pictures written\n";
    return failures == 0 ? 0 : 1;
}
