#pragma once

// What the simulator tests share: JSON written into a test, and a started
// simulator with the administrator logged in, read as the client reads it.

#include "SimulatorProcess.h"

#include <json/json.h>

#include <QByteArray>
#include <QList>
#include <QStringList>

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

// The path of every SET in a list of telegrams, in order.
inline QStringList setPaths(const Json::Value& telegrams)
{
    QStringList paths;
    for (const auto& set : SimulatorProcess::setsIn(telegrams))
        paths << set.first;
    return paths;
}

// The "ID" of every element of a list.
inline QList<qint64> idsOf(const Json::Value& list)
{
    QList<qint64> ids;
    for (const Json::Value& item : list)
        ids << item["ID"].asInt64();
    return ids;
}

// A simulator and the administrator's token. A test class inherits it
// (after QObject) and calls start() in initTestCase.
class SimulatorSession
{
protected:
    explicit SimulatorSession(const QStringList& arguments) : simulator(arguments) {}

    bool start() { return simulator.start() && !(token = simulator.login("admin", "admin")).isEmpty(); }
    qint64 currentId() { return simulator.data(token, -1).reqId; }
    // Every telegram the device has sent client (the administrator when empty)
    // after reqId, which then follows the answer.
    Json::Value changesSince(qint64& reqId, const QString& client = QString())
    {
        return simulator.waitFor(client.isEmpty() ? token : client, reqId, [](const Json::Value&) { return false; }, 0);
    }
    // The one node of the simulator's tree at a concrete path; null when there is none.
    Json::Value node(const QString& path)
    {
        const Json::Value values = simulator.treeValues(path);
        return values.size() == 1 ? values[0] : Json::Value();
    }
    // Posts telegram to endpoint as client; what the device then sent client (null: no 200).
    Json::Value send(const QString& endpoint, const QString& client, const Json::Value& telegram)
    {
        qint64 reqId = currentId();
        if (simulator.post(endpoint, client, telegram) != 200)
            return Json::Value();
        return changesSince(reqId, client);
    }
    Json::Value configWrite(const QString& client, const QString& path, const Json::Value& value)
    {
        return send(QStringLiteral("config"), client, SimulatorProcess::setTelegram(path, value));
    }

    SimulatorProcess simulator;
    QString token;
};
