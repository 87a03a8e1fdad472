#pragma once

#include <json/json.h>

#include <QByteArray>
#include <QString>

// JSON-to-text helpers for request bodies: the compact one-line form of the
// JSON writer, which ends with a line feed.
class ZZJSON
{
public:
    static QString toQString(const Json::Value& value);
    static QByteArray toByteArray(const Json::Value& value);
    // Indented form, for log messages.
    static QString toStyledQString(const Json::Value& value);
};
