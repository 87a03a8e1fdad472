#pragma once

// Test data as JSON text: parsing it (a broken literal stops the test run)
// and writing a value back as compact text for comparisons.

#include <json/json.h>

#include <QByteArray>
#include <QtGlobal>

inline Json::Value fromText(const QByteArray& text)
{
    Json::Value value;
    Json::Reader reader;
    if (!reader.parse(text.toStdString(), value))
        qFatal("test data is no JSON: %s", text.constData());
    return value;
}

inline QByteArray compact(const Json::Value& value)
{
    Json::FastWriter writer;
    writer.omitEndingLineFeed();
    return QByteArray::fromStdString(writer.write(value));
}
