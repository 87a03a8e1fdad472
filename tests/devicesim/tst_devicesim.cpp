// The device simulator, driven over loopback as the client drives it: logins
// and tokens, the change log, reads, writes within limits and rights,
// measurement, channel functions, live values and the default tree's shape.

#include "SimulatorSession.h"

#include <QMap>
#include <QThread>
#include <QtTest>

#include <cmath>
#include <functional>

namespace {

// A number of the tree (a number or a text holding one) as a double.
double numberOf(const Json::Value& value)
{
    return value.isString() ? std::stod(value.asString()) : value.asDouble();
}

// Calls visit(path, node) for every node below root, parents first.
void walk(const Json::Value& node, const QString& path, const std::function<void(const QString&, const Json::Value&)>& visit)
{
    visit(path, node);
    if (node.isObject())
        for (const std::string& key : node.getMemberNames())
            walk(node[key], path + '.' + QString::fromStdString(key), visit);
    else if (node.isArray())
        for (Json::ArrayIndex i = 0; i < node.size(); ++i)
            walk(node[i], path + QStringLiteral("[%1]").arg(i), visit);
}

} // namespace

class tst_DeviceSimulator : public QObject, public SimulatorSession
{
    Q_OBJECT

public:
    tst_DeviceSimulator() : SimulatorSession({"--paused", "--live-interval", "50"}) {}

private:
    // The nodes a "PATH" member points at.
    Json::Value linked(const Json::Value& link)
    {
        return simulator.treeValues(QString::fromStdString(link["PATH"].asString()));
    }
    // Runs live values until the channel's value changed once, then pauses them.
    Json::Value nextLiveValue(const QString& channel)
    {
        const QString path = channel + ".MV.MW.VAL";
        qint64 reqId = currentId();
        if (!simulator.pauseLiveValues(false))
            return Json::Value();
        const Json::Value telegrams = simulator.waitFor(token, reqId, [&path](const Json::Value& telegram) {
            return !SimulatorProcess::lastSetIn(listOf(telegram), path).isNull();
        });
        simulator.pauseLiveValues(true);
        return SimulatorProcess::lastSetIn(telegrams, path);
    }

private slots:
    void initTestCase() { QVERIFY(start()); }
    void init() { QVERIFY(simulator.setEchoMode("exact") && simulator.setEmptyReadsAsContainer(false)); }
    void cleanupTestCase() { QVERIFY2(simulator.stop(), "SIGTERM ends the simulator with exit code 0"); }

    void loginAnswerRefusalsAndUnknownTokens()
    {
        Json::Value client = simulator.loginReply("werk", "werk500")["CLNT"];
        QVERIFY(client["TOKN"].isString() && !client["TOKN"].asString().empty());
        client.removeMember("TOKN");
        // Masks with bit 63 go out as unsigned numbers, which the text comparison tells from negative ones.
        QCOMPARE(QString::fromStdString(client.toStyledString()),
                 QString::fromStdString(json(R"({"US":{"ID":9,"NAME":"werk"},"RIGT":{"ROLE":{"AUT":9223372036854775809},
                     "MEAS":{"AUT":9223372036854841344},"DACT":{"AUT":9223372036854777856}}})").toStyledString()));

        const Json::Value refused = simulator.loginReply("admin", "Admin");
        QVERIFY2(refused["CLNT"].isObject() && !refused["CLNT"].isMember("TOKN"), "a refusal is a 200 with a \"CLNT\" node");
        for (const char* endpoint : {"path", "user", "logout"})
            QCOMPARE(simulator.post(endpoint, "0123456789ABCDEF", SimulatorProcess::getTelegram({"$.IPTH"})), 401);
        QCOMPARE(simulator.data("0123456789ABCDEF", -1).status, 401);
        const QString other = simulator.login("service", "service");
        QCOMPARE(simulator.logout(other), 200);
        QCOMPARE(simulator.data(other, -1).status, 401);
        QCOMPARE(simulator.data(token, -1).status, 200);   // other sessions live on
    }

