#pragma once

// JSON literals of the tests. In quoted literals a single quote stands for a
// double quote, which keeps the texts readable; text that does not parse
// gives null.

#include <json/json.h>

#include <QString>

inline Json::Value parse(const QString& text)
{
    Json::Value value;
    Json::Reader().parse(text.toStdString(), value);
    return value;
}

inline Json::Value parseQuoted(QString text)
{
    return parse(text.replace(QLatin1Char('\''), QLatin1Char('"')));
}
