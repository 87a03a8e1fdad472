// Chart data of the device simulator, driven over loopback as the client
// drives it: a measurement's live blocks, paging recordings back, and the
// ring buffer's oldest time.

#include "SimulatorProcess.h"
#include "TelegramText.h"

#include <QMap>
#include <QThread>
#include <QtTest>

#include <string>

namespace {

const int sampleIntervalMs = 20;

// The samples of chart blocks by time, each {address: value}.
QMap<qint64, Json::Value> samplesOf(const Json::Value& blocks)
{
    QMap<qint64, Json::Value> samples;
    for (const Json::Value& block : blocks) {
        for (Json::ArrayIndex j = 0; j < block["DU"].size(); ++j) {
            Json::Value& sample = samples[block["DU"][j].asInt64()];
            for (const std::string& key : block.getMemberNames()) {
                if (key.compare(0, 2, "CH") == 0)
                    sample[key] = block[key][j];
            }
        }
    }
    return samples;
}

} // namespace

class tst_ChartData : public QObject
{
    Q_OBJECT

private:
    qint64 currentId() { return simulator.data(token, -1).reqId; }
    Json::Value changesSince(qint64& reqId, const QString& client = QString())
    {
        return simulator.waitFor(client.isEmpty() ? token : client, reqId, [](const Json::Value&) { return false; }, 0);
    }
    Json::Value node(const QString& path) { return simulator.treeValues(path)[0]; }
    // The start/stop function written by the client; what the device sent back.
    Json::Value toggleMeasurement(const QString& client)
    {
        qint64 reqId = currentId();
        if (simulator.post("config", client, SimulatorProcess::setTelegram("$.SERV.FCT.STST.VAL", 1)) != 200)
            return Json::Value();
        return changesSince(reqId, client);
    }
    // The chart blocks the device answers a paging telegram with.
    Json::Value page(const QVector<Json::Value>& requests)
    {
        qint64 reqId = currentId();
        if (simulator.post("measure", token, SimulatorProcess::pagingTelegram(requests)) != 200)
            return Json::Value();
        return SimulatorProcess::listIn(changesSince(reqId), "MEM");
    }

    SimulatorProcess simulator{
        {"--paused", "--live-interval", "60", "--sample-interval", QString::number(sampleIntervalMs)}};
    QString token;

private slots:
    void initTestCase()
    {
        QVERIFY(simulator.start());
        token = simulator.login("admin", "admin");
        QVERIFY(!token.isEmpty());
    }

    void cleanupTestCase() { QVERIFY(simulator.stop()); }

    void measurementStreamsOnTheSampleGridAndPagesItBack()
    {
        // The start/stop function is not for the factory service's role.
        const QString werk = simulator.login("werk", "werk500");
        QCOMPARE(toggleMeasurement(werk).size(), 0u);
        QVERIFY(!simulator.state()["measuring"].asBool());

        // A channel with text values, one with numbers, one without a number.
        QVERIFY(simulator.injectTelegram(SimulatorProcess::setTelegram("$.SERV.STAT.MEAS.ADR",
                                                                       json(R"(["CH01","CH03","CH09"])"))) > 0);
        const Json::Value file = node("$.SERV.STAT.MEAS.FILE.VAL");
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("config", token, SimulatorProcess::setTelegram("$.SERV.FCT.STST.VAL", 1)), 200);
        QVERIFY(simulator.pauseLiveValues(false));
        int blockCount = 0;
        Json::Value telegrams = simulator.waitFor(token, reqId, [&blockCount](const Json::Value& telegram) {
            blockCount += int(SimulatorProcess::listIn(listOf(telegram), "MEM").size());
            return blockCount >= 4;
        });
        QVERIFY(simulator.pauseLiveValues(true));
        for (const Json::Value& telegram : changesSince(reqId))
            telegrams.append(telegram);

        Json::ArrayIndex started = 0;
        while (started < telegrams.size() && !(SimulatorProcess::lastSetIn(listOf(telegrams[started]), "$.SERV.STAT.MEAS.VAL") == "START"))
            ++started;
        QVERIFY(started < telegrams.size());
        for (Json::ArrayIndex i = 0; i <= started; ++i)
            QVERIFY2(SimulatorProcess::listIn(listOf(telegrams[i]), "MEM").empty(), "blocks come after the start");
        const Json::Value measurement = SimulatorProcess::lastSetIn(telegrams, "$.SERV.STAT.MEAS");
        const Json::Value streamed = SimulatorProcess::listIn(telegrams, "MEM");
        QVERIFY(streamed.size() >= 4);