    void everyChangeGoesOutOnce()
    {
        qint64 reqId = currentId();
        const qint64 first = simulator.injectTelegram(SimulatorProcess::setTelegram("$.MEM.SFP.VAL", 43));
        const qint64 second = simulator.injectTelegram(SimulatorProcess::setTelegram("$.MEM.SFP.VAL", 44));
        QVERIFY(first == reqId + 1 && second == reqId + 2);
        SimulatorProcess::DataAnswer answer = simulator.data(token, reqId);
        QCOMPARE(answer.reqId, second);
        QCOMPARE(answer.telegrams.size(), 2u);
        QCOMPARE(SimulatorProcess::lastSetIn(answer.telegrams, "$.MEM.SFP.VAL").asInt(), 44);
        QCOMPARE(simulator.data(token, first).telegrams.size(), 1u);   // a client that missed one gets just that one
        // The last id, an unknown one and one the device never gave: the current id and no old changes.
        for (qint64 unknown : {second, qint64(-1), second + 1000, qint64(-7)}) {
            answer = simulator.data(token, unknown);
            QVERIFY(answer.reqId == second && answer.telegrams.empty());
        }
    }

    void readsAreAnsweredAtConcretePaths()
    {
        const std::pair<QString, QStringList> reads[] = {
            {"$.IPTH", {"$.IPTH"}},
            {"$.DATA.MK[?(@.IDX>=7)]", {"$.DATA.MK[7]", "$.DATA.MK[8]"}},
            {"$.DATA.AIN[*].NR", {"$.DATA.AIN[0].NR", "$.DATA.AIN[1].NR", "$.DATA.AIN[2].NR"}},
            {"$.SERV.NOPE", {}},
        };
        for (const auto& [path, answered] : reads) {
            const Json::Value telegrams = send("path", token, SimulatorProcess::getTelegram({path}));
            QCOMPARE(setPaths(telegrams), answered);
            const Json::Value paths = SimulatorProcess::lastSetIn(telegrams, "$.IPTH");
            QVERIFY(path != "$.IPTH" || (paths.isArray() && paths.size() >= 7 && paths[0] == "$.CLNT"));
        }
    }

    // A write within the entry's limits and the writer's rights is applied and
    // echoed; any other is refused without a word: no echo, the value stays.
    void writesWithinLimitsAndRightsOnly_data()
    {
        QTest::addColumn<QString>("user");   // empty: the administrator
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("stored");   // as the device keeps and echoes it; empty: refused
        const QByteArray longText = '"' + QByteArray(20000, 'x') + '"';
        const struct { const char *name, *user, *path; QByteArray sent, stored; } rows[] = {
            {"number typed as text", "", "$.DISP.GEN.MEN.RATE.VAL", R"("15")", "15"},
            {"table cell", "", "$.DATA.AIN[1].LIM.HI", R"("85.5")", "85.5"},
            {"above a limit from a path", "", "$.DISP.GEN.MEN.RATE.VAL", "5000", ""},
            {"not a number", "", "$.DISP.GEN.MEN.EXPT.VAL", R"("viel")", ""},
            {"below a missing channel", "", "$.DATA.MK[9].FCT.CLMX.VAL", "1", ""},
            {"a missing channel", "", "$.DATA.MK[12]", "1", ""},
            {"form body over 8 KB, admin-only entry", "", "$.DISP.GEN.MEN.LOC.VAL", longText, longText},
            // LOC is the administrator's (AUT 1), NAME every role's (7), EXPT deactivated for the operator (1031).
            {"operator, admin-only entry", "bediener", "$.DISP.GEN.MEN.LOC.VAL", R"("Linie 8")", ""},
            {"operator, entry of every role", "bediener", "$.DISP.GEN.MEN.NAME.VAL", R"("Halle 9")", R"("Halle 9")"},
            {"operator, deactivated entry", "bediener", "$.DISP.GEN.MEN.EXPT.VAL", "3", ""},
            {"role mask with bit 63", "werk", "$.DISP.GEN.MEN.NAME.VAL", R"("Halle 10")", ""},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.user << r.path << r.sent << r.stored;
    }

    void writesWithinLimitsAndRightsOnly()
    {
        QFETCH(QString, user);
        QFETCH(QString, path);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, stored);
        const QString client = user.isEmpty() ? token : simulator.login(user, user == "werk" ? "werk500" : "1234");
        QVERIFY(!client.isEmpty());
        const Json::Value before = simulator.treeValues(path);
        QVERIFY(!(before == json("[" + sent + "]")));
        const Json::Value telegrams = configWrite(client, path, json(sent));
        if (stored.isEmpty()) {
            QCOMPARE(telegrams.size(), 0u);
            QVERIFY(simulator.treeValues(path) == before);
        } else {
            QCOMPARE(setPaths(telegrams), QStringList{path});
            QVERIFY(SimulatorProcess::lastSetIn(telegrams, path) == json(stored));
            QVERIFY(simulator.treeValues(path) == json("[" + stored + "]"));
        }
        if (client != token)
            QCOMPARE(simulator.logout(client), 200);
    }

