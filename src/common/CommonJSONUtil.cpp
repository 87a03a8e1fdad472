#include "common/CommonJSONUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/LogRedaction.h"
#include "common/TelegramBuilder.h"
#include "common/ZZJSON.h"
#include "json/JSONObject.h"

#include <QFile>
#include <QSaveFile>
#include <QRegularExpression>
#include <QtDebug>

#include <exception>
#include <memory>
#include <string>
#include <vector>

using KORVALIS::JSON::JSONObject;

CommonJSONUtil::CommonJSONUtil(QObject* parent)
    : QObject(parent), document(new JSONObject())
{
}

CommonJSONUtil::CommonJSONUtil(JSONObject* ownedDocument, QObject* parent)
    : QObject(parent), document(ownedDocument ? ownedDocument : new JSONObject())
{
}

CommonJSONUtil::CommonJSONUtil(const Json::Value& value, QObject* parent)
    : QObject(parent), document(new JSONObject(value))
{
}

CommonJSONUtil::CommonJSONUtil(const QString& fileName, QObject* parent)
    : QObject(parent), document(new JSONObject())
{
    QFile file(fileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        fileState = FILE_UNREADABLE;
        qWarning().noquote() << "Could not read JSON file" << fileName << ":" << file.errorString();
        return;
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fileState = FILE_UNREADABLE;
        qWarning().noquote() << "Could not read JSON file" << fileName << ":" << file.errorString();
        return;
    }
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    if (data.trimmed().isEmpty())
        return;

    // Strict: a file cut short or followed by anything else is not taken as
    // whatever part of it happens to parse.
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["failIfExtra"] = true;
    Json::Value value;
    std::string errors;
    bool ok = false;
    try {
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        ok = reader->parse(data.constData(), data.constData() + data.size(), &value, &errors);
    } catch (const std::exception& e) {
        ok = false;   // nesting beyond the reader's limit
        errors = e.what();
    }
    if (!ok) {
        fileState = FILE_UNREADABLE;
        qWarning().noquote() << "Could not parse JSON file" << fileName << ":"
                             << QString::fromStdString(errors).simplified();
        return;
    }
    document->swapJSON(value);
    fileState = FILE_PARSED;
}

CommonJSONUtil::~CommonJSONUtil()
{
    delete document;
}

bool CommonJSONUtil::getJSONbyPath(const QString& path, QVector<Json::Value>& values, QVector<QString>& paths)
{
    if (path.isEmpty())
        return false;

    std::vector<Json::Value> hits;
    std::vector<std::string> hitPaths;
    bool ok = false;
    try {
        ok = document->query(path.toStdString(), hits, &hitPaths);
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok) {
        reportFailedQuery(path);
        return false;
    }

    values.clear();
    values.reserve(static_cast<int>(hits.size()));
    for (Json::Value& hit : hits)
        values.append(std::move(hit));
    for (const std::string& hitPath : hitPaths)
        paths.append(QString::fromStdString(hitPath));
    return !values.isEmpty();
}

bool CommonJSONUtil::getJSONbyPath(const QString& path, QVector<Json::Value>& values)
{
    QVector<QString> paths;
    return getJSONbyPath(path, values, paths);
}

bool CommonJSONUtil::getJSONbyPath(const QString& path, Json::Value& value)
{
    QVector<Json::Value> values;
    const bool found = getJSONbyPath(path, values);
    if (values.size() == 1)
        value.swap(values.first());
    else if (values.size() > 1)
        qWarning().noquote() << "It was returned more than 1 JSON-Object " + path;
    return found;
}

Json::Value* CommonJSONUtil::getJSON()
{
    return document->getJSON();
}

Json::Value CommonJSONUtil::getSnapshot() const
{
    return document->snapshot();
}

QString CommonJSONUtil::getGenericPath(const QString& path)
{
    static const QRegularExpression index(QStringLiteral("(\\[[0-9]+\\])"));
    QString generic = path;
    generic.replace(index, QStringLiteral("[*]"));
    return generic;
}

bool CommonJSONUtil::getValueByKeyPath(const Json::Value& source, Json::Value& out, const QString& keyPath)
{
    if (!source.isObject())
        return false;
    const QStringList parts = keyPath.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return true;

    const Json::Value* node = &source;
    for (const QString& part : parts) {
        if (!node->isObject()) {
            out = *node;
            return false;
        }
        node = &(*node)[part.toStdString()];   // const access: a missing member reads as null
    }
    out = *node;
    return true;
}

bool CommonJSONUtil::getJsonFromByteArray(const QByteArray& data, Json::Value& value)
{
    const std::string text(data.constData(), static_cast<size_t>(data.size()));
    Json::Reader reader;
    bool ok = false;
    try {
        ok = reader.parse(text, value, true);
    } catch (const std::exception&) {
        ok = false;   // the reader throws on nesting beyond its stack limit
    }
    if (!ok) {
        value = Json::Value();
        qWarning().noquote() << "Problem while parse JSON: \n" + LogRedaction::forLog(QString::fromUtf8(data));
    }
    return ok;
}

void CommonJSONUtil::appendJson(const Json::Value& value, const QString& path)
{
    Json::Value telegram = TelegramBuilder::makeTemplate();
    TelegramBuilder::appendSet(telegram, path, value, TelegramBuilder::LOCAL);

    bool ok = false;
    std::vector<KORVALIS::JSON::TelegramResult> results;
    try {
        ok = document->applyTelegram(telegram, document->getJSON(), &results);
    } catch (const std::exception&) {
        ok = false;
    }
    for (const KORVALIS::JSON::TelegramResult& result : results)
        ok = ok && result.result == KORVALIS::JSON::TelegramResult::Applied;
    if (!ok) {
        qWarning().noquote() << QStringLiteral("JSON telegram could not be added to MasterJSON \n%1")
                                    .arg(LogRedaction::forLog(ZZJSON::toStyledQString(value)));
    }
}

void CommonJSONUtil::clear()
{
    AnnotatedMutexLocker locker(&mutex);
    document->clear();
}

bool CommonJSONUtil::saveJson(QString fileName)
{
    return writeJsonFile(fileName, document->snapshot());
}

bool CommonJSONUtil::writeJsonFile(const QString& fileName, const Json::Value& tree)
{
    if (fileName.isEmpty())
        return false;
    // Written whole or not at all.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning().noquote() << "Not able to open File at " + fileName + ": " + file.errorString();
        return false;
    }
    const std::string text = tree.toStyledString();
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())
        || !file.commit()) {
        qWarning().noquote() << "Not able to write File at " + fileName + ": " + file.errorString();
        return false;   // the old file stays as it was
    }
    return true;
}

void CommonJSONUtil::reportFailedQuery(const QString& path)
{
    AnnotatedMutexLocker locker(&mutex);
    qWarning().noquote() << "Failure during access at JSON Path: " + path + " JSON:\n"
                                + LogRedaction::forLog(QString::fromStdString(document->toString()));
}
