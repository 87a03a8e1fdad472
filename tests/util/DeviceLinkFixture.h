#pragma once

// A client (TevaroApp with its device link) pointed at a freshly started
// device simulator through the settings file of the test's own data folder.
// Poll and receive intervals are short so a test runs in seconds.

#include "SimulatorClientSettings.h"
#include "SimulatorProcess.h"

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

    // Sends a login (twice, 50 ms apart, when twice is set) and evaluates the
    // answer as the login screen does; the answers seen are left in loginAnswers.
    bool login(const QString& user, const QString& password, bool twice = false)
    {
        Json::Value data(Json::objectValue);
        data["USER"] = user.toStdString();
        data["PASS"] = password.toStdString();
        loginAnswers = 0;
        Json::Value answer;
        const QMetaObject::Connection connection = QObject::connect(
            json(), &JSONUtil::loginAvailable, [&](Json::Value& reply) { answer = reply; ++loginAnswers; });
        json()->login(data);
        if (twice) {
            QTest::qWait(50);
            json()->login(data);
        }
        (void)waitUntil([this] { return loginAnswers > 0; });   // a timeout shows as no answer
        if (twice)
            QTest::qWait(300);   // time for a spurious second answer
        QObject::disconnect(connection);
        bool ok = false;
        QString token;
        app->getUserRoleUtil()->checkAndSetLogin(answer, ok, token);
        json()->setToken(ok ? token : QString());
        if (!ok)
            app->getUserRoleUtil()->reset();
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
