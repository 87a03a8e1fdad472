// The device link against the real device simulator over loopback: login,
// the first data request, the initial paths, writes and their echo, batching,
// request ids beyond 32 bits.
#include "DeviceLinkFixture.h"

#include "common/CommonJSONUtil.h"
#include "util/StatusMessageSink.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QUrlQuery>
#include <QtTest>

#include <limits>

namespace {

// The simulator's tree file in the source tree, found from this file's place.
QString treeFile()
{
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../tools/devicesim/device_tree.json");
}

// The texts that reached the status bar.
QStringList statusTexts(const QSignalSpy& spy)
{
    QStringList texts;
    for (const QList<QVariant>& arguments : spy)
        texts << arguments.at(0).toString();
    return texts;
}

QString queryItem(const Json::Value& request, const QString& key)
{
    return QUrlQuery(QString::fromStdString(request["query"].asString())).queryItemValue(key, QUrl::FullyDecoded);
}

QString bodyOf(const Json::Value& request)
{
    return QString::fromStdString(request["body"].asString());
}

} // namespace

class TestDeviceLink : public QObject
{
    Q_OBJECT

private slots:
    void login()
    {
        DeviceLinkFixture link;
        QVERIFY(link.setUp());

        QVERIFY(!link.login(QStringLiteral("admin"), QStringLiteral("wrong")));
        QVERIFY(link.login(QStringLiteral("admin"), QStringLiteral("admin")));
        QVERIFY(!link.json()->getToken().isEmpty());

        const Json::Value logins = link.requests(QStringLiteral("login"));
        QCOMPARE(bodyOf(logins[logins.size() - 1]), QStringLiteral("{\"PASS\":\"admin\",\"USER\":\"admin\"}\n"));

        // Right masks with bit 63 set are taken by their bits: werk's role
        // mask is 2^63 + 1, its deactivation mask 2^63 + 2048.
        QVERIFY(link.login(QStringLiteral("werk"), QStringLiteral("werk500")));
        const qint64 top = std::numeric_limits<qint64>::min();
        QCOMPARE(link.rights()->checkRights(1), 2);            // lacks the role's bit 63
        QCOMPARE(link.rights()->checkRights(top | 2048), 3);   // covers the deactivation mask
        Json::Value node(Json::objectValue);
        node["INP"]["AUT"] = Json::UInt64(9223372036854775809ULL);   // 2^63 + 1, as the device sends it
        QCOMPARE(link.rights()->checkNodeRights(node), 1);

        // A second login while the first is pending aborts the first silently.
        QVERIFY(link.simulator.setDelay(300, QStringLiteral("login")));
        Json::Value data(Json::objectValue);
        data["USER"] = "admin";
        data["PASS"] = "admin";
        QSignalSpy status(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
        QVERIFY(link.evaluateLogin([&] {
            link.json()->login(data);
            QTest::qWait(50);
            link.json()->login(data);
        }, 5000, 300));
        QCOMPARE(link.loginAnswers, 1);
        QVERIFY2(statusTexts(status).filter(QStringLiteral("HTTP-Request Failure")).isEmpty(),
                 qPrintable(statusTexts(status).join(QLatin1Char('\n'))));
    }

    void sessionLoadsTheInitialPaths()
    {
        DeviceLinkFixture link;
        QVERIFY(link.setUp());
        QVERIFY(link.startSession());

        // The poll thread's first request is the data request with REQID=-1.
        const Json::Value data = link.requests(QStringLiteral("data"));
        QVERIFY(data.size() >= 2);
        QCOMPARE(queryItem(data[0], QStringLiteral("REQID")), QStringLiteral("-1"));
        QCOMPARE(queryItem(data[0], QStringLiteral("TOKN")), link.json()->getToken());

        // Then $.IPTH is read, and then every path it lists, in one telegram.
        const Json::Value reads = link.requests(QStringLiteral("path"));
        QVERIFY(reads.size() >= 2);
        QCOMPARE(bodyOf(reads[0]),
                 QStringLiteral("{\"INST\":{\"DEL\":{\"VAL\":[]},\"GET\":{\"VAL\":[{\"DEST\":{\"PATH\":\"$.IPTH\"},\"MODE\":0}]},\"SET\":{\"MSG\":[],\"VAL\":[]}}}\n"));
        Json::Value second;
        QVERIFY(Json::Reader().parse(reads[1]["body"].asString(), second));
        const Json::Value initial = link.simulator.treeValues(QStringLiteral("$.IPTH"))[0];
        QCOMPARE(second["INST"]["GET"]["VAL"].size(), initial.size());
        for (Json::ArrayIndex i = 0; i < initial.size(); ++i)
            QCOMPARE(second["INST"]["GET"]["VAL"][i]["DEST"]["PATH"], initial[i]);

        // The mirror holds the values fixed in the simulator's tree file at
        // paths nothing changes while live values are paused.
        QVERIFY2(QFileInfo::exists(treeFile()), qPrintable(treeFile()));
        CommonJSONUtil file(treeFile(), nullptr);
        for (const QString& path : {QStringLiteral("$.USMG.USLI[2].NAME"), QStringLiteral("$.EXP.TPL"),
                                    QStringLiteral("$.MEM.SG")}) {
            Json::Value expected;
            QVERIFY2(file.getJSONbyPath(path, expected), qPrintable(path));
            QVERIFY(!expected.isNull());
            QCOMPARE(ZZJSON::toQString(link.mirror(path)), ZZJSON::toQString(expected));
        }
    }

    void requestIdsBeyond32BitsGoBackToTheDevice()
    {
        DeviceLinkFixture link({QStringLiteral("--paused"), QStringLiteral("--high-ids")});
        QVERIFY(link.setUp());
        QVERIFY(link.startSession());
        const qint64 limit = Q_INT64_C(1) << 32;

        // The answer to REQID=-1 brings the device's id, above 2^32; the next
        // data request carries exactly that id.
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link.http()->getReqId() > limit; }));
        QVERIFY(DeviceLinkFixture::waitUntil([&] {
            const Json::Value all = link.requests(QStringLiteral("data"));
            return queryItem(all[all.size() - 1], QStringLiteral("REQID")).toLongLong() > limit;
        }));
        const Json::Value data = link.requests(QStringLiteral("data"));
        const qint64 sent = queryItem(data[data.size() - 1], QStringLiteral("REQID")).toLongLong();
        QVERIFY(sent <= link.simulator.state()["reqId"].asInt64());
    }

    // Writes queued in a row go out in one telegram and come back as echo; a read queued twice goes out once.
    void writesAreBatchedAndEchoedAndReadsNotDuplicated()
    {
        DeviceLinkFixture link;
        QVERIFY(link.setUp());
        QVERIFY(link.startSession());
        NotificationRecorder recorder(link.json());

        // Hold the transport busy with a slow data request while queuing.
        QVERIFY(link.simulator.setDelay(400, QStringLiteral("data")));
        QTest::qWait(100);
        QVERIFY(link.simulator.clearRequestLog());
        const QString name = QStringLiteral("$.DISP.GEN.MEN.NAME.VAL");
        link.json()->requestConfig(QStringLiteral("$.DISP.GEN.MEN.LOC.VAL"), Json::Value("Linie 3"), GlobalEnums::SET);
        link.json()->requestConfig(name, Json::Value("Halle 5"), GlobalEnums::SET);
        link.json()->requestPath(QStringLiteral("$.DISP.GEN.MEN.LOC"));
        link.json()->requestPath(QStringLiteral("$.DISP.GEN.MEN.LOC"));
        QCOMPARE(link.json()->getRequestCount(), 3);
        QVERIFY(link.simulator.setDelay(0));

        QTRY_VERIFY_WITH_TIMEOUT(link.json()->getRequestCount() == 0, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.seen(GlobalEnums::SET, name), 5000);

        const Json::Value writes = link.requests(QStringLiteral("config"));
        QCOMPARE(writes.size(), 1u);
        QCOMPARE(bodyOf(writes[0]),
                 QStringLiteral("{\"INST\":{\"DEL\":{\"VAL\":[]},\"GET\":{\"VAL\":[]},\"SET\":{\"MSG\":[],\"VAL\":["
                                "{\"DEST\":{\"DEV\":1,\"PATH\":\"$.DISP.GEN.MEN.LOC.VAL\",\"PROP\":\"\"},\"MODE\":0,\"VAL\":\"Linie 3\"},"
                                "{\"DEST\":{\"DEV\":1,\"PATH\":\"$.DISP.GEN.MEN.NAME.VAL\",\"PROP\":\"\"},\"MODE\":0,\"VAL\":\"Halle 5\"}]}}}\n"));

        const Json::Value reads = link.requests(QStringLiteral("path"));
        QCOMPARE(reads.size(), 1u);
        Json::Value telegram;
        QVERIFY(Json::Reader().parse(reads[0]["body"].asString(), telegram));
        QCOMPARE(telegram["INST"]["GET"]["VAL"].size(), 1u);
    }
};

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
