// The device link against the real device simulator over loopback, in one
// session whose steps run in order: login, the first data request and the
// initial paths, failed and malformed answers, and a refused token that ends
// the session. A second, short session sees a slow answer time out and the
// telegram resent. Request ids, batching and telegram texts are decided, and
// checked, in the mirror owner and the request builder.
#include "../common/LogCapture.h"
#include "../common/QueuedSignalSpy.h"
#include "SimulatorClientSettings.h"
#include "SimulatorProcess.h"
#include "TestJson.h"

#include "util/HTTPRequestUtil.h"
#include "util/JSONUtil.h"
#include "util/StatusMessageSink.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"

#include <QSignalSpy>
#include <QUrlQuery>
#include <QtTest>

namespace {

// A client (TevaroApp with its device link) pointed at a freshly started
// device simulator through the settings file of the test's own data folder,
// with the short poll and receive intervals that let a test run in seconds.
class DeviceLink
{
public:
    DeviceLink() : simulator({QStringLiteral("--paused")}) {}

    ~DeviceLink()
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
        json()->getHTTPRequestUtil()->setReplyTimeout(replyTimeoutMs);
        return true;
    }

    JSONUtil* json() { return app->getJSONUtil(); }

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
        (void)QTest::qWaitFor([this] { return loginAnswers > 0; }, 5000);   // a timeout shows as no answer
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
    bool startSession()
    {
        if (!login(QStringLiteral("admin"), QStringLiteral("admin")))
            return false;
        app->start();
        const Json::Value initial = simulator.treeValues(QStringLiteral("$.IPTH"))[0];
        return initial.isArray() && QTest::qWaitFor([&] {
            QVector<Json::Value> values;
            for (const Json::Value& path : initial)
                if (!json()->getMasterJSONbyPath(QString::fromStdString(path.asString()), values, false))
                    return false;
            return true;
        }, 10000);
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

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 5000); }

const QString NAME_PATH = QStringLiteral("$.DISP.GEN.MEN.NAME.VAL");
const QString LOCATION_PATH = QStringLiteral("$.DISP.GEN.MEN.LOC.VAL");

QString queryItem(const Json::Value& request, const QString& key)
{
    return QUrlQuery(QString::fromStdString(request["query"].asString())).queryItemValue(key, QUrl::FullyDecoded);
}

QString bodyOf(const Json::Value& request) { return QString::fromStdString(request["body"].asString()); }

// The paths a read telegram asks for.
QStringList readPaths(const Json::Value& request)
{
    QStringList paths;
    const Json::Value telegram = parse(bodyOf(request));
    for (const Json::Value& element : telegram["INST"]["GET"]["VAL"])
        paths << QString::fromStdString(element["DEST"]["PATH"].asString());
    return paths;
}

// Writes value to path and waits until the device's echo reached the mirror.
bool writeAndAwaitEcho(DeviceLink& link, const QString& path, const QString& value)
{
    link.json()->requestConfig(path, Json::Value(value.toStdString()), GlobalEnums::SET);
    return waitUntil([&] { return link.mirror(path) == Json::Value(value.toStdString()); });
}

} // namespace

class TestDeviceLink : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogCapture> log;   // the whole session's log, for the token
    std::unique_ptr<DeviceLink> link;
    std::unique_ptr<QueuedSignalSpy> status;

    // Whether a status-bar text with that id (and these arguments, when given) was shown.
    bool shown(int id, const QStringList& arguments = QStringList())
    {
        return waitUntil([&] {
            for (const QList<QVariant>& message : *status)
                if (message.at(0).toInt() == id && (arguments.isEmpty() || message.at(2).toStringList() == arguments))
                    return true;
            return false;
        });
    }

