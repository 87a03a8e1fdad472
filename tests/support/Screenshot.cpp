#include "Screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <QtDebug>

bool grabScreenshot(QWidget* widget, const QString& name)
{
    // Let pending layout and polish work finish, as the event loop does before painting.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QImage picture = widget->grab().toImage();
    if (picture.isNull() || picture.width() < 2 || picture.height() < 2) {
        qWarning().noquote() << "Screenshot" << name << "is empty";
        return false;
    }
    const QString folder = qEnvironmentVariable("TEVARO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return true;
    if (!QDir().mkpath(folder)) {
        qWarning().noquote() << "Cannot create the screenshot folder" << folder;
        return false;
    }
    const QString file = QDir(folder).filePath(name);
    if (!picture.save(file, "PNG")) {
        qWarning().noquote() << "Cannot save the screenshot" << file;
        return false;
    }
    return true;
}
