// Recordings of the device simulator, driven over loopback as the client
// drives them: paging stored recordings back, deleting them, exporting them
// and deleting exported files with their refusals (rights, a busy export,
// unknown ids, too little space, bad names), and a running measurement's
// chart blocks, memory and ring-buffer time.

#include "SimulatorSession.h"

#include <QMap>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

namespace {

const int sampleIntervalMs = 20;

// The samples of chart blocks by time, each {address: value}.
QMap<qint64, Json::Value> samplesOf(const Json::Value& blocks)
{
    QMap<qint64, Json::Value> samples;
    for (const Json::Value& block : blocks)
        for (Json::ArrayIndex j = 0; j < block["DU"].size(); ++j)
            for (const std::string& key : block.getMemberNames())
                if (key.compare(0, 2, "CH") == 0)
                    samples[block["DU"][j].asInt64()][key] = block[key][j];
    return samples;
}

} // namespace

class tst_Recordings : public QObject, public SimulatorSession
{
    Q_OBJECT

public:
    tst_Recordings()
        : SimulatorSession({"--paused", "--export-ms", "500", "--live-interval", "50", "--sample-interval",
                            QString::number(sampleIntervalMs)})
    {
    }

private:
    Json::Value toggleMeasurement(const QString& client) { return configWrite(client, "$.SERV.FCT.STST.VAL", 1); }
    // The chart blocks the device answers a paging telegram with.
    Json::Value page(const QVector<Json::Value>& requests)
    {
        return SimulatorProcess::listIn(send("measure", token, SimulatorProcess::pagingTelegram(requests)), "MEM");
    }
    // True when the device answered a telegram sent as client with a refusal
    // only: one German status-bar message, no change.
    bool refuses(const QString& endpoint, const QString& client, const Json::Value& telegram)
    {
        const Json::Value telegrams = send(endpoint, client, telegram);
        const Json::Value messages = SimulatorProcess::listIn(telegrams, "MSG");
        return telegrams.size() == 1 && messages.size() == 1 && messages[0]["MTYP"] == 0
            && messages[0]["MSG"]["T"].isString() && SimulatorProcess::setsIn(telegrams).isEmpty()
            && SimulatorProcess::deletesIn(telegrams).isEmpty();
    }

    QString service, operatorToken;

private slots:
    void initTestCase()
    {
        QVERIFY(start());
        service = simulator.login("service", "service");
        operatorToken = simulator.login("bediener", "1234");
        QVERIFY(!service.isEmpty() && !operatorToken.isEmpty());
    }

    void cleanupTestCase() { QVERIFY(simulator.stop()); }

    void recordingsOfTheTreePageBackToTheAskerOnly()
    {
        const Json::Value recording = node("$.MEM.MTAB[0]");
        QCOMPARE(recording["ID"].asInt(), 12);
        const qint64 start = recording["STAT"].asInt64();
        const qint64 stop = recording["STOT"].asInt64();
        qint64 serviceId = currentId();

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
        QVERIFY(oldestFirst[0]["DU"][0].asInt64() == start && previous == stop);

        const Json::Value newestFirst = page({SimulatorProcess::pagingRequest(12, start, stop, 1)});
        QVERIFY(newestFirst.size() == 4 && newestFirst[0]["ATR"] == 11);
        QVERIFY(newestFirst[0]["DU"][0].asInt64() > newestFirst[1]["DU"][499].asInt64());
        QVERIFY(samplesOf(newestFirst) == samplesOf(oldestFirst));

        // Two windows in one telegram: an answer each.
        const Json::Value windows = page({SimulatorProcess::pagingRequest(12, start + 10000, start + 20000),
                                          SimulatorProcess::pagingRequest(12, start + 20500, start + 30000)});
        QVERIFY(windows.size() == 2 && windows[0]["ATR"] == 11 && windows[1]["ATR"] == 11);
        QVERIFY(windows[0]["DU"].size() == 11 && windows[1]["DU"][0].asInt64() == start + 21000);
        QCOMPARE(SimulatorProcess::listIn(changesSince(serviceId, service), "MEM").size(), 0u);
    }