private slots:
    void initTestCase()
    {
        log.reset(new LogCapture());
        link.reset(new DeviceLink());
        QVERIFY(link->setUp());
        status.reset(new QueuedSignalSpy(StatusMessageSink::instance(),
                                         SIGNAL(showTextMessage(int,QString,QStringList,Severity,int))));
    }

    void cleanupTestCase()
    {
        link.reset();
        log.reset();
    }

    void login()
    {
        QVERIFY(!link->login(QStringLiteral("admin"), QStringLiteral("wrong")));
        QVERIFY(link->login(QStringLiteral("admin"), QStringLiteral("admin")));
        QVERIFY(!link->json()->getToken().isEmpty());
        const Json::Value logins = link->requests(QStringLiteral("login"));
        QCOMPARE(bodyOf(logins[logins.size() - 1]), QStringLiteral("{\"PASS\":\"admin\",\"USER\":\"admin\"}\n"));

        // A second login while the first is pending aborts the first silently.
        QVERIFY(link->simulator.setDelay(300, QStringLiteral("login")));
        QSignalSpy failures(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
        QVERIFY(link->login(QStringLiteral("admin"), QStringLiteral("admin"), true));
        QCOMPARE(link->loginAnswers, 1);
        for (const QList<QVariant>& message : failures)
            QVERIFY2(!message.at(0).toString().contains(QStringLiteral("HTTP-Request Failure")),
                     qPrintable(message.at(0).toString()));
        QVERIFY(link->simulator.clearFaults());
    }

    void sessionLoadsTheInitialPaths()
    {
        QVERIFY(link->startSession());
        QCOMPARE(link->app->getPollIntervalMs(), 20);   // PollTime; UpdateTime is 10
        // The poll thread's first request is the data request with REQID=-1 and the token.
        const Json::Value data = link->requests(QStringLiteral("data"));
        QCOMPARE(queryItem(data[0], QStringLiteral("REQID")), QStringLiteral("-1"));
        QCOMPARE(queryItem(data[0], QStringLiteral("TOKN")), link->json()->getToken());

        // Then $.IPTH is read, and then every path it lists, in one telegram.
        const Json::Value reads = link->requests(QStringLiteral("path"));
        QCOMPARE(readPaths(reads[0]), QStringList{"$.IPTH"});
        QStringList initial;
        const Json::Value listed = link->simulator.treeValues(QStringLiteral("$.IPTH"))[0];
        for (const Json::Value& path : listed)
            initial << QString::fromStdString(path.asString());
        QCOMPARE(readPaths(reads[1]), initial);
    }

    // A server error is resent at most three times; the queue moves on after every dropped telegram.
    void failedAndMalformedAnswers()
    {
        // Two failures, then success: sent three times, applied once.
        QVERIFY(link->simulator.clearRequestLog());
        QVERIFY(link->simulator.setFailure(SimulatorProcess::Failure::Status, 2, 500, QStringLiteral("config")));
        QVERIFY(writeAndAwaitEcho(*link, NAME_PATH, QStringLiteral("Halle 7")));
        QCOMPARE(link->requests(QStringLiteral("config")).size(), 3u);

        // Four failures: sent four times, then dropped.
        QVERIFY(link->simulator.clearRequestLog());
        QVERIFY(link->simulator.setFailure(SimulatorProcess::Failure::Status, 4, 503, QStringLiteral("config")));
        link->json()->requestConfig(NAME_PATH, Json::Value("Halle 8"), GlobalEnums::SET);
        QVERIFY(waitUntil([&] { return link->json()->getRequestCount() == 0; }));
        QCOMPARE(link->requests(QStringLiteral("config")).size(), 4u);

        // A refused telegram is sent once, dropped and reported.
        for (const int refused : {404, 400}) {
            QVERIFY(link->simulator.clearRequestLog());
            QVERIFY(link->simulator.setFailure(SimulatorProcess::Failure::Status, 1, refused, QStringLiteral("config")));
            link->json()->requestConfig(NAME_PATH, Json::Value("Halle 9"), GlobalEnums::SET);
            QVERIFY(waitUntil([&] { return link->json()->getRequestCount() == 0; }));
            QCOMPARE(link->requests(QStringLiteral("config")).size(), 1u);
            QVERIFY(shown(1455, {QString::number(refused), NAME_PATH}));
        }

        QVERIFY(writeAndAwaitEcho(*link, LOCATION_PATH, QStringLiteral("Linie 10")));
        QCOMPARE(link->mirror(NAME_PATH), Json::Value("Halle 7"));

        // Empty and malformed answers are survived.
        QVERIFY(link->simulator.setFailure(SimulatorProcess::Failure::EmptyBody, 3, 200, QStringLiteral("data")));
        QVERIFY(writeAndAwaitEcho(*link, NAME_PATH, QStringLiteral("Halle 11")));
        QVERIFY(link->simulator.setFailure(SimulatorProcess::Failure::MalformedBody, 3, 200, QStringLiteral("data")));
        QVERIFY(writeAndAwaitEcho(*link, LOCATION_PATH, QStringLiteral("Linie 12")));
    }

    void refusedTokenEndsTheSession()
    {
        const QString token = link->json()->getToken();
        QSignalSpy loggedOut(link->app.get(), SIGNAL(onLogout()));
        QVERIFY(link->simulator.setFailure(SimulatorProcess::Failure::Status, 3, 401, QStringLiteral("data")));
        QVERIFY(waitUntil([&] { return loggedOut.count() == 1; }));
        QVERIFY(!link->app->isStarted());
        QVERIFY(shown(1457));

        // Neither the status bar nor the log ever showed the token.
        QVERIFY(!log->all().contains(token));
        for (const QList<QVariant>& message : *status)
            QVERIFY(!message.at(2).toStringList().join(QString()).contains(token));
        link.reset();
    }

    void slowTelegramTimesOutAndIsResent()
    {
        DeviceLink slow;
        QVERIFY(slow.setUp(300));
        QVERIFY(slow.startSession());
        QVERIFY(slow.simulator.clearRequestLog());

        QVERIFY(slow.simulator.setDelay(1000, QStringLiteral("config")));
        slow.json()->requestConfig(NAME_PATH, Json::Value("Halle 6"), GlobalEnums::SET);
        QVERIFY(waitUntil([&] { return slow.requests(QStringLiteral("config")).size() >= 2; }));
        QCOMPARE(slow.json()->getRequestCount(), 1);   // still queued while it times out

        QVERIFY(slow.simulator.clearFaults());
        QVERIFY(waitUntil([&] { return slow.mirror(NAME_PATH) == Json::Value("Halle 6"); }));
        // Every attempt carried the same telegram.
        const Json::Value writes = slow.requests(QStringLiteral("config"));
        for (const Json::Value& write : writes)
            QCOMPARE(write["body"], writes[0]["body"]);
    }
};

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
