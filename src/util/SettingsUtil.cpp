#include "util/SettingsUtil.h"

#include "util/FileUtil.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSettings>

namespace {

QMutex& settingsMutex()
{
    static QMutex mutex;
    return mutex;
}

// Created on first use, never destroyed; the caller holds settingsMutex().
QSettings* settings()
{
    static QSettings* const store = new QSettings(
        FileUtil::basePath() + QStringLiteral("/Ini/TEVARO500.ini"), QSettings::IniFormat);
    return store;
}

void setValueLocked(const QString& key, const QVariant& value)
{
    settings()->setValue(key, value);
    settings()->sync();
}

} // namespace

void SettingsUtil::setValue(const QString& key, const QVariant& value)
{
    QMutexLocker locker(&settingsMutex());
    setValueLocked(key, value);
}

QVariant SettingsUtil::getValue(const QString& key, const QVariant& defaultValue)
{
    QMutexLocker locker(&settingsMutex());
    const QVariant stored = settings()->value(key, QString());
    if (stored.isNull()) {
        setValueLocked(key, defaultValue);
        return defaultValue;
    }
    return stored;
}
