// The device link keeps working through slow, failing and malformed answers
// of the device simulator.
#include "../common/LogCapture.h"
#include "../common/QueuedSignalSpy.h"
#include "DeviceLinkFixture.h"

#include "util/StatusMessageSink.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QString NAME_PATH = QStringLiteral("$.DISP.GEN.MEN.NAME.VAL");
const QString LOCATION_PATH = QStringLiteral("$.DISP.GEN.MEN.LOC.VAL");

// Writes value to path and waits until the device's echo reached the mirror.
bool writeAndAwaitEcho(DeviceLinkFixture& link, const QString& path, const QString& value, int waitMs = 5000)
{
    link.json()->requestConfig(path, Json::Value(value.toStdString()), GlobalEnums::SET);
    return DeviceLinkFixture::waitUntil(
        [&] { return link.mirror(path).isString() && QString::fromStdString(link.mirror(path).asString()) == value; },
        waitMs);
}

} // namespace

class TestDeviceLinkFaults : public QObject
{
    Q_OBJECT

private slots:
    void delayedTelegramTimesOutAndIsResent()
    {
        LogCapture log;
        DeviceLinkFixture link;
        QVERIFY(link.setUp(300));
        QVERIFY(link.startSession());
        QVERIFY(link.simulator.clearRequestLog());

        QVERIFY(link.simulator.setDelay(1000, QStringLiteral("config")));
        link.json()->requestConfig(NAME_PATH, Json::Value("Halle 6"), GlobalEnums::SET);
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link.requests(QStringLiteral("config")).size() >= 2; }));
        QCOMPARE(link.json()->getRequestCount(), 1);   // still queued while it times out

        QVERIFY(link.simulator.clearFaults());
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link.json()->getRequestCount() == 0; }));
        QVERIFY(DeviceLinkFixture::waitUntil(
            [&] { return link.mirror(NAME_PATH).asString() == std::string("Halle 6"); }));
        // Every attempt carried the same telegram.
        const Json::Value writes = link.requests(QStringLiteral("config"));
        for (const Json::Value& write : writes)
            QCOMPARE(write["body"], writes[0]["body"]);
    }

    // A server error is resent at most three times; the queue moves on after every dropped telegram.
    void failedAndMalformedAnswers()
    {
        LogCapture log;
        DeviceLinkFixture link;
        QVERIFY(link.setUp());
        QVERIFY(link.startSession());

        // Two failures, then success: sent three times, applied once.
        QVERIFY(link.simulator.clearRequestLog());
        QVERIFY(link.simulator.setFailure(SimulatorProcess::Failure::Status, 2, 500, QStringLiteral("config")));
        QVERIFY(writeAndAwaitEcho(link, NAME_PATH, QStringLiteral("Halle 7")));
        QCOMPARE(link.requests(QStringLiteral("config")).size(), 3u);

        // Four failures: sent four times, then dropped and reported.
        QVERIFY(link.simulator.clearRequestLog());
        QVERIFY(link.simulator.setFailure(SimulatorProcess::Failure::Status, 4, 503, QStringLiteral("config")));
        link.json()->requestConfig(NAME_PATH, Json::Value("Halle 8"), GlobalEnums::SET);
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link.json()->getRequestCount() == 0; }));
        QCOMPARE(link.requests(QStringLiteral("config")).size(), 4u);

        // A refused telegram is sent once, dropped and reported.
        QVERIFY(link.simulator.clearRequestLog());
        QueuedSignalSpy status(StatusMessageSink::instance(),
                               SIGNAL(showTextMessage(int,QString,QStringList,Severity,int)));
        QVERIFY(link.simulator.setFailure(SimulatorProcess::Failure::Status, 1, 404, QStringLiteral("config")));
        link.json()->requestConfig(NAME_PATH, Json::Value("Halle 9"), GlobalEnums::SET);
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link.json()->getRequestCount() == 0; }));
        QCOMPARE(link.requests(QStringLiteral("config")).size(), 1u);
        QVERIFY(DeviceLinkFixture::waitUntil([&] {
            for (const QList<QVariant>& message : status)
                if (message.at(0).toInt() == 1455
                    && message.at(2).toStringList() == QStringList{QStringLiteral("404"), NAME_PATH})
                    return true;
            return false;
        }));

        QVERIFY(writeAndAwaitEcho(link, LOCATION_PATH, QStringLiteral("Linie 10")));
        QCOMPARE(QString::fromStdString(link.mirror(NAME_PATH).asString()), QStringLiteral("Halle 7"));

        // Neither the status bar nor the log ever shows the token.
        const QString token = link.json()->getToken();
        QVERIFY(!log.all().contains(token));
        for (const QList<QVariant>& message : status)
            QVERIFY(!message.at(2).toStringList().join(QString()).contains(token));

        // Empty and malformed answers are survived.
        QVERIFY(link.simulator.setFailure(SimulatorProcess::Failure::EmptyBody, 3, 200, QStringLiteral("data")));
        QVERIFY(writeAndAwaitEcho(link, NAME_PATH, QStringLiteral("Halle 11")));

        QVERIFY(link.simulator.setFailure(SimulatorProcess::Failure::MalformedBody, 3, 200, QStringLiteral("data")));
        QVERIFY(writeAndAwaitEcho(link, LOCATION_PATH, QStringLiteral("Linie 12")));
    }

    void refusedTokenEndsTheSession()
    {
        DeviceLinkFixture link;
        QVERIFY(link.setUp());
        QVERIFY(link.startSession());
        QSignalSpy loggedOut(link.app.get(), SIGNAL(onLogout()));
        QueuedSignalSpy status(StatusMessageSink::instance(),
                               SIGNAL(showTextMessage(int,QString,QStringList,Severity,int)));

        QVERIFY(link.simulator.setFailure(SimulatorProcess::Failure::Status, 3, 401, QStringLiteral("data")));
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return loggedOut.count() == 1; }));
        QVERIFY(!link.app->isStarted());
        QVERIFY(DeviceLinkFixture::waitUntil([&] {
            for (const QList<QVariant>& message : status)
                if (message.at(0).toInt() == 1457)
                    return true;
            return false;
        }));
    }
};

QTEST_GUILESS_MAIN(TestDeviceLinkFaults)
#include "tst_devicelinkfaults.moc"
