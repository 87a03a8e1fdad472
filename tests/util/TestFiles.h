#pragma once

// Whole files read and written by the tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// The file's content; empty when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes content, making the folder first; false when that failed.
inline bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(content) == content.size();
}
