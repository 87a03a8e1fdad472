#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

// The settings store: one INI file, "TEVARO500.ini" in the subfolder "Ini" of
// the data folder, shared by the whole process. Every access is serialised by
// one mutex, so any thread may read or write a setting.
//
// The class itself is an empty handle; workers keep a pointer to the shared
// handle (instance()), everything else uses the static operations.
class SettingsUtil
{
public:
    // The shared handle, created on first use; every call counts one use.
    // Nothing releases it: it lives until the process ends.
    static SettingsUtil* instance();
    static int useCount();

    // Writes value and syncs the file at once; an invalid value leaves the key empty.
    static void setValue(const QString& key, const QVariant& value);
    // The stored value; when the key holds no value, defaultValue is written
    // back and returned.
    static QVariant getValue(const QString& key, const QVariant& defaultValue);
    // The elements' texts joined with ",".
    static QString listToString(const QVariantList& list);
    // The stored text split at "," (empty parts kept), each part a QString;
    // a key without a value gets the joined default written back.
    static QVariantList getValueList(const QString& key, const QVariantList& defaultValue);

    // The path of the settings file.
    static QString fileName();

private:
    SettingsUtil() = default;
};