        qint64 previous = measurement["STAT"].asInt64() - 1;
        for (const Json::Value& block : streamed) {
            QVERIFY(block["ID"] == measurement["ID"] && block["FILE"] == file);
            QVERIFY(block["SRC"] == 1 && block["ATR"] == 0);
            for (const Json::Value& time : block["DU"]) {
                QVERIFY(time.asInt64() > previous);
                QVERIFY2(previous < measurement["STAT"].asInt64() || time.asInt64() == previous + sampleIntervalMs,
                         "one sample every interval, none left out");
                QCOMPARE(time.asInt64() % sampleIntervalMs, 0);
                previous = time.asInt64();
            }
            for (const char* channel : {"CH01", "CH03", "CH09"})
                QCOMPARE(block[channel].size(), block["DU"].size());
            QVERIFY(block["CH01"][0].isString() && std::stod(block["CH01"][0].asString()) > 0);
            QVERIFY(block["CH03"][0].isDouble());
            QVERIFY(block["CH09"][0] == "-");
        }

        // Stopped, the recording pages back what was streamed.
        const Json::Value stopped = SimulatorProcess::lastSetIn(toggleMeasurement(token), "$.SERV.STAT.MEAS");
        QVERIFY(stopped["STOT"].isInt64());
        const Json::Value paged = page({SimulatorProcess::pagingRequest(
            measurement["ID"].asInt64(), measurement["STAT"].asInt64(), stopped["STOT"].asInt64())});
        QVERIFY(paged.size() > 0 && paged[0]["SRC"] == 2 && paged[0]["FILE"] == file);
        QVERIFY(samplesOf(paged) == samplesOf(streamed));
        QCOMPARE(simulator.logout(werk), 200);
    }

    void recordingsOfTheTreePageBackToTheAskerOnly()
    {
        const Json::Value recording = node("$.MEM.MTAB[0]");
        QCOMPARE(recording["ID"].asInt(), 12);
        const qint64 start = recording["STAT"].asInt64();
        const qint64 stop = recording["STOT"].asInt64();
        const QString other = simulator.login("service", "service");
        qint64 otherId = simulator.data(other, -1).reqId;

        // The whole recording: 2000 of its 5431 samples, first and last among them, in blocks of 500.
        const Json::Value oldestFirst = page({SimulatorProcess::pagingRequest(12, start, stop, 0)});
        QCOMPARE(oldestFirst.size(), 4u);
        qint64 previous = start - 1;
        for (Json::ArrayIndex i = 0; i < oldestFirst.size(); ++i) {
            const Json::Value& block = oldestFirst[i];
            QCOMPARE(block["ATR"].asInt(), i == 0 ? 11 : 12);
            QVERIFY(block["ID"] == 12 && block["SRC"] == 2 && block["FILE"] == recording["FILE"]);
            QCOMPARE(block["DU"].size(), 500u);
            for (Json::ArrayIndex j = 0; j < block["DU"].size(); ++j) {
                QVERIFY(block["DU"][j].asInt64() > previous);
                previous = block["DU"][j].asInt64();
                const double temperature = block["CH01"][j].asDouble();   // °C
                const double humidity = block["CH04"][j].asDouble();      // %rF
                QVERIFY(temperature >= 20 && temperature <= 60 && humidity >= 30 && humidity <= 70);
            }
        }
        QCOMPARE(oldestFirst[0]["DU"][0].asInt64(), start);
        QCOMPARE(previous, stop);

        const Json::Value newestFirst = page({SimulatorProcess::pagingRequest(12, start, stop, 1)});
        QCOMPARE(newestFirst.size(), 4u);
        QCOMPARE(newestFirst[0]["ATR"].asInt(), 11);
        QVERIFY(newestFirst[0]["DU"][0].asInt64() > newestFirst[1]["DU"][499].asInt64());
        QVERIFY(samplesOf(newestFirst) == samplesOf(oldestFirst));

        // Two windows in one telegram: an answer each.
        const Json::Value windows = page({SimulatorProcess::pagingRequest(12, start + 10000, start + 20000),
                                          SimulatorProcess::pagingRequest(12, start + 20500, start + 30000)});
        QCOMPARE(windows.size(), 2u);
        QVERIFY(windows[0]["ATR"] == 11 && windows[1]["ATR"] == 11);
        QCOMPARE(windows[0]["DU"].size(), 11u);
        QCOMPARE(windows[1]["DU"][0].asInt64(), start + 21000);

        QCOMPARE(SimulatorProcess::listIn(changesSince(otherId, other), "MEM").size(), 0u);
        QCOMPARE(simulator.logout(other), 200);
    }

    void badPagingRequestsAreLoggedAndUnanswered_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("refused");
        QTest::newRow("end of paging") << QByteArray(R"({"ID":-1})") << false;
        QTest::newRow("outside the recording") << QByteArray(R"({"DIRC":0,"ID":12,"LOW":1,"UP":2})") << false;
        QTest::newRow("unknown id") << QByteArray(R"({"DIRC":0,"ID":99,"LOW":1,"UP":2})") << true;
        QTest::newRow("id as text") << QByteArray(R"({"DIRC":0,"ID":"12","LOW":1,"UP":2})") << true;
        QTest::newRow("fraction") << QByteArray(R"({"DIRC":0,"ID":12,"LOW":1.5,"UP":2})") << true;
        QTest::newRow("low after up") << QByteArray(R"({"DIRC":0,"ID":12,"LOW":2,"UP":1})") << true;
        QTest::newRow("direction 2") << QByteArray(R"({"DIRC":2,"ID":12,"LOW":1,"UP":2})") << true;
        QTest::newRow("not an object") << QByteArray(R"("12")") << true;
    }

    void badPagingRequestsAreLoggedAndUnanswered()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, refused);
        QVERIFY(simulator.clearLog());
        QCOMPARE(page({json(request)}).size(), 0u);
        QCOMPARE(simulator.logLines("warning").size(), refused ? 1 : 0);

        // A read of the list still answers the list, which paging leaves as it was.
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("path", token, SimulatorProcess::getTelegram({"$.MEM.MTAB"})), 200);
        const Json::Value list = SimulatorProcess::lastSetIn(changesSince(reqId), "$.MEM.MTAB");
        QVERIFY(list.isArray() && list.size() >= 2);
        QVERIFY(list == node("$.MEM.MTAB"));
    }

    void ringBufferOldestTimeFollowsRmaxWhileTheRingRuns()
    {
        QVERIFY(simulator.injectTelegram(SimulatorProcess::setTelegram("$.SERV.LIM.RMAX", 1)) > 0);
        const Json::Value measurement = SimulatorProcess::lastSetIn(toggleMeasurement(token), "$.SERV.STAT.MEAS");
        QVERIFY(measurement["STAT"].isInt64());
        qint64 reqId = currentId();
        QVERIFY(simulator.pauseLiveValues(false));
        QVector<qint64> limits;
        simulator.waitFor(token, reqId, [&limits](const Json::Value& telegram) {
            const Json::Value limit = SimulatorProcess::lastSetIn(listOf(telegram), "$.SERV.STAT.MEAS.LIMT");
            if (!limit.isNull())
                limits << limit.asInt64();
            return limits.size() >= 3;
        }, 6000);
        QCOMPARE(limits.size(), 3);
        QVERIFY(limits[0] > measurement["STAT"].asInt64());
        QVERIFY2(limits[1] - limits[0] >= 1000 && limits[2] - limits[1] >= 1000, "at most once a second");

        // Once the ring stops, so does its oldest time.
        QVERIFY(simulator.injectTelegram(SimulatorProcess::setTelegram("$.MEM.RING", 2)) > 0);
        changesSince(reqId);
        QThread::msleep(1300);
        QVERIFY(SimulatorProcess::lastSetIn(changesSince(reqId), "$.SERV.STAT.MEAS.LIMT").isNull());
        QVERIFY(simulator.pauseLiveValues(true));
        QVERIFY(toggleMeasurement(token).size() > 0);
        QVERIFY(simulator.injectTelegram(SimulatorProcess::setTelegram("$.SERV.LIM.RMAX", 3600)) > 0);
    }
};

QTEST_GUILESS_MAIN(tst_ChartData)
#include "tst_chartdata.moc"
