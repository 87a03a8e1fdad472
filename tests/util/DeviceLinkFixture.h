#pragma once

// A client (TevaroApp with its device link) pointed at a freshly started
// device simulator through the settings file of the test's own data folder.
// Poll and receive intervals are short so a test runs in seconds.

#include "SimulatorClientSettings.h"
#include "SimulatorProcess.h"

#include "common/ZZJSON.h"
#include "util/HTTPRequestUtil.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"

#include <QObject>
#include <QStringList>
#include <QTest>

#include <memory>

class DeviceLinkFixture
{
public:
    explicit DeviceLinkFixture(const QStringList& simulatorArguments = {QStringLiteral("--paused")})
        : simulator(simulatorArguments)
    {
    }

    ~DeviceLinkFixture()
    {
        app.reset();   // ends the threads before the simulator goes
        simulator.stop();
    }

    // Starts the simulator and the client; replyTimeoutMs bounds every reply.
    bool setUp(int replyTimeoutMs = 5000)
    {
        if (!simulator.start())
            return false;
        pointClientAtSimulator(simulator);
        app.reset(new TevaroApp());
        http()->setReplyTimeout(replyTimeoutMs);
        return true;
    }

    JSONUtil* json() { return app->getJSONUtil(); }
    HTTPRequestUtil* http() { return json()->getHTTPRequestUtil(); }
    UserRoleUtil* rights() { return app->getUserRoleUtil(); }

    // Sends a login and evaluates the answer as the login screen does. The
    // number of loginAvailable signals seen is left in loginAnswers.
    bool login(const QString& user, const QString& password, int waitMs = 5000)
    {
        Json::Value data(Json::objectValue);
        data["USER"] = user.toStdString();
        data["PASS"] = password.toStdString();
        return evaluateLogin([&] { json()->login(data); }, waitMs);
    }

    // settleMs: how long to wait after the first answer for a spurious second one.
    template <typename Send>
    bool evaluateLogin(Send send, int waitMs = 5000, int settleMs = 0)
    {
        loginAnswers = 0;
        Json::Value answer;
        QMetaObject::Connection connection = QObject::connect(
            json(), &JSONUtil::loginAvailable, [&](Json::Value& reply) { answer = reply; ++loginAnswers; });
        send();
        (void)QTest::qWaitFor([this] { return loginAnswers > 0; }, waitMs);   // a timeout shows as no answer
        if (settleMs > 0)
            QTest::qWait(settleMs);
        QObject::disconnect(connection);

        bool ok = false;
        QString token;
        rights()->checkAndSetLogin(answer, ok, token);
        json()->setToken(ok ? token : QString());
        if (!ok)
            rights()->reset();
        return ok;
    }

    // Logs in as admin and starts communication; waits until every initial
    // path is in the mirror.
    bool startSession(int waitMs = 10000)
    {
        if (!login(QStringLiteral("admin"), QStringLiteral("admin")))
            return false;
        app->start();
        const Json::Value initial = simulator.treeValues(QStringLiteral("$.IPTH"));
        if (!initial.isArray() || initial.size() != 1 || !initial[0].isArray())
            return false;
        return waitUntil([&] {
            QVector<Json::Value> values;
            for (const Json::Value& path : initial[0])
                if (!json()->getMasterJSONbyPath(QString::fromStdString(path.asString()), values, false))
                    return false;
            return true;
        }, waitMs);
    }

    template <typename Condition>
    static bool waitUntil(Condition condition, int waitMs = 5000)
    {
        return QTest::qWaitFor(condition, waitMs);
    }

    // The requests the simulator received on one endpoint ("data", "path", ...), oldest first.
    Json::Value requests(const QString& endpoint)
    {
        Json::Value selected(Json::arrayValue);
        const std::string path = "/webservice/" + endpoint.toStdString();
        for (const Json::Value& request : simulator.requestLog())
            if (request["path"].asString() == path)
                selected.append(request);
        return selected;
    }

    Json::Value mirror(const QString& path)
    {
        Json::Value value;
        json()->getMasterJSONbyPath(path, value, false);
        return value;
    }

    SimulatorProcess simulator;
    std::unique_ptr<TevaroApp> app;
    int loginAnswers = 0;
};
