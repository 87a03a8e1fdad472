#include "util/SettingsUtil.h"

#include "common/AnnotatedLocks.h"
#include "util/FileUtil.h"

#include <QAtomicInt>
#include <QMutex>
#include <QSettings>
#include <QStringList>
#include <QtDebug>

namespace {

QMutex& settingsMutex()
{
    static QMutex mutex;
    return mutex;
}

QAtomicInt handleUses;

// Created on first use, never destroyed; the caller holds settingsMutex().
QSettings* settings()
{
    static QSettings* const store = new QSettings(SettingsUtil::fileName(), QSettings::IniFormat);
    return store;
}

void setValueLocked(const QString& key, const QVariant& value)
{
    QSettings* store = settings();
    // An empty value is kept as an empty key: QSettings would write an
    // invalid QVariant as "@Invalid()", which no one editing the file expects.
    store->setValue(key, value.isValid() ? value : QVariant(QString()));
    store->sync();
    // The values stay in force for this run; say once that they are not kept.
    static bool reported = false;
    if (store->status() != QSettings::NoError && !reported) {
        reported = true;
        qWarning().noquote() << QStringLiteral("Settings file could not be written: ") + store->fileName();
    }
}

} // namespace

SettingsUtil* SettingsUtil::instance()
{
    static SettingsUtil* const handle = new SettingsUtil();
    handleUses.ref();
    return handle;
}

int SettingsUtil::useCount()
{
    return handleUses.loadAcquire();
}

QString SettingsUtil::fileName()
{
    return FileUtil::basePath() + QStringLiteral("/Ini/TEVARO500.ini");
}

void SettingsUtil::setValue(const QString& key, const QVariant& value)
{
    AnnotatedMutexLocker locker(&settingsMutex());
    setValueLocked(key, value);
}

QVariant SettingsUtil::getValue(const QString& key, const QVariant& defaultValue)
{
    AnnotatedMutexLocker locker(&settingsMutex());
    const QVariant stored = settings()->value(key, QString());
    if (stored.isNull()) {
        setValueLocked(key, defaultValue);
        return defaultValue;
    }
    return stored;
}

QString SettingsUtil::listToString(const QVariantList& list)
{
    QStringList texts;
    texts.reserve(list.size());
    for (const QVariant& element : list)
        texts.append(element.toString());
    return texts.join(QLatin1Char(','));
}

QVariantList SettingsUtil::getValueList(const QString& key, const QVariantList& defaultValue)
{
    const QVariant stored = getValue(key, listToString(defaultValue));
    // A list typed into the file without quotes reads back as a string list.
    const QString text = stored.type() == QVariant::StringList
                             ? stored.toStringList().join(QLatin1Char(','))
                             : stored.toString();
    QVariantList result;
    const QStringList parts = text.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
    for (const QString& part : parts)
        result.append(QVariant(part));
    return result;
}
