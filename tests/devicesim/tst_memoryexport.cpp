// Stored recordings and exports of the device simulator, driven over loopback
// as the client drives them: deleting recordings and exported files,
// exporting a recording, the refusals (rights, a busy export, unknown ids,
// too little space, bad names) and the memory a running measurement uses.

#include "SimulatorProcess.h"
#include "TelegramText.h"

#include <QtTest>

namespace {

QStringList setPathsOf(const Json::Value& telegram)
{
    QStringList paths;
    for (const auto& set : SimulatorProcess::setsIn(listOf(telegram)))
        paths << set.first;
    return paths;
}

QList<qint64> idsOf(const Json::Value& list)
{
    QList<qint64> ids;
    for (const Json::Value& item : list)
        ids << item["ID"].asInt64();
    return ids;
}

} // namespace

class tst_MemoryExport : public QObject
{
    Q_OBJECT

private:
    qint64 currentId() { return simulator.data(admin, -1).reqId; }
    Json::Value node(const QString& path) { return simulator.treeValues(path)[0]; }
    // What the device sent back to a telegram posted to endpoint.
    Json::Value send(const QString& endpoint, const QString& token, const Json::Value& telegram)
    {
        qint64 reqId = currentId();
        if (simulator.post(endpoint, token, telegram) != 200)
            return Json::Value();
        return simulator.waitFor(admin, reqId, [](const Json::Value&) { return false; }, 0);
    }
    // True when the answer is a refusal only: one German status-bar message, no change.
    static bool isRefusal(const Json::Value& telegrams)
    {
        const Json::Value messages = SimulatorProcess::listIn(telegrams, "MSG");
        return telegrams.size() == 1 && messages.size() == 1 && messages[0]["MTYP"] == 0
            && messages[0]["MSG"]["T"].isString() && SimulatorProcess::setsIn(telegrams).isEmpty()
            && SimulatorProcess::deletesIn(telegrams).isEmpty();
    }

    SimulatorProcess simulator{{"--paused", "--export-ms", "500", "--sample-interval", "20", "--live-interval", "50"}};
    QString admin, service, operatorToken;

private slots:
    void initTestCase()
    {
        QVERIFY(simulator.start());
        admin = simulator.login("admin", "admin");
        service = simulator.login("service", "service");
        operatorToken = simulator.login("bediener", "1234");
        QVERIFY(!admin.isEmpty() && !service.isEmpty() && !operatorToken.isEmpty());
    }

    void cleanupTestCase() { QVERIFY(simulator.stop()); }

    void deletingRecordingsFreesMemoryAndForgetsThem()
    {
        const Json::Value before = node("$.MEM.MTAB");
        QCOMPARE(before.size(), 5u);
        const Json::Value request = SimulatorProcess::pagingRequest(12, 0, 4102444800000);
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("measure", admin, SimulatorProcess::pagingTelegram({request})), 200);
        QVERIFY(!SimulatorProcess::listIn(simulator.waitFor(admin, reqId, [](const Json::Value&) { return false; }, 0),
                                          "MEM").empty());

        const Json::Value del = SimulatorProcess::deleteRecordsTelegram("$.MEM.MTAB", "12,13");
        QVERIFY(isRefusal(send("measure", operatorToken, del)));   // read-only for the operator
        QVERIFY(isRefusal(send("export", admin, del)));            // not the endpoint for recordings
        QVERIFY(isRefusal(send("measure", admin, SimulatorProcess::deleteRecordsTelegram("$.MEM.MTAB", "99"))));
        QVERIFY(node("$.MEM.MTAB") == before);

