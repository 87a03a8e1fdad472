#pragma once

// A client without a session for the configuration worker's tests: the test
// fills the mirror by hand, logs a user's rights in without a device, builds
// tables synchronously and looks at the reads the builder queued.

#include "TestJson.h"

#include "util/DeviceConfigUtil.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"

#include <QObject>
#include <QStringList>

#include <memory>

class ConfigMirrorFixture
{
public:
    ConfigMirrorFixture() : app(new TevaroApp()) {}

    JSONUtil* json() { return app->getJSONUtil(); }
    UserRoleUtil* rights() { return app->getUserRoleUtil(); }

    // Rights as the login answer gives them; the defaults are the administrator's.
    // user: the answer's "US" member (id and name of the logged-in user).
    void login(qint64 role = 1, qint64 deactivated = 256, qint64 measure = 65536,
               const QString& user = QStringLiteral("{\"ID\": 1, \"NAME\": \"admin\"}"))
    {
        Json::Value answer = parse(QStringLiteral("{\"CLNT\":{\"TOKN\":\"t\",\"RIGT\":{}}}"));
        answer["CLNT"]["US"] = parse(user);
        answer["CLNT"]["RIGT"]["ROLE"]["AUT"] = Json::Int64(role);
        answer["CLNT"]["RIGT"]["DACT"]["AUT"] = Json::Int64(deactivated);
        answer["CLNT"]["RIGT"]["MEAS"]["AUT"] = Json::Int64(measure);
        bool ok = false;
        QString token;
        rights()->checkAndSetLogin(answer, ok, token);
    }

    // Empty mirror and request queue.
    void reset()
    {
        json()->clear();
        json()->clearRequests();
    }

    // Text merged at path as a change the device sends: nothing counts as read.
    void merge(const QString& path, const QString& text) { json()->appendJson(parse(text), path); }

    // The device's answer to a read of path: text merged there, and the read accepted.
    void fill(const QString& path, const QString& text)
    {
        merge(path, text);
        acceptRead(path);
    }

    // The device accepted a read of path (which may name many nodes) and it counts as read.
    void acceptRead(const QString& path)
    {
        json()->requestPath(path);
        int kind = 0;
        Json::Value telegram;
        QList<qint64> ids;
        json()->buildTelegram(kind, telegram, ids);
        const Json::Value& reads = telegram["INST"]["GET"]["VAL"];
        for (int i = 0; kind == REQUEST_PATH && i < ids.size(); ++i) {
            if (reads[i]["DEST"]["PATH"].asString() == path.toStdString())
                json()->removeRequests({ids.at(i)});
        }
    }

    // The paths of the reads queued so far, in order; the queue is emptied
    // without the device accepting them, so none counts as read.
    QStringList takeQueuedReads()
    {
        QStringList paths;
        for (;;) {
            int kind = 0;
            Json::Value telegram;
            QList<qint64> ids;
            json()->buildTelegram(kind, telegram, ids);
            if (kind == 0)
                break;
            for (const Json::Value& element : telegram["INST"]["GET"]["VAL"])
                paths << QString::fromStdString(element["DEST"]["PATH"].asString());
            json()->takeRequests(ids);
        }
        return paths;
    }

    // The mirror's value at path; null when there is none.
    Json::Value mirror(const QString& path)
    {
        Json::Value value;
        json()->getMasterJSONbyPath(path, value, false);
        return value;
    }

    // One batch of change notifications with that one path, as the device link delivers it.
    template <typename Worker>
    static void notify(Worker& worker, const QString& path, GlobalEnums::InstructionType type = GlobalEnums::SET)
    {
        worker.beforeJsonTelegramm();
        worker.jsonTelegramm(type, path);
        worker.afterJsonTelegramm();
    }

    // The device answers the configuration writes at the head of the queue:
    // they leave it, and their writers are told. Returns how many.
    int answerWrites()
    {
        int answered = 0;
        for (;;) {
            int kind = 0;
            Json::Value telegram;
            QList<qint64> ids;
            json()->buildTelegram(kind, telegram, ids);
            if (kind != REQUEST_CONFIG)
                return answered;
            json()->removeRequests(ids);
            answered += ids.size();
        }
    }

    // The next queued telegram, accepted by the device; kind 0 when the queue is empty.
    Json::Value takeTelegram(int& kind)
    {
        Json::Value telegram;
        QList<qint64> ids;
        json()->buildTelegram(kind, telegram, ids);
        json()->removeRequests(ids);
        return telegram;
    }

    // Builds the table for path on util's own thread; emitted tells whether a table came out.
    static TableStructure build(DeviceConfigUtil& util, const QString& path, bool* emitted = nullptr)
    {
        TableStructure table;
        bool got = false;
        const QMetaObject::Connection connection =
            QObject::connect(&util, QOverload<TableStructure&>::of(&DeviceConfigUtil::updateConfigTable),
                             [&](TableStructure& built) {
                                 table = built;
                                 got = true;
                             });
        util.processRequest(path);
        QObject::disconnect(connection);
        if (emitted)
            *emitted = got;
        return table;
    }

    std::unique_ptr<TevaroApp> app;
};
