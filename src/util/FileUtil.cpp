#include "util/FileUtil.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtDebug>

QString FileUtil::basePath()
{
    static const QString path =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/TEVARO500");
    return path;
}

bool FileUtil::createPath(const QString& path)
{
    if (QDir().mkpath(path))
        return true;
    qWarning().noquote() << QStringLiteral("Failure while creating path: ") + path;
    return false;
}

bool FileUtil::dirExists(const QString& path, bool create)
{
    if (create)
        return createPath(path);
    return QDir(path).exists();
}

bool FileUtil::fileExists(const QString& path, bool create)
{
    if (QFile::exists(path))
        return true;
    return create && createFile(path, true);
}

bool FileUtil::createFile(const QString& path, bool createPath)
{
    if (QFile::exists(path))
        return false;
    if (createPath && !FileUtil::createPath(folderOf(path)))
        return false;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.close();
    return checkFileError(file.error(), QStringLiteral("static bool FileUtil::createFile(const QString&, bool)"),
                          path, QString());
}

bool FileUtil::copyFile(const QString& source, const QString& destination, bool createPath)
{
    if (!QFile::exists(source)) {
        qWarning().noquote() << QStringLiteral("Source file does not exist.") + QStringLiteral("\nFile: ") + source;
        return false;
    }
    if (createPath)
        FileUtil::createPath(folderOf(destination));

    QFile file(source);
    if (!file.copy(destination)) {
        // QFile reports an existing destination as a copy error too.
        QFileDevice::FileError error = file.error();
        if (error == QFileDevice::NoError)
            error = QFileDevice::CopyError;
        return checkFileError(error,
                              QStringLiteral("static bool FileUtil::copyFile(const QString&, const QString&, bool)"),
                              source, destination);
    }
    // Files from the resources are read-only; the copy must be replaceable.
    QFile::setPermissions(destination, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

bool FileUtil::renameFile(const QString& source, const QString& destination)
{
    QFile file(source);
    QFileDevice::FileError error = QFileDevice::NoError;
    if (!file.rename(destination)) {
        error = file.error();
        if (error == QFileDevice::NoError)
            error = QFileDevice::RenameError;
    }
    return checkFileError(error, QStringLiteral("static bool FileUtil::renameFile(const QString&, const QString&)"),
                          source, destination);
}

bool FileUtil::deleteFile(const QString& path)
{
    QFile file(path);
    QFileDevice::FileError error = QFileDevice::NoError;
    if (!file.remove()) {
        error = file.error();
        if (error == QFileDevice::NoError)
            error = QFileDevice::RemoveError;
    }
    return checkFileError(error, QStringLiteral("static bool FileUtil::deleteFile(const QString&)"), path,
                          QString());
}

bool FileUtil::replaceWithBackup(const QString& source, const QString& destination)
{
    const QString backup = destination + QStringLiteral(".bak");
    if (QFile::exists(backup))
        deleteFile(backup);
    if (!renameFile(destination, backup))
        return false;
    if (copyFile(source, destination, true))
        return true;
    renameFile(backup, destination);
    return false;
}

bool FileUtil::checkFileError(QFileDevice::FileError error, QString caller, QString file, QString destination)
{
    const QString fileLine = QStringLiteral("\nFile: ") + file;
    const QString pair = QStringLiteral("\nSource:      ") + file + QStringLiteral("\nDestination: ") + destination;

    QString text;
    switch (static_cast<int>(error)) {
    case QFileDevice::NoError:
        return true;
    case QFileDevice::ReadError:
        text = QStringLiteral("\nAn error occurred when reading from the file.") + fileLine;
        break;
    case QFileDevice::WriteError:
        text = QStringLiteral("\nAn error occurred when writing to the file.") + fileLine;
        break;
    case QFileDevice::FatalError:
        text = QStringLiteral("\nA fatal error occurred.");
        break;
    case QFileDevice::ResourceError:
        text = QStringLiteral("\nA ressource error occurred");
        break;
    case QFileDevice::OpenError:
        text = QStringLiteral("\nThe file could not be opened.") + fileLine;
        break;
    case QFileDevice::AbortError:
        text = QStringLiteral("\nThe operation was aborted.");
        break;
    case QFileDevice::TimeOutError:
        text = QStringLiteral("\nA timeout occurred.");
        break;
    case QFileDevice::UnspecifiedError:
        text = QStringLiteral("\nAn unspecified error occurred.");
        break;
    case QFileDevice::RemoveError:
        text = QStringLiteral("\nThe file could not be removed.") + fileLine;
        break;
    case QFileDevice::RenameError:
        text = QStringLiteral("\nThe file could not be renamed.") + pair;
        break;
    case QFileDevice::PositionError:
        text = QStringLiteral("\nThe position in the file could not be changed.") + fileLine;
        break;
    case QFileDevice::ResizeError:
        text = QStringLiteral("\nThe file could not be resized.") + fileLine;
        break;
    case QFileDevice::PermissionsError:
        text = QStringLiteral("\nThe file could not be accessed.") + fileLine;
        break;
    case QFileDevice::CopyError:
        text = QStringLiteral("\nThe file could not be copied.") + pair;
        break;
    default:
        text = QStringLiteral("\nAn unknown error occurred.") + QStringLiteral("\nError Code:  ")
               + QString::number(static_cast<int>(error)) + pair;
        break;
    }
    qWarning().noquote() << caller + text;
    return false;
}

QString FileUtil::folderOf(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}