    void roleWithoutDeactivationMaskKeepsItsRights()
    {
        SimulatorProcess other({"--paused", "--users", DEVICESIM_USERS_NO_DEACTIVATION});
        QVERIFY(other.start());
        const Json::Value reply = other.loginReply("bediener", "1234");
        QCOMPARE(reply["CLNT"]["RIGT"]["DACT"]["AUT"].asInt(), 0);
        const QString client = QString::fromStdString(reply["CLNT"]["TOKN"].asString());
        for (const auto& [path, accepted] : {std::make_pair("$.DISP.GEN.MEN.NAME.VAL", true),
                                             std::make_pair("$.DISP.GEN.MEN.LOC.VAL", false)}) {
            const qint64 reqId = other.data(client, -1).reqId;
            QCOMPARE(other.post("config", client, SimulatorProcess::setTelegram(path, "Halle 12")), 200);
            QCOMPARE(SimulatorProcess::setsIn(other.data(client, reqId).telegrams).size(), accepted ? 1 : 0);
        }
        QVERIFY(other.stop());
    }

    void deleteRemovesTheNodeAndIsEchoed()
    {
        QCOMPARE(simulator.treeValues("$.EXP.TPL[*]").size(), 2u);
        QCOMPARE(SimulatorProcess::deletesIn(send("export", token, SimulatorProcess::delTelegram("$.EXP.TPL[1]"))),
                 QStringList{"$.EXP.TPL[1]"});
        QCOMPARE(simulator.treeValues("$.EXP.TPL[*]").size(), 1u);
        // A missing node is not deleted, so nothing is echoed.
        QCOMPARE(send("export", token, SimulatorProcess::delTelegram("$.EXP.TPL[5]")).size(), 0u);
    }

