#pragma once

// JSON written into the simulator tests: a literal telegram parsed, and one
// telegram wrapped as the list the helpers of SimulatorProcess read.

#include <json/json.h>

#include <QByteArray>
#include <QtGlobal>

#include <memory>
#include <string>

// A JSON literal of the test; a typo in it stops the test at once.
inline Json::Value json(const QByteArray& text)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    if (!reader->parse(text.constData(), text.constData() + text.size(), &value, &errors))
        qFatal("Bad JSON in the test: %s", text.constData());
    return value;
}

// One telegram as a list of telegrams.
inline Json::Value listOf(const Json::Value& telegram)
{
    Json::Value list(Json::arrayValue);
    list.append(telegram);
    return list;
}