        const Json::Value telegrams = send("measure", admin, del);
        QCOMPARE(telegrams.size(), 1u);
        QCOMPARE(SimulatorProcess::deletesIn(telegrams), QStringList{"$.MEM.MTAB"});
        QCOMPARE(setPathsOf(telegrams[0]),
                 (QStringList{"$.MEM.MTAB", "$.MEM.SF.VAL", "$.MEM.SFP.VAL", "$.MEM.TRE.VAL"}));
        QCOMPARE(idsOf(SimulatorProcess::lastSetIn(telegrams, "$.MEM.MTAB")), (QList<qint64>{9, 10, 11}));
        // 1.5 MB + 0.75 MB freed of 3.8 GB, 2.2 GB free.
        QCOMPARE(SimulatorProcess::lastSetIn(telegrams, "$.MEM.SF.VAL").asDouble(), 2.202);
        QCOMPARE(SimulatorProcess::lastSetIn(telegrams, "$.MEM.SFP.VAL").asInt(), 42);
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, "$.MEM.TRE.VAL").isInt64());
        QCOMPARE(node("$.MEM.SF.VAL").asDouble(), 2.202);

        reqId = currentId();
        QCOMPARE(simulator.post("measure", admin, SimulatorProcess::pagingTelegram({request})), 200);
        QVERIFY(SimulatorProcess::listIn(simulator.waitFor(admin, reqId, [](const Json::Value&) { return false; }, 0),
                                         "MEM").empty());
    }

    void exportingAndDeletingExports()
    {
        const Json::Value destinations = node("$.EXP.DEST");
        QVERIFY(isRefusal(send("export", operatorToken, SimulatorProcess::exportTelegram(2, 9))));   // no right
        QVERIFY(isRefusal(send("config", service, SimulatorProcess::exportTelegram(2, 9))));
        QVERIFY(isRefusal(send("export", service, SimulatorProcess::exportTelegram(7, 9))));         // unknown
        QVERIFY(isRefusal(send("export", service, SimulatorProcess::exportTelegram(2, 99))));
        QVERIFY(isRefusal(send("export", service, SimulatorProcess::exportTelegram(3, 9))));         // size null
        // 2.5 Mb x 0.4 = 1 MB, but 0.5 MB free.
        QVERIFY(isRefusal(send("export", service, SimulatorProcess::exportTelegram(2, 10))));
        QVERIFY(node("$.EXP.DEST") == destinations);
        QCOMPARE(node("$.EXP.STAS").asInt(), 1);

        // 350 kB x 0.4 = 140 kB onto 0.5 MB.
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("export", service, SimulatorProcess::exportTelegram(2, 9)), 200);
        QVERIFY(isRefusal(send("export", service, SimulatorProcess::exportTelegram(1, 9))));   // busy
        const Json::Value telegrams = simulator.waitFor(admin, reqId, [](const Json::Value& telegram) {
            return SimulatorProcess::lastSetIn(listOf(telegram), "$.EXP.STAS") == 1;
        });
        QVERIFY(SimulatorProcess::lastSetIn(listOf(telegrams[0]), "$.EXP.STAS") == 2);
        const Json::Value done = telegrams[telegrams.size() - 1];
        QCOMPARE(SimulatorProcess::deletesIn(listOf(done)), QStringList{"$.EXP.MTAB"});
        QCOMPARE(setPathsOf(done), (QStringList{"$.EXP.MTAB", "$.EXP.DEST[1].SIZE.VAL", "$.EXP.STAS"}));
        const Json::Value files = SimulatorProcess::lastSetIn(listOf(done), "$.EXP.MTAB");
        QCOMPARE(idsOf(files), (QList<qint64>{4, 9, 10}));
        const Json::Value file = files[2];
        QCOMPARE(file["FILE"].asString(), std::string("Messung_0009.csv"));
        QVERIFY(file["DEST"]["ID"] == 2 && file["DU"].asInt64() > 1709366400000);
        QVERIFY(file["SIZE"]["VAL"] == 140.0 && file["SIZE"]["DIM"]["T"] == "kB");
        QCOMPARE(SimulatorProcess::lastSetIn(listOf(done), "$.EXP.DEST[1].SIZE.VAL").asDouble(), 0.363);

        const Json::Value del = SimulatorProcess::deleteRecordsTelegram("$.EXP.MTAB", "9,10");
        QVERIFY(isRefusal(send("export", operatorToken, del)));
        QVERIFY(isRefusal(send("measure", service, del)));
        const Json::Value deleted = send("export", service, del);
        QCOMPARE(deleted.size(), 1u);
        QCOMPARE(SimulatorProcess::deletesIn(deleted), QStringList{"$.EXP.MTAB"});
        QCOMPARE(idsOf(SimulatorProcess::lastSetIn(deleted, "$.EXP.MTAB")), QList<qint64>{4});
        // 0.2 MB and 140 kB back.
        QCOMPARE(SimulatorProcess::lastSetIn(deleted, "$.EXP.DEST[1].SIZE.VAL").asDouble(), 0.7);
    }

    void badNamesAndShapesAreRefused()
    {
        const Json::Value file = node("$.SERV.STAT.MEAS.FILE");
        const QString name = QStringLiteral("$.SERV.STAT.MEAS.FILE.VAL");
        QVERIFY(isRefusal(send("config", admin, SimulatorProcess::setTelegram(name, "Halle 3!"))));
        QVERIFY(isRefusal(send("config", admin, SimulatorProcess::setTelegram("$.SERV.STAT.MEAS.FILE", "Messung_A"))));
        QVERIFY(node("$.SERV.STAT.MEAS.FILE") == file);
        const Json::Value renamed = send("config", admin, SimulatorProcess::setTelegram(name, "Messung_A"));
        QVERIFY(SimulatorProcess::lastSetIn(renamed, name) == "Messung_A");

        SimulatorProcess containers({"--paused", "--empty-as-container"});
        QVERIFY(containers.start());
        const QString token = containers.login("admin", "admin");
        qint64 reqId = containers.data(token, -1).reqId;
        QCOMPARE(containers.post("path", token, SimulatorProcess::getTelegram({"$.DATA.EVT[*].DU"})), 200);
        const Json::Value answer = containers.waitFor(token, reqId, [](const Json::Value&) { return true; });
        QVERIFY(SimulatorProcess::lastSetIn(answer, "$.DATA.EVT").isArray());
    }

    void runningMeasurementUsesMemory()
    {
        const double free = node("$.MEM.SF.VAL").asDouble();
        const Json::Value started =
            send("config", admin, SimulatorProcess::setTelegram("$.SERV.FCT.STST.VAL", 1));
        const Json::Value start = SimulatorProcess::lastSetIn(started, "$.SERV.STAT.MEAS.STAT");
        QVERIFY(start.isInt64() && start == SimulatorProcess::lastSetIn(started, "$.SERV.STAT.MEAS")["STAT"]);

        // The time left falls with every second written; the free memory, a few
        // bytes less each step, goes out at the device's resolution of three decimals.
        qint64 reqId = currentId();
        QVERIFY(simulator.pauseLiveValues(false));
        Json::Int64 firstLeft = -1;
        const Json::Value steps = simulator.waitFor(admin, reqId, [&firstLeft](const Json::Value& telegram) {
            const Json::Value left = SimulatorProcess::lastSetIn(listOf(telegram), "$.MEM.TRE.VAL");
            if (!left.isInt64())
                return false;
            if (firstLeft < 0)
                firstLeft = left.asInt64();
            return left.asInt64() < firstLeft;
        });
        QVERIFY(simulator.pauseLiveValues(true));
        QVERIFY(firstLeft > 0);
        const QRegularExpression resolution(QStringLiteral("^\\d+(\\.\\d{1,3})?$"));
        int figures = 0;
        for (const auto& set : SimulatorProcess::setsIn(steps)) {
            if (set.first != QLatin1String("$.MEM.SF.VAL"))
                continue;
            ++figures;
            const QString shown = QString::asprintf("%.16g", set.second.asDouble());   // as the logger shows it
            QVERIFY2(resolution.match(shown).hasMatch() && set.second.asDouble() <= free, qPrintable(shown));
        }
        QVERIFY(figures > 0);
        const Json::Value last = steps[steps.size() - 1];
        QVERIFY(SimulatorProcess::lastSetIn(listOf(last), "$.MEM.SFP.VAL").isInt());
        QVERIFY(SimulatorProcess::lastSetIn(listOf(last), "$.MEM.TRE.VAL").asInt64() < firstLeft);
        send("config", admin, SimulatorProcess::setTelegram("$.SERV.FCT.STST.VAL", 1));
    }
};

QTEST_GUILESS_MAIN(tst_MemoryExport)
#include "tst_memoryexport.moc"
