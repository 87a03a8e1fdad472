// The device link against the real device simulator over loopback, in one
// session whose steps run in order: login, the first data request and the
// initial paths, failed and malformed answers, and a refused token that ends
// the session. A second, short session sees a slow answer time out and the
// telegram resent. Request ids, batching and telegram texts are decided, and
// checked, in the mirror owner and the request builder.
#include "../common/LogCapture.h"
#include "../common/QueuedSignalSpy.h"
#include "DeviceLinkFixture.h"
#include "TestJson.h"

#include "util/StatusMessageSink.h"

#include <QSignalSpy>
#include <QUrlQuery>
#include <QtTest>

namespace {

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
bool writeAndAwaitEcho(DeviceLinkFixture& link, const QString& path, const QString& value)
{
    link.json()->requestConfig(path, Json::Value(value.toStdString()), GlobalEnums::SET);
    return DeviceLinkFixture::waitUntil([&] { return link.mirror(path) == Json::Value(value.toStdString()); });
}

} // namespace

class TestDeviceLink : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogCapture> log;   // the whole session's log, for the token
    std::unique_ptr<DeviceLinkFixture> link;
    std::unique_ptr<QueuedSignalSpy> status;

    // Whether a status-bar text with that id (and these arguments, when given) was shown.
    bool shown(int id, const QStringList& arguments = QStringList())
    {
        return DeviceLinkFixture::waitUntil([&] {
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
        link.reset(new DeviceLinkFixture());
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
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link->json()->getRequestCount() == 0; }));
        QCOMPARE(link->requests(QStringLiteral("config")).size(), 4u);

        // A refused telegram is sent once, dropped and reported.
        QVERIFY(link->simulator.clearRequestLog());
        QVERIFY(link->simulator.setFailure(SimulatorProcess::Failure::Status, 1, 404, QStringLiteral("config")));
        link->json()->requestConfig(NAME_PATH, Json::Value("Halle 9"), GlobalEnums::SET);
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link->json()->getRequestCount() == 0; }));
        QCOMPARE(link->requests(QStringLiteral("config")).size(), 1u);
        QVERIFY(shown(1455, {QStringLiteral("404"), NAME_PATH}));

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
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return loggedOut.count() == 1; }));
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
        DeviceLinkFixture slow;
        QVERIFY(slow.setUp(300));
        QVERIFY(slow.startSession());
        QVERIFY(slow.simulator.clearRequestLog());

        QVERIFY(slow.simulator.setDelay(1000, QStringLiteral("config")));
        slow.json()->requestConfig(NAME_PATH, Json::Value("Halle 6"), GlobalEnums::SET);
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return slow.requests(QStringLiteral("config")).size() >= 2; }));
        QCOMPARE(slow.json()->getRequestCount(), 1);   // still queued while it times out

        QVERIFY(slow.simulator.clearFaults());
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return slow.mirror(NAME_PATH) == Json::Value("Halle 6"); }));
        // Every attempt carried the same telegram.
        const Json::Value writes = slow.requests(QStringLiteral("config"));
        for (const Json::Value& write : writes)
            QCOMPARE(write["body"], writes[0]["body"]);
    }
};

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