    void badPagingRequestsAreLoggedAndUnanswered()
    {
        const std::pair<QByteArray, bool> requests[] = {   // a paging request, whether it is logged as refused
            {R"({"ID":-1})", false},                           // the end of paging
            {R"({"DIRC":0,"ID":12,"LOW":1,"UP":2})", false},   // outside the recording
            {R"({"DIRC":0,"ID":99,"LOW":1,"UP":2})", true},
            {R"({"DIRC":0,"ID":"12","LOW":1,"UP":2})", true},
            {R"({"DIRC":0,"ID":12,"LOW":1.5,"UP":2})", true},
            {R"({"DIRC":0,"ID":12,"LOW":2,"UP":1})", true},
            {R"({"DIRC":2,"ID":12,"LOW":1,"UP":2})", true},
            {R"("12")", true},
        };
        const Json::Value list = node("$.MEM.MTAB");
        for (const auto& [request, refused] : requests) {
            QVERIFY(simulator.clearLog());
            QCOMPARE(page({json(request)}).size(), 0u);
            QVERIFY2(simulator.logLines("warning").size() == (refused ? 1 : 0), request.constData());
        }
        // A read of the list still answers the list, which paging leaves as it was.
        const Json::Value read = send("path", token, SimulatorProcess::getTelegram({"$.MEM.MTAB"}));
        QVERIFY(list.size() >= 2 && SimulatorProcess::lastSetIn(read, "$.MEM.MTAB") == list && node("$.MEM.MTAB") == list);
    }