    void badBodiesAreRefusedWithoutHarm()
    {
        const std::pair<QByteArray, int> bodies[] = {
            {"USER=admin&PASS=admin", 400},
            {QByteArray(100000, '['), 400},
            {R"({"INST":{"SET":{"VAL":[{"DEST":{"PATH":"DATA"},"VAL":1},{"DEST":{"PATH":"$.SERV.LIM"},"VAL":{"X":1}},
                {"DEST":{"PATH":"$.SERV.LIM.RMAX.X"},"VAL":{"Y":1}},{"DEST":{"PATH":"$.L[x]"},"VAL":1},
                {"DEST":{"PATH":"$.SERV.LIM.RMAX"}}]}}})", 200},
        };
        for (const auto& [body, status] : bodies) {
            QCOMPARE(simulator.postRaw("config?TOKN=" + token, body), status);
            QVERIFY(simulator.treeValues("$.SERV.LIM.RMAX") == json("[3600]"));
            QCOMPARE(simulator.data(token, -1).status, 200);
        }
    }

    void startAndStopMeasurement()
    {
        const Json::Value idle = node("$.SERV.FCT.STST");
        const Json::Value startStop = SimulatorProcess::setTelegram("$.SERV.FCT.STST.VAL", 1);
        Json::Value telegrams = send("config", token, startStop);
        const QStringList paths = setPaths(telegrams);
        // The client's write first, then the new state, its "VAL" as an element of its own, the function idle again.
        QCOMPARE(paths.first(), QString("$.SERV.FCT.STST.VAL"));
        QVERIFY(paths.indexOf("$.SERV.STAT.MEAS") > 0 && paths.indexOf("$.SERV.STAT.MEAS.VAL") > paths.indexOf("$.SERV.STAT.MEAS"));
        QCOMPARE(paths.last(), QString("$.SERV.FCT.STST.VAL"));
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, "$.SERV.STAT.MEAS.VAL") == "START");
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, "$.SERV.FCT.STST.VAL") == 0);
        // The function's new text comes with a text id of its own.
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, "$.SERV.FCT.STST.T") != idle["T"]);
        const Json::Value id = SimulatorProcess::lastSetIn(telegrams, "$.SERV.FCT.STST.ID");
        QVERIFY(id.isInt() && id != idle["ID"]);

        // Meanwhile only entries with the measurement bit may change.
        const QString client = simulator.login("bediener", "1234");
        QCOMPARE(configWrite(client, "$.DISP.GEN.MEN.NAME.VAL", "Halle 11").size(), 0u);   // AUT 7
        QCOMPARE(setPaths(configWrite(client, "$.DISP.GEN.MEN.BEEP.VAL", false)), QStringList{"$.DISP.GEN.MEN.BEEP.VAL"});
        QCOMPARE(simulator.logout(client), 200);

        // Stop: the same write again. Stopped, live values go on, chart data not.
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("config", token, startStop), 200);
        QVERIFY(SimulatorProcess::lastSetIn(changesSince(reqId), "$.SERV.STAT.MEAS.VAL") == "STOP");
        QVERIFY(node("$.SERV.FCT.STST") == idle);
        QVERIFY(!nextLiveValue(QStringLiteral("$.DATA.MK[1]")).isNull());
        QCOMPARE(SimulatorProcess::listIn(changesSince(reqId), "MEM").size(), 0u);
    }

    void raisedMessageHasHighIds()
    {
        qint64 reqId = currentId();
        QCOMPARE(simulator.raiseMessage(json(R"({"MSG":{"ID":964,"T":"Bitte Fühler prüfen"}})")).size(), 1u);
        const Json::Value messages = SimulatorProcess::listIn(changesSince(reqId), "MSG");
        QCOMPARE(messages.size(), 1u);
        QVERIFY(messages[0]["MID"].asInt64() > (qint64(1) << 31) && messages[0]["MUID"].isInt64());
    }

    // Text ids name one text each; "DG" counts every character typed (sign,
    // digits, point and "DP" decimals: "-0.25" needs 5) and holds the entry's
    // value, limits and, in a table column, the values it points at.
    void treeEntriesAreConsistent()
    {
        QMap<qint64, QString> texts;
        QStringList faults;
        int entries = 0;
        const auto resolved = [this](const Json::Value& limit) { return limit.isObject() ? linked(limit)[0] : limit; };
        const auto visit = [&](const QString& path, const Json::Value& value) {
            if (!value.isObject())
                return;
            if (value["ID"].isInt64() && value["ID"].asInt64() >= 20000 && value["T"].isString()) {
                const QString text = QString::fromStdString(value["T"].asString());
                if (texts.value(value["ID"].asInt64(), text) != text)
                    faults << path + ": " + texts.value(value["ID"].asInt64()) + " / " + text;
                texts.insert(value["ID"].asInt64(), text);
            }
            const Json::Value& input = value["INP"];
            if (!input.isObject() || !input.isMember("DG"))
                return;
            ++entries;
            const int places = input.isMember("DP") ? resolved(input["DP"]).asInt() : 0;
            Json::Value numbers = value.isMember("VAL") || !value["PATH"].isString() ? json("[]") : linked(value);
            for (const Json::Value& number : {resolved(input["MIN"]), resolved(input["MAX"]), value["VAL"]})
                numbers.append(number);
            for (const Json::Value& number : numbers) {
                bool isNumber = number.isNumeric();
                const double held = number.isString() ? QString::fromStdString(number.asString()).toDouble(&isNumber)
                                                      : isNumber ? number.asDouble() : 0.0;
                const QString typed = QString::number(held, 'f', places);
                if (isNumber && typed.size() > resolved(input["DG"]).asInt())
                    faults << QStringLiteral("%1: \"%2\" in DG %3").arg(path, typed).arg(resolved(input["DG"]).asInt());
            }
        };
        QStringList paths;
        const Json::Value topLevel = simulator.treeValues("$.*", &paths);
        for (int i = 0; i < paths.size(); ++i)
            walk(topLevel[i], paths[i], visit);
        QVERIFY(texts.size() > 50 && entries > 20);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

    // The device information and event rows (which no screen test opens) link their entries and table.
    void informationAndEventRowsLinkTheirNodes()
    {
        const Json::Value root = node("$.DISP");
        for (const char* key : {"INFO", "EVT"})
            QVERIFY2(root[key]["INP"]["MODE"] == "M" && root[key]["ID"].isInt() && root[key]["MEN"]["ID"].isInt(), key);
        // Device information: entries linked through "PATH", the last two without "ID".
        const Json::Value info = root["INFO"]["MEN"];
        QCOMPARE(info["ROWS"].size(), 3u);
        for (Json::ArrayIndex i = 0; i < 3; ++i) {
            const Json::Value entry = linked(info[info["ROWS"][i].asString()])[0];
            QVERIFY(entry["T"].isString() && entry["VAL"].isString() && entry.isMember("ID") == (i == 0));
        }
        // Events: one header per column, every column as long as the others: empty.
        const Json::Value events = linked(root["EVT"]["MEN"]["DTAB"])[0];
        QVERIFY(events["TH"].size() == events["TD"].size() && events["TD"][0]["INP"]["MODE"] == "DU");
        for (const Json::Value& column : events["TD"])
            QCOMPARE(linked(column).size(), 0u);
    }

    void sensorSettingsAreCopiedIntoTheList()
    {
        const QString sensor = QStringLiteral("$.DATA.DEV[2].SEN[3]");
        Json::Value telegrams = configWrite(token, sensor + ".CFG.KB.VAL", "Abgas Kamin");
        QCOMPARE(setPaths(telegrams), (QStringList{sensor + ".CFG.KB.VAL", sensor + ".KB", sensor + ".CHG"}));
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, sensor + ".KB") == "Abgas Kamin");
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, sensor + ".CHG") == 1);
        telegrams = configWrite(token, sensor + ".CFG.TYP.VAL", "Pt100");
        QCOMPARE(setPaths(telegrams), (QStringList{sensor + ".CFG.TYP.VAL", sensor + ".TYP", sensor + ".CHG"}));
        // The type is the administrator's: a refused write changes neither.
        QCOMPARE(configWrite(simulator.login("bediener", "1234"), sensor + ".CFG.TYP.VAL", "NTC").size(), 0u);
        QVERIFY(node(sensor + ".TYP") == "Pt100" && node(sensor + ".CHG") == 2);
    }

    void clientNodeIsNeverSent()
    {
        Json::Value telegram = SimulatorProcess::getTelegram(
            {"$.DATA.DEV[($.CLNT.IDX.DEV)].SENCNT", "$.DATA.DEV[2].SENCNT", "$.CLNT.IDX"});
        telegram["INST"]["SET"] = SimulatorProcess::setTelegram("$.CLNT.IDX.DEV", 2)["INST"]["SET"];
        telegram["INST"]["DEL"] = SimulatorProcess::delTelegram("$.CLNT.IDX.SEN")["INST"]["DEL"];
        const QString other = simulator.login("service", "service");
        qint64 reqId = currentId();
        qint64 otherReqId = reqId;
        QCOMPARE(simulator.post("config", token, telegram), 200);
        // Only the solved read and the asker's own read of "$.CLNT" are answered, to the asker alone.
        QCOMPARE(setPaths(changesSince(reqId)), (QStringList{"$.DATA.DEV[2].SENCNT", "$.CLNT.IDX"}));
        QCOMPARE(changesSince(otherReqId, other).size(), 0u);
        QVERIFY(node("$.CLNT.IDX") == json(R"({"AIN":0,"DEV":0,"SEN":0})"));
    }

    void emptyWildcardReadsAnsweredWithTheirContainerWhenAsked()
    {
        const Json::Value reads = SimulatorProcess::getTelegram(
            {"$.DATA.EVT[*].DU", "$.MEM.MTAB[?(@.ID==99)]", "$.SERV.NOPE[*]"});
        QCOMPARE(send("path", token, reads).size(), 0u);
        QVERIFY(simulator.setEmptyReadsAsContainer(true));
        auto sets = SimulatorProcess::setsIn(send("path", token, reads));
        QCOMPARE(sets.size(), 2);   // no container, no answer
        QVERIFY(sets[0].first == "$.DATA.EVT" && sets[0].second == json("[]"));
        QVERIFY(sets[1].first == "$.MEM.MTAB" && sets[1].second == node("$.MEM.MTAB"));
        // An event the device logs (sent through the change log) is found from then on.
        QVERIFY(simulator.injectTelegram(SimulatorProcess::setTelegram(
                    "$.DATA.EVT[0]", json(R"({"DU":1709366400000,"TXT":"Netzausfall"})"))) > 0);
        sets = SimulatorProcess::setsIn(send("path", token, SimulatorProcess::getTelegram({"$.DATA.EVT[*].DU"})));
        QCOMPARE(sets.size(), 1);
        QVERIFY(sets[0].first == "$.DATA.EVT[0].DU" && sets[0].second == Json::Int64(1709366400000));
    }

    void clearingExtremesTakesTheValueInOneTelegram()
    {
        // Text values, number values, a sensor break.
        for (const QString channel : {"$.DATA.MK[0]", "$.DATA.MK[2]", "$.DATA.MK[8]"}) {
            const Json::Value value = node(channel + ".MV.MW.VAL");
            const QString function = channel + ".FCT.CLMX.VAL";
            const Json::Value telegrams = configWrite(token, function, 1);
            QCOMPARE(telegrams.size(), 1u);
            const auto sets = SimulatorProcess::setsIn(telegrams);
            QCOMPARE(setPaths(telegrams), (QStringList{function, channel + ".MV.MAW.VAL", channel + ".MV.MIW.VAL", function}));
            QVERIFY(sets[1].second == value && sets[2].second == value && sets[3].second == 0);
            QVERIFY(node(channel + ".MV.MAW.VAL") == value && node(channel + ".MV.MIW.VAL") == value && node(function) == 0);
        }
    }

    // Zeroing makes the value the offset; an offset edit within its limits shifts the values back.
    void zeroAndOffsetShiftTheValuesAndLiveValuesFollow()
    {
        const QString channel = "$.DATA.MK[1]";   // offset -100 ... 100, one decimal
        QVERIFY(!nextLiveValue(channel).isNull());   // the device knows the channel's value
        const QStringList items{".FCT.TARA.OFFS.VAL", ".MV.MW.VAL", ".MV.MAW.VAL", ".MV.MIW.VAL", ".MV.MTW.VAL"};
        const auto values = [&] {
            QList<double> numbers;
            for (const QString& item : items)
                numbers << numberOf(node(channel + item));
            return numbers;
        };
        const QList<double> before = values();
        const double value = before[1];
        QVERIFY(std::fabs(value) > 10);
        const auto text = [](double number) { return Json::Value(QString::number(number, 'f', 1).toStdString()); };
        QStringList paths;
        for (const QString& item : items)
            paths << channel + item;

        const QString function = channel + ".FCT.TARA.VAL";
        Json::Value telegrams = configWrite(token, function, 1);
        QCOMPARE(telegrams.size(), 1u);
        auto sets = SimulatorProcess::setsIn(telegrams);
        QCOMPARE(setPaths(telegrams), QStringList{function} + paths + QStringList{function});
        QVERIFY(sets[1].second == text(before[0] + value) && sets[2].second == text(0) && sets[6].second == 0);
        for (int i = 3; i <= 5; ++i)
            QVERIFY2(sets[i].second == text(before[i - 1] - value), qPrintable(paths[i - 1]));
        // The sensor goes on near its old value; the channel shows it less the new zero.
        const Json::Value live = nextLiveValue(channel);
        QVERIFY2(!live.isNull() && std::fabs(numberOf(live)) < 3, live.toStyledString().c_str());

        // An offset beyond its maximum is refused; back to the old zero, the values rise by the offset again.
        const Json::Value zeroed = node(channel);
        QCOMPARE(configWrite(token, paths[0], "150.0").size(), 0u);
        QVERIFY(node(channel) == zeroed);
        const QList<double> shown = values();
        telegrams = configWrite(token, paths[0], text(before[0]));
        QCOMPARE(telegrams.size(), 1u);
        QCOMPARE(setPaths(telegrams), paths);
        for (int i = 1; i < items.size(); ++i)
            QVERIFY2(node(paths[i]) == text(shown[i] + value), qPrintable(paths[i]));
    }

    void liveValuesChangeUntilPaused()
    {
        QStringList channelPaths;
        const Json::Value before = simulator.treeValues("$.DATA.MK[*].MV.MW.VAL", &channelPaths);
        QCOMPARE(channelPaths.size(), 9);
        qint64 reqId = currentId();
        QVERIFY(simulator.pauseLiveValues(false));
        const Json::Value telegrams = simulator.waitFor(token, reqId, [&channelPaths](const Json::Value& telegram) {
            for (const QString& path : setPaths(listOf(telegram)))
                if (channelPaths.contains(path))
                    return true;
            return false;
        });
        QVERIFY(simulator.pauseLiveValues(true));
        const auto sets = SimulatorProcess::setsIn(telegrams);
        QVERIFY(!sets.isEmpty());
        const int channel = channelPaths.indexOf(sets.first().first);
        QVERIFY(channel >= 0);
        QVERIFY2(!(sets.first().second == before[channel]), "a live value goes out when it changed");
        QCOMPARE(sets.first().second.type(), before[channel].type());   // text stays text, numbers numbers

        // Once paused, the device is quiet.
        changesSince(reqId);
        QThread::msleep(200);
        QCOMPARE(changesSince(reqId).size(), 0u);

        // The channel in front is removed: the one moved into its place goes on near its own value.
        const double removed = numberOf(node("$.DATA.MK[0].MV.MW.VAL"));
        const double moved = numberOf(node("$.DATA.MK[1].MV.MW.VAL"));
        QVERIFY(std::fabs(removed - moved) > 5);
        QVERIFY(simulator.injectTelegram(SimulatorProcess::delTelegram("$.DATA.MK[0]")) > 0);
        QVERIFY(node("$.DATA.MK[0].ADR") == "CH02");
        const Json::Value next = nextLiveValue(QStringLiteral("$.DATA.MK[0]"));
        QVERIFY2(std::fabs(numberOf(next) - moved) < 2, qPrintable(QString::number(numberOf(next))));
    }
};

QTEST_GUILESS_MAIN(tst_DeviceSimulator)
#include "tst_devicesim.moc"
