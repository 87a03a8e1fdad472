#pragma once

#include <QFileDevice>
#include <QString>

// File helpers of the client's data folder. Every operation reports its
// failures itself, as one warning in fixed words, and returns false.
class FileUtil
{
public:
    // The data folder: the writable generic data location + "/TEVARO500".
    // Computed on first use, so the environment of the running process (and of
    // each test) decides where it is.
    static QString basePath();

    static bool createPath(const QString& path);
    // With create, the folder is created when missing.
    static bool dirExists(const QString& path, bool create);
    // With create, a missing file is created empty (with its folder).
    static bool fileExists(const QString& path, bool create);
    // An empty new file; false without a word when it already exists.
    static bool createFile(const QString& path, bool createPath);
    // Never overwrites: an existing destination makes the copy fail. The copy
    // is made readable and writable by its owner.
    static bool copyFile(const QString& source, const QString& destination, bool createPath);
    static bool renameFile(const QString& source, const QString& destination);
    static bool deleteFile(const QString& path);
    // Moves destination aside to destination + ".bak" (an older ".bak" is
    // deleted first) and copies source in its place. When the copy fails the
    // ".bak" is put back, so the old file is never lost.
    static bool replaceWithBackup(const QString& source, const QString& destination);
    // True for NoError; otherwise one warning naming caller, error and files.
    static bool checkFileError(QFileDevice::FileError error, QString caller, QString file, QString destination);

private:
    // The folder part of path, before its last "/".
    static QString folderOf(const QString& path);
};