    void deletingRecordingsFreesMemoryAndForgetsThem()
    {
        const Json::Value before = node("$.MEM.MTAB");
        QCOMPARE(before.size(), 5u);
        const Json::Value del = SimulatorProcess::deleteRecordsTelegram("$.MEM.MTAB", "12,13");
        QVERIFY(refuses("measure", operatorToken, del));   // read-only for the operator
        QVERIFY(refuses("export", token, del));            // not the endpoint for recordings
        QVERIFY(refuses("measure", token, SimulatorProcess::deleteRecordsTelegram("$.MEM.MTAB", "99")));
        QVERIFY(node("$.MEM.MTAB") == before);

        const Json::Value telegrams = send("measure", token, del);
        QCOMPARE(telegrams.size(), 1u);
        QCOMPARE(SimulatorProcess::deletesIn(telegrams), QStringList{"$.MEM.MTAB"});
        QCOMPARE(setPaths(telegrams), (QStringList{"$.MEM.MTAB", "$.MEM.SF.VAL", "$.MEM.SFP.VAL", "$.MEM.TRE.VAL"}));
        QCOMPARE(idsOf(SimulatorProcess::lastSetIn(telegrams, "$.MEM.MTAB")), (QList<qint64>{9, 10, 11}));
        // 1.5 MB + 0.75 MB freed of 3.8 GB, 2.2 GB free.
        QCOMPARE(SimulatorProcess::lastSetIn(telegrams, "$.MEM.SF.VAL").asDouble(), 2.202);
        QCOMPARE(node("$.MEM.SF.VAL").asDouble(), 2.202);
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, "$.MEM.SFP.VAL") == 42);
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, "$.MEM.TRE.VAL").isInt64());
        QCOMPARE(page({SimulatorProcess::pagingRequest(12, 0, 4102444800000)}).size(), 0u);
    }

    void exportingAndDeletingExports()
    {
        const Json::Value destinations = node("$.EXP.DEST");
        QVERIFY(refuses("export", operatorToken, SimulatorProcess::exportTelegram(2, 9)));   // no right
        QVERIFY(refuses("config", service, SimulatorProcess::exportTelegram(2, 9)));
        QVERIFY(refuses("export", service, SimulatorProcess::exportTelegram(7, 9)));   // unknown
        QVERIFY(refuses("export", service, SimulatorProcess::exportTelegram(2, 99)));
        QVERIFY(refuses("export", service, SimulatorProcess::exportTelegram(3, 9)));   // size null
        // 2.5 Mb x 0.4 = 1 MB, but 0.5 MB free.
        QVERIFY(refuses("export", service, SimulatorProcess::exportTelegram(2, 10)));
        QVERIFY(node("$.EXP.DEST") == destinations && node("$.EXP.STAS") == 1);

        // 350 kB x 0.4 = 140 kB onto 0.5 MB.
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("export", service, SimulatorProcess::exportTelegram(2, 9)), 200);
        QVERIFY(refuses("export", service, SimulatorProcess::exportTelegram(1, 9)));   // busy
        const Json::Value telegrams = simulator.waitFor(token, reqId, [](const Json::Value& telegram) {
            return SimulatorProcess::lastSetIn(listOf(telegram), "$.EXP.STAS") == 1;
        });
        QVERIFY(SimulatorProcess::lastSetIn(listOf(telegrams[0]), "$.EXP.STAS") == 2);
        const Json::Value done = listOf(telegrams[telegrams.size() - 1]);
        QCOMPARE(SimulatorProcess::deletesIn(done), QStringList{"$.EXP.MTAB"});
        QCOMPARE(setPaths(done), (QStringList{"$.EXP.MTAB", "$.EXP.DEST[1].SIZE.VAL", "$.EXP.STAS"}));
        const Json::Value files = SimulatorProcess::lastSetIn(done, "$.EXP.MTAB");
        QCOMPARE(idsOf(files), (QList<qint64>{4, 9, 10}));
        QVERIFY(files[2]["FILE"] == "Messung_0009.csv" && files[2]["DEST"]["ID"] == 2 && files[2]["DU"].asInt64() > 1709366400000);
        QVERIFY(files[2]["SIZE"]["VAL"] == 140.0 && files[2]["SIZE"]["DIM"]["T"] == "kB");
        QCOMPARE(SimulatorProcess::lastSetIn(done, "$.EXP.DEST[1].SIZE.VAL").asDouble(), 0.363);

        const Json::Value del = SimulatorProcess::deleteRecordsTelegram("$.EXP.MTAB", "9,10");
        QVERIFY(refuses("export", operatorToken, del));
        QVERIFY(refuses("measure", service, del));
        const Json::Value deleted = send("export", service, del);
        QCOMPARE(deleted.size(), 1u);
        QCOMPARE(SimulatorProcess::deletesIn(deleted), QStringList{"$.EXP.MTAB"});
        QCOMPARE(idsOf(SimulatorProcess::lastSetIn(deleted, "$.EXP.MTAB")), QList<qint64>{4});
        QCOMPARE(SimulatorProcess::lastSetIn(deleted, "$.EXP.DEST[1].SIZE.VAL").asDouble(), 0.7);   // 0.2 MB and 140 kB back
    }

    void badFileNamesAreRefused()
    {
        const Json::Value file = node("$.SERV.STAT.MEAS.FILE");
        const QString name = QStringLiteral("$.SERV.STAT.MEAS.FILE.VAL");
        QVERIFY(refuses("config", token, SimulatorProcess::setTelegram(name, "Halle 3!")));
        QVERIFY(refuses("config", token, SimulatorProcess::setTelegram("$.SERV.STAT.MEAS.FILE", "Messung_A")));
        QVERIFY(node("$.SERV.STAT.MEAS.FILE") == file);
        QVERIFY(SimulatorProcess::lastSetIn(configWrite(token, name, "Messung_A"), name) == "Messung_A");
    }

    void measurementStreamsOnTheSampleGridAndPagesItBack()
    {
        // The start/stop function is not for the factory service's role.
        QCOMPARE(toggleMeasurement(simulator.login("werk", "werk500")).size(), 0u);
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

        // Blocks of this measurement come after its start, one sample every interval, none left out.
        Json::ArrayIndex started = 0;
        while (started < telegrams.size()
               && !(SimulatorProcess::lastSetIn(listOf(telegrams[started]), "$.SERV.STAT.MEAS.VAL") == "START"))
            QVERIFY(SimulatorProcess::listIn(listOf(telegrams[started++]), "MEM").empty());
        QVERIFY(started < telegrams.size() && SimulatorProcess::listIn(listOf(telegrams[started]), "MEM").empty());
        const Json::Value measurement = SimulatorProcess::lastSetIn(telegrams, "$.SERV.STAT.MEAS");
        const Json::Value streamed = SimulatorProcess::listIn(telegrams, "MEM");
        QVERIFY(streamed.size() >= 4);
        qint64 previous = measurement["STAT"].asInt64() - 1;
        for (const Json::Value& block : streamed) {
            QVERIFY(block["ID"] == measurement["ID"] && block["FILE"] == file && block["SRC"] == 1 && block["ATR"] == 0);
            for (const Json::Value& time : block["DU"]) {
                QVERIFY(time.asInt64() > previous && time.asInt64() % sampleIntervalMs == 0);
                QVERIFY(previous < measurement["STAT"].asInt64() || time.asInt64() == previous + sampleIntervalMs);
                previous = time.asInt64();
            }
            for (const char* channel : {"CH01", "CH03", "CH09"})
                QCOMPARE(block[channel].size(), block["DU"].size());
            QVERIFY(block["CH01"][0].isString() && std::stod(block["CH01"][0].asString()) > 0);
            QVERIFY(block["CH03"][0].isDouble() && block["CH09"][0] == "-");
        }

        // Stopped, the recording pages back what was streamed.
        const Json::Value stopped = SimulatorProcess::lastSetIn(toggleMeasurement(token), "$.SERV.STAT.MEAS");
        QVERIFY(stopped["STOT"].isInt64());
        const Json::Value paged = page({SimulatorProcess::pagingRequest(
            measurement["ID"].asInt64(), measurement["STAT"].asInt64(), stopped["STOT"].asInt64())});
        QVERIFY(paged.size() > 0 && paged[0]["SRC"] == 2 && paged[0]["FILE"] == file);
        QVERIFY(samplesOf(paged) == samplesOf(streamed));
    }

    // The time left falls with every second written; the free memory, a few bytes
    // less each step, goes out at the device's resolution of three decimals. The
    // ring buffer's oldest time follows at most once a second while the ring runs.
    void runningMeasurementUsesMemoryAndMovesTheRingsOldestTime()
    {
        const double free = node("$.MEM.SF.VAL").asDouble();
        QVERIFY(simulator.injectTelegram(SimulatorProcess::setTelegram("$.SERV.LIM.RMAX", 1)) > 0);
        const Json::Value started = toggleMeasurement(token);
        const Json::Value start = SimulatorProcess::lastSetIn(started, "$.SERV.STAT.MEAS.STAT");
        QVERIFY(start.isInt64() && start == SimulatorProcess::lastSetIn(started, "$.SERV.STAT.MEAS")["STAT"]);

        qint64 reqId = currentId();
        QVERIFY(simulator.pauseLiveValues(false));
        Json::Int64 firstLeft = -1;
        QVector<qint64> limits;
        const Json::Value steps = simulator.waitFor(token, reqId, [&](const Json::Value& telegram) {
            const Json::Value left = SimulatorProcess::lastSetIn(listOf(telegram), "$.MEM.TRE.VAL");
            if (left.isInt64() && firstLeft < 0)
                firstLeft = left.asInt64();
            const Json::Value limit = SimulatorProcess::lastSetIn(listOf(telegram), "$.SERV.STAT.MEAS.LIMT");
            if (!limit.isNull())
                limits << limit.asInt64();
            return limits.size() >= 3 && left.isInt64() && left.asInt64() < firstLeft;
        }, 6000);
        QVERIFY(firstLeft > 0 && limits.size() >= 3);
        QVERIFY(limits[0] > start.asInt64());
        for (int i = 1; i < limits.size(); ++i)
            QVERIFY2(limits[i] - limits[i - 1] >= 1000, "at most once a second");
        const QRegularExpression resolution(QStringLiteral("^\\d+(\\.\\d{1,3})?$"));
        int figures = 0;
        for (const auto& set : SimulatorProcess::setsIn(steps)) {
            if (set.first != QLatin1String("$.MEM.SF.VAL"))
                continue;
            ++figures;
            const QString shown = QString::asprintf("%.16g", set.second.asDouble());   // as the logger shows it
            QVERIFY2(resolution.match(shown).hasMatch() && set.second.asDouble() <= free, qPrintable(shown));
        }
        const Json::Value last = listOf(steps[steps.size() - 1]);
        QVERIFY(figures > 0 && SimulatorProcess::lastSetIn(last, "$.MEM.SFP.VAL").isInt());
        QVERIFY(SimulatorProcess::lastSetIn(last, "$.MEM.TRE.VAL").asInt64() < firstLeft);

        // Once the ring stops, so does its oldest time.
        QVERIFY(simulator.injectTelegram(SimulatorProcess::setTelegram("$.MEM.RING", 2)) > 0);
        changesSince(reqId);
        QThread::msleep(1300);
        QVERIFY(SimulatorProcess::lastSetIn(changesSince(reqId), "$.SERV.STAT.MEAS.LIMT").isNull());
        QVERIFY(simulator.pauseLiveValues(true));
    }
};

QTEST_GUILESS_MAIN(tst_Recordings)
#include "tst_recordings.moc"
