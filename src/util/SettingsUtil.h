#pragma once

#include <QString>
#include <QVariant>

// The settings store: one INI file, "TEVARO500.ini" in the subfolder "Ini" of
// the data folder, shared by the whole process. Every access is serialised, so
// any thread may read or write a setting.
class SettingsUtil
{
public:
    // Writes value and syncs the file at once.
    static void setValue(const QString& key, const QVariant& value);
    // The stored value; when the key holds no value, defaultValue is written
    // back and returned.
    static QVariant getValue(const QString& key, const QVariant& defaultValue);
};
