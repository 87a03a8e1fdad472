// The device simulator, driven over loopback as the client drives it.

#include "SimulatorProcess.h"
#include "TelegramText.h"

#include <QMap>
#include <QSet>
#include <QThread>
#include <QtTest>

#include <cmath>
#include <functional>
#include <string>

namespace {

QStringList pathsOf(const QVector<std::pair<QString, Json::Value>>& sets)
{
    QStringList paths;
    for (const auto& set : sets)
        paths.append(set.first);
    return paths;
}

// A number of the tree (a number or a text holding one) as a double.
double numberOf(const Json::Value& value)
{
    return value.isString() ? std::stod(value.asString()) : value.asDouble();
}

} // namespace

class tst_DeviceSimulator : public QObject
{
    Q_OBJECT

private:
    // Every telegram the device has sent the client after reqId, which then follows the answer.
    Json::Value changesSince(qint64& reqId, const QString& client = QString())
    {
        const auto nothing = [](const Json::Value&) { return false; };
        return simulator.waitFor(client.isEmpty() ? token : client, reqId, nothing, 0);
    }
    qint64 currentId() { return simulator.data(token, -1).reqId; }
    // The one node of the simulator's tree at a concrete path; null when there is none.
    Json::Value node(const QString& path)
    {
        const Json::Value values = simulator.treeValues(path);
        return values.size() == 1 ? values[0] : Json::Value();
    }
    // The nodes a "PATH" member points at.
    Json::Value linked(const Json::Value& link)
    {
        return simulator.treeValues(QString::fromStdString(link["PATH"].asString()));
    }
    // Writes value at path as the client with token client does; returns what the device sent back.
    Json::Value configWrite(const QString& client, const QString& path, const Json::Value& value)
    {
        qint64 reqId = currentId();
        if (simulator.post("config", client, SimulatorProcess::setTelegram(path, value)) != 200)
            return Json::Value();
        return changesSince(reqId, client);
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

    SimulatorProcess simulator{{"--paused", "--live-interval", "50"}};
    QString token;

private slots:
    void initTestCase()
    {
        QVERIFY(simulator.start());
        QVERIFY(simulator.port() > 0);
        token = simulator.login("admin", "admin");
        QVERIFY(!token.isEmpty());
    }

    void init()
    {
        QVERIFY(simulator.clearFaults());
        QVERIFY(simulator.pauseLiveValues(true));
        QVERIFY(simulator.setEchoMode("exact"));
        QVERIFY(simulator.setEmptyReadsAsContainer(false));
    }

    void cleanupTestCase()
    {
        QVERIFY2(simulator.stop(), "SIGTERM ends the simulator with exit code 0");
    }

    void loginAnswersWithTokenUserAndMasks_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("expected");   // "CLNT" without "TOKN"

        QTest::newRow("admin") << "admin" << "admin"
                               << QByteArray(R"({"US":{"ID":1,"NAME":"admin"},
                                   "RIGT":{"ROLE":{"AUT":1},"MEAS":{"AUT":65536},"DACT":{"AUT":256}}})");
        QTest::newRow("masks with bit 63") << "werk" << "werk500"
                                           << QByteArray(R"({"US":{"ID":9,"NAME":"werk"},
                                               "RIGT":{"ROLE":{"AUT":9223372036854775809},
                                                       "MEAS":{"AUT":9223372036854841344},
                                                       "DACT":{"AUT":9223372036854777856}}})");
    }

    void loginAnswersWithTokenUserAndMasks()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QByteArray, expected);

        const Json::Value reply = simulator.loginReply(user, password);
        QVERIFY(reply.isObject());
        Json::Value node = reply["CLNT"];
        QVERIFY(node["TOKN"].isString());
        QVERIFY(!node["TOKN"].asString().empty());
        node.removeMember("TOKN");
        // Masks with bit 63 go out as unsigned numbers, which the text comparison tells from negative ones.
        QCOMPARE(QString::fromStdString(node.toStyledString()), QString::fromStdString(json(expected).toStyledString()));
    }

    void refusedLoginsAndUnknownTokens()
    {
        const Json::Value refused = simulator.loginReply("admin", "Admin");
        QVERIFY2(refused["CLNT"].isObject(), "a refusal is a 200 with a \"CLNT\" node");
        QVERIFY(!refused["CLNT"].isMember("TOKN"));

        for (const char* endpoint : {"path", "config", "measure", "export", "user", "logout"})
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
        QCOMPARE(first, reqId + 1);
        QCOMPARE(second, reqId + 2);

        SimulatorProcess::DataAnswer answer = simulator.data(token, reqId);
        QCOMPARE(answer.reqId, second);
        QCOMPARE(answer.telegrams.size(), 2u);
        QCOMPARE(SimulatorProcess::lastSetIn(answer.telegrams, "$.MEM.SFP.VAL").asInt(), 44);

        answer = simulator.data(token, first);   // a client that missed one gets just that one
        QCOMPARE(answer.telegrams.size(), 1u);

        // The last id, an unknown one and one the device never gave: the current id and no old changes.
        for (qint64 unknown : {second, qint64(-1), second + 1000, qint64(-7)}) {
            answer = simulator.data(token, unknown);
            QCOMPARE(answer.reqId, second);
            QCOMPARE(answer.telegrams.size(), 0u);
        }
    }

    void readsAreAnsweredAtConcretePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("answered");
        QTest::newRow("initial paths") << "$.IPTH" << QStringList{"$.IPTH"};
        QTest::newRow("filter") << "$.DATA.MK[?(@.IDX>=7)]" << QStringList{"$.DATA.MK[7]", "$.DATA.MK[8]"};
        QTest::newRow("wildcard") << "$.DATA.AIN[*].NR"
                                  << QStringList{"$.DATA.AIN[0].NR", "$.DATA.AIN[1].NR", "$.DATA.AIN[2].NR"};
        QTest::newRow("missing node") << "$.SERV.NOPE" << QStringList{};
    }

    void readsAreAnsweredAtConcretePaths()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, answered);
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("path", token, SimulatorProcess::getTelegram({path})), 200);
        const Json::Value telegrams = changesSince(reqId);
        QCOMPARE(pathsOf(SimulatorProcess::setsIn(telegrams)), answered);
        if (path == "$.IPTH") {
            const Json::Value paths = SimulatorProcess::lastSetIn(telegrams, "$.IPTH");
            QVERIFY(paths.isArray() && paths.size() >= 7);
            QCOMPARE(paths[0].asString(), std::string("$.CLNT"));
        }
    }

    void setIsAppliedAndEchoedWithinLimitsOnly_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("stored");   // as the device keeps and echoes it; empty: refused
        QTest::newRow("number typed as text") << "$.DISP.GEN.MEN.RATE.VAL" << QByteArray(R"("15")") << QByteArray("15");
        QTest::newRow("table cell") << "$.DATA.AIN[1].LIM.HI" << QByteArray(R"("85.5")") << QByteArray("85.5");
        QTest::newRow("above a limit from a path") << "$.DISP.GEN.MEN.RATE.VAL" << QByteArray("5000") << QByteArray();
        QTest::newRow("not a number") << "$.DISP.GEN.MEN.EXPT.VAL" << QByteArray(R"("viel")") << QByteArray();
        QTest::newRow("below a missing channel") << "$.DATA.MK[9].FCT.CLMX.VAL" << QByteArray("1") << QByteArray();
        QTest::newRow("a missing channel") << "$.DATA.MK[12]" << QByteArray("1") << QByteArray();
        const QByteArray longText = '"' + QByteArray(20000, 'x') + '"';
        QTest::newRow("form body over 8 KB") << "$.DISP.GEN.MEN.LOC.VAL" << longText << longText;
    }

    void setIsAppliedAndEchoedWithinLimitsOnly()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, stored);
        const Json::Value before = simulator.treeValues(path);
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("config", token, SimulatorProcess::setTelegram(path, json(sent))), 200);
        const Json::Value telegrams = changesSince(reqId);
        if (stored.isEmpty()) {
            QCOMPARE(telegrams.size(), 0u);
            QVERIFY(simulator.treeValues(path) == before);
            return;
        }
        QCOMPARE(pathsOf(SimulatorProcess::setsIn(telegrams)), QStringList{path});
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, path) == json(stored));
        QVERIFY(simulator.treeValues(path) == json("[" + stored + "]"));
    }

    void deleteRemovesTheNodeAndIsEchoed()
    {
        QCOMPARE(simulator.treeValues("$.EXP.TPL[*]").size(), 2u);
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("export", token, SimulatorProcess::delTelegram("$.EXP.TPL[1]")), 200);
        const Json::Value telegrams = changesSince(reqId);
        QCOMPARE(SimulatorProcess::deletesIn(telegrams), QStringList{"$.EXP.TPL[1]"});
        QCOMPARE(simulator.treeValues("$.EXP.TPL[*]").size(), 1u);

        // A missing node is not deleted, so nothing is echoed.
        QCOMPARE(simulator.post("export", token, SimulatorProcess::delTelegram("$.EXP.TPL[5]")), 200);
        QCOMPARE(changesSince(reqId).size(), 0u);
    }

    void startAndStopMeasurement()
    {
        const Json::Value idle = node("$.SERV.FCT.STST");
        qint64 reqId = currentId();
        const Json::Value startStop = SimulatorProcess::setTelegram("$.SERV.FCT.STST.VAL", 1);
        QCOMPARE(simulator.post("config", token, startStop), 200);
        Json::Value telegrams = changesSince(reqId);
        QStringList paths = pathsOf(SimulatorProcess::setsIn(telegrams));
        // The client's write first, then the new state, its "VAL" as an element of its own, the function idle again.
        QCOMPARE(paths.first(), QString("$.SERV.FCT.STST.VAL"));
        const int state = paths.indexOf("$.SERV.STAT.MEAS");
        QVERIFY(state > 0);
        QVERIFY(paths.indexOf("$.SERV.STAT.MEAS.VAL") > state);
        QCOMPARE(paths.last(), QString("$.SERV.FCT.STST.VAL"));
        QCOMPARE(SimulatorProcess::lastSetIn(telegrams, "$.SERV.STAT.MEAS.VAL").asString(), std::string("START"));
        QCOMPARE(SimulatorProcess::lastSetIn(telegrams, "$.SERV.FCT.STST.VAL").asInt(), 0);
        const Json::Value measurement = SimulatorProcess::lastSetIn(telegrams, "$.SERV.STAT.MEAS");
        // The function's new text comes with a text id of its own.
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, "$.SERV.FCT.STST.T") != idle["T"]);
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, "$.SERV.FCT.STST.ID").isInt());
        QVERIFY(SimulatorProcess::lastSetIn(telegrams, "$.SERV.FCT.STST.ID") != idle["ID"]);

        // While measuring, chart blocks of this measurement stream in.
        QVERIFY(simulator.pauseLiveValues(false));
        telegrams = simulator.waitFor(token, reqId, [](const Json::Value& telegram) {
            return SimulatorProcess::listIn(listOf(telegram), "MEM").size() > 0;
        });
        QVERIFY(simulator.pauseLiveValues(true));
        const Json::Value blocks = SimulatorProcess::listIn(telegrams, "MEM");
        QCOMPARE(blocks[0]["ID"].asInt64(), measurement["ID"].asInt64());

        // Meanwhile only entries with the measurement bit may change.
        QVERIFY(simulator.state()["measuring"].asBool());
        const QString client = simulator.login("bediener", "1234");
        QCOMPARE(configWrite(client, "$.DISP.GEN.MEN.NAME.VAL", "Halle 11").size(), 0u);   // AUT 7
        QCOMPARE(pathsOf(SimulatorProcess::setsIn(configWrite(client, "$.DISP.GEN.MEN.BEEP.VAL", false))),
                 QStringList{"$.DISP.GEN.MEN.BEEP.VAL"});   // AUT 65543
        QCOMPARE(simulator.logout(client), 200);

        // Stop: the same write again.
        reqId = currentId();
        QCOMPARE(simulator.post("config", token, startStop), 200);
        telegrams = changesSince(reqId);
        QCOMPARE(SimulatorProcess::lastSetIn(telegrams, "$.SERV.STAT.MEAS.VAL").asString(), std::string("STOP"));
        QVERIFY(node("$.SERV.FCT.STST") == idle);
        QVERIFY(!simulator.state()["measuring"].asBool());

        // Stopped: live values go on, chart data not.
        QVERIFY(!nextLiveValue(QStringLiteral("$.DATA.MK[1]")).isNull());
        QCOMPARE(SimulatorProcess::listIn(changesSince(reqId), "MEM").size(), 0u);
    }

    void raisedMessageHasHighIds()
    {
        qint64 reqId = currentId();
        const Json::Value raised = simulator.raiseMessage(json(R"({"MSG":{"ID":964,"T":"Bitte Fühler prüfen"}})"));
        QCOMPARE(raised.size(), 1u);
        const Json::Value messages = SimulatorProcess::listIn(changesSince(reqId), "MSG");
        QCOMPARE(messages.size(), 1u);
        const Json::Value& message = messages[0];
        QVERIFY(message["MID"].asInt64() > (qint64(1) << 31));
        QVERIFY(message["MUID"].isInt64());
    }

    void badBodiesAreRefusedWithoutHarm_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::newRow("not JSON") << QByteArray("USER=admin&PASS=admin") << 400;
        QTest::newRow("deeply nested") << QByteArray(100000, '[') << 400;
        QTest::newRow("bad elements") << QByteArray(R"({"INST":{"SET":{"VAL":[{"DEST":{"PATH":"DATA"},"VAL":1},
            {"DEST":{"PATH":"$.SERV.LIM"},"VAL":{"X":1}},{"DEST":{"PATH":"$.SERV.LIM.RMAX.X"},"VAL":{"Y":1}},
            {"DEST":{"PATH":"$.L[x]"},"VAL":1},{"DEST":{"PATH":"$.SERV.LIM.RMAX"}}]}}})") << 200;
    }

    void badBodiesAreRefusedWithoutHarm()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QCOMPARE(simulator.postRaw("config?TOKN=" + token, body), status);
        QVERIFY(simulator.treeValues("$.SERV.LIM.RMAX") == json("[3600]"));
        QCOMPARE(simulator.data(token, -1).status, 200);
    }

    void configWritesNeedTheUsersRights_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("accepted");
        // LOC is for the administrator only (AUT 1), NAME for every role (7),
        // EXPT deactivated for the operator's role (1031).
        QTest::newRow("admin, admin-only entry") << "admin" << "admin" << "$.DISP.GEN.MEN.LOC.VAL"
                                                 << QByteArray(R"("Linie 7")") << true;
        QTest::newRow("operator, admin-only entry") << "bediener" << "1234" << "$.DISP.GEN.MEN.LOC.VAL"
                                                    << QByteArray(R"("Linie 8")") << false;
        QTest::newRow("operator, entry of every role") << "bediener" << "1234" << "$.DISP.GEN.MEN.NAME.VAL"
                                                       << QByteArray(R"("Halle 9")") << true;
        QTest::newRow("operator, deactivated entry") << "bediener" << "1234" << "$.DISP.GEN.MEN.EXPT.VAL"
                                                     << QByteArray("3") << false;
        QTest::newRow("role mask with bit 63") << "werk" << "werk500" << "$.DISP.GEN.MEN.NAME.VAL"
                                               << QByteArray(R"("Halle 10")") << false;
    }

    void configWritesNeedTheUsersRights()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, path);
        QFETCH(QByteArray, value);
        QFETCH(bool, accepted);
        const QString client = simulator.login(user, password);
        QVERIFY(!client.isEmpty());
        const Json::Value before = node(path);
        QVERIFY(!(before == json(value)));

        const Json::Value telegrams = configWrite(client, path, json(value));
        if (accepted) {
            QCOMPARE(pathsOf(SimulatorProcess::setsIn(telegrams)), QStringList{path});
            QVERIFY(node(path) == json(value));
        } else {   // refused like a value beyond the limits: no echo, the value stays
            QCOMPARE(telegrams.size(), 0u);
            QVERIFY(node(path) == before);
        }
        QCOMPARE(simulator.logout(client), 200);
    }

    void roleWithoutDeactivationMaskKeepsItsRights()
    {
        SimulatorProcess other({"--paused", "--users", DEVICESIM_USERS_NO_DEACTIVATION});
        QVERIFY(other.start());
        const Json::Value reply = other.loginReply("bediener", "1234");
        QCOMPARE(reply["CLNT"]["RIGT"]["DACT"]["AUT"].asInt(), 0);
        const QString client = QString::fromStdString(reply["CLNT"]["TOKN"].asString());
        QVERIFY(!other.login("admin", "admin").isEmpty());

        for (const auto& write : {std::make_pair(QString("$.DISP.GEN.MEN.NAME.VAL"), true),
                                  std::make_pair(QString("$.DISP.GEN.MEN.LOC.VAL"), false)}) {
            const qint64 reqId = other.data(client, -1).reqId;
            QCOMPARE(other.post("config", client, SimulatorProcess::setTelegram(write.first, "Halle 12")), 200);
            const auto sets = SimulatorProcess::setsIn(other.data(client, reqId).telegrams);
            QCOMPARE(sets.size(), write.second ? 1 : 0);
        }
        QVERIFY(other.stop());
    }

    void echoOfConfigWrites_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("echoedPath");   // empty: nothing echoed
        // "exact", the default, is what the other tests here run with.
        QTest::newRow("entry") << "entry" << "$.DISP.GEN.MEN.NAME";
        QTest::newRow("none") << "none" << QString();
    }

    void echoOfConfigWrites()
    {
        QFETCH(QString, mode);
        QFETCH(QString, echoedPath);
        QVERIFY(simulator.setEchoMode(mode));
        const QString path = "$.DISP.GEN.MEN.NAME.VAL";
        const std::string name = "Halle " + mode.toStdString();

        const auto sets = SimulatorProcess::setsIn(configWrite(token, path, name));
        QCOMPARE(node(path).asString(), name);   // applied in every mode
        if (echoedPath.isEmpty()) {
            QCOMPARE(sets.size(), 0);
            return;
        }
        QCOMPARE(sets.size(), 1);
        QCOMPARE(sets[0].first, echoedPath);
        QVERIFY(sets[0].second == node(echoedPath));
    }

    void newRootRowsLinkTheirEntriesAndTables()
    {
        const Json::Value root = node("$.DISP");
        QStringList rows;
        for (const Json::Value& row : root["ROWS"])
            rows << QString::fromStdString(row.asString());
        for (const char* key : {"INFO", "EVT", "SENA"}) {
            QVERIFY2(rows.contains(key), key);
            QCOMPARE(root[key]["INP"]["MODE"].asString(), std::string("M"));
            QVERIFY2(root[key]["ID"].isInt() && root[key]["MEN"]["ID"].isInt(), key);
        }

        // Device information: entries linked through "PATH", the last two without "ID".
        const Json::Value info = root["INFO"]["MEN"];
        QCOMPARE(info["ROWS"].size(), 3u);
        for (Json::ArrayIndex i = 0; i < 3; ++i) {
            const Json::Value& link = info[info["ROWS"][i].asString()];
            QVERIFY(link["PATH"].isString());
            const Json::Value entry = linked(link)[0];
            QVERIFY2(entry["T"].isString() && entry["VAL"].isString(), link["PATH"].asCString());
            QCOMPARE(entry.isMember("ID"), i == 0);
        }

        // Data tables: one header per column, every column as long as the others.
        const auto columnLengths = [this](const Json::Value& description) {
            QSet<int> lengths;
            for (const Json::Value& column : description["TD"])
                lengths << int(linked(column).size());
            return lengths;
        };
        const Json::Value events = linked(root["EVT"]["MEN"]["DTAB"])[0];
        QCOMPARE(events["TH"].size(), events["TD"].size());
        QCOMPARE(events["TD"][0]["INP"]["MODE"].asString(), std::string("DU"));
        QCOMPARE(columnLengths(events), QSet<int>{0});
        QVERIFY(node("$.DATA.EVT") == Json::Value(Json::arrayValue));

        const Json::Value sensors = linked(root["SENA"]["MEN"]["DTAB"])[0];
        QCOMPARE(sensors["TH"].size(), sensors["TD"].size());
        QCOMPARE(columnLengths(sensors), QSet<int>{11});   // 2 + 1 + 8 + 0 sensors of the four devices
        QCOMPARE(sensors["TD"][2]["INP"]["AUT"].asInt(), 7);

        // Alarm limits: the first column holds whole entries, which bring their own input.
        const Json::Value limits = linked(root["ALRM"]["MEN"]["DTAB"])[0];
        QVERIFY(!limits["TD"][0].isMember("INP"));
        const Json::Value names = linked(limits["TD"][0]);
        QCOMPARE(names.size(), 3u);
        for (const Json::Value& entry : names)
            QVERIFY(entry["VAL"].isString() && entry["INP"]["MODE"].isString());
    }

    void deviceTextIdsNameOneTextEach()
    {
        QMap<qint64, QString> texts;
        QStringList clashes;
        std::function<void(const Json::Value&)> walk = [&](const Json::Value& value) {
            if (value.isObject() && value["ID"].isInt64() && value["ID"].asInt64() >= 20000 && value["T"].isString()) {
                const QString text = QString::fromStdString(value["T"].asString());
                const qint64 id = value["ID"].asInt64();
                if (texts.value(id, text) != text)
                    clashes << QString::number(id) + ": " + texts.value(id) + " / " + text;
                texts.insert(id, text);
            }
            for (const Json::Value& member : value)
                walk(member);
        };
        walk(simulator.treeValues("$.*"));   // every top-level node
        QVERIFY(texts.size() > 50);
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join("; ")));
    }

    void entryDigitsHoldValueAndLimits()
    {
        // "DG" counts every character typed: sign, digits, point and "DP" decimals ("-0.25" needs 5).
        QStringList tooShort;
        int entries = 0;
        const auto resolved = [this](const Json::Value& limit) {
            return limit.isObject() ? linked(limit)[0] : limit;
        };
        std::function<void(const Json::Value&, const QString&)> walk = [&](const Json::Value& value,
                                                                            const QString& path) {
            const Json::Value& input = value.isObject() ? value["INP"] : Json::Value::nullSingleton();
            if (input.isObject() && input.isMember("DG")) {
                ++entries;
                const int digits = resolved(input["DG"]).asInt();
                const int places = input.isMember("DP") ? resolved(input["DP"]).asInt() : 0;
                Json::Value numbers(Json::arrayValue);
                numbers.append(resolved(input["MIN"]));
                numbers.append(resolved(input["MAX"]));
                // An entry holds its value; a table column points at its values.
                if (value.isMember("VAL"))
                    numbers.append(value["VAL"]);
                else if (value["PATH"].isString())
                    for (const Json::Value& shown : linked(value))
                        numbers.append(shown);
                for (const Json::Value& number : numbers) {
                    bool isNumber = number.isNumeric();
                    double held = isNumber ? number.asDouble() : 0.0;
                    if (number.isString())
                        held = QString::fromStdString(number.asString()).toDouble(&isNumber);
                    if (!isNumber)
                        continue;
                    const QString typed = QString::number(held, 'f', places);
                    if (typed.size() > digits)
                        tooShort << QStringLiteral("%1: \"%2\" in DG %3").arg(path, typed).arg(digits);
                }
            }
            if (value.isObject()) {
                for (const std::string& key : value.getMemberNames())
                    walk(value[key], path + QLatin1Char('.') + QString::fromStdString(key));
            } else if (value.isArray()) {
                for (Json::ArrayIndex i = 0; i < value.size(); ++i)
                    walk(value[i], path + QStringLiteral("[%1]").arg(i));
            }
        };
        QStringList paths;
        const Json::Value topLevel = simulator.treeValues("$.*", &paths);
        for (int i = 0; i < paths.size(); ++i)
            walk(topLevel[i], paths[i]);
        QVERIFY(entries > 20);
        QVERIFY2(tooShort.isEmpty(), qPrintable(tooShort.join("; ")));
    }

    void sensorDevicesHaveTheSensorListsShape()
    {
        const Json::Value devices = node("$.DATA.DEV");
        QCOMPARE(node("$.DATA.DEVCNT").asUInt(), devices.size());
        QStringList names;
        for (const Json::Value& device : devices) {
            names << QString::fromStdString(device["ADR"].asString() + " " + device["NAME"].asString());
            QVERIFY(device["CHG"].isInt() && device["SEN"].isArray());
            QCOMPARE(device["SENCNT"].asUInt(), device["SEN"].size());
            for (Json::ArrayIndex j = 0; j < device["SEN"].size(); ++j) {
                const Json::Value& sensor = device["SEN"][j];
                QCOMPARE(sensor["NR"].asUInt(), j + 1);
                QVERIFY(sensor["CHG"].isInt() && sensor["CFG"]["ROWS"].size() == 3);
                QVERIFY(sensor["KB"] == sensor["CFG"]["KB"]["VAL"] && sensor["TYP"] == sensor["CFG"]["TYP"]["VAL"]);
            }
        }
        QCOMPARE(names, (QStringList{"17 Pumpe", "18 Tank", "19 Kessel", "20 Reserve"}));
        QCOMPARE(devices[2]["SENCNT"].asInt(), 8);
        QCOMPARE(devices[3]["SENCNT"].asInt(), 0);
        // The list's description columns each name every device.
        for (const Json::Value& column : node("$.DATA.SE.DESC"))
            QCOMPARE(linked(column).size(), devices.size());
    }

    void sensorSettingsAreCopiedIntoTheList()
    {
        const QString sensor = QStringLiteral("$.DATA.DEV[2].SEN[3]");
        Json::Value telegrams = configWrite(token, sensor + ".CFG.KB.VAL", "Abgas Kamin");
        QCOMPARE(pathsOf(SimulatorProcess::setsIn(telegrams)),
                 (QStringList{sensor + ".CFG.KB.VAL", sensor + ".KB", sensor + ".CHG"}));
        QCOMPARE(SimulatorProcess::lastSetIn(telegrams, sensor + ".KB").asString(), std::string("Abgas Kamin"));
        QCOMPARE(SimulatorProcess::lastSetIn(telegrams, sensor + ".CHG").asInt(), 1);

        telegrams = configWrite(token, sensor + ".CFG.TYP.VAL", "Pt100");
        QCOMPARE(pathsOf(SimulatorProcess::setsIn(telegrams)),
                 (QStringList{sensor + ".CFG.TYP.VAL", sensor + ".TYP", sensor + ".CHG"}));
        QCOMPARE(node(sensor + ".CHG").asInt(), 2);

        // The type is the administrator's: a refused write changes neither.
        const QString operatorToken = simulator.login("bediener", "1234");
        QCOMPARE(configWrite(operatorToken, sensor + ".CFG.TYP.VAL", "NTC").size(), 0u);
        QCOMPARE(node(sensor + ".TYP").asString(), std::string("Pt100"));
        QCOMPARE(node(sensor + ".CHG").asInt(), 2);
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
        QCOMPARE(pathsOf(SimulatorProcess::setsIn(changesSince(reqId))),
                 (QStringList{"$.DATA.DEV[2].SENCNT", "$.CLNT.IDX"}));
        QCOMPARE(changesSince(otherReqId, other).size(), 0u);
        QVERIFY(node("$.CLNT.IDX") == json(R"({"AIN":0,"DEV":0,"SEN":0})"));
    }

    void emptyWildcardReadsAnsweredWithTheirContainerWhenAsked()
    {
        const Json::Value reads = SimulatorProcess::getTelegram(
            {"$.DATA.EVT[*].DU", "$.MEM.MTAB[?(@.ID==99)]", "$.SERV.NOPE[*]"});
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("path", token, reads), 200);
        QCOMPARE(changesSince(reqId).size(), 0u);

        QVERIFY(simulator.setEmptyReadsAsContainer(true));
        QCOMPARE(simulator.post("path", token, reads), 200);
        auto sets = SimulatorProcess::setsIn(changesSince(reqId));
        QCOMPARE(pathsOf(sets), (QStringList{"$.DATA.EVT", "$.MEM.MTAB"}));   // no container, no answer
        QVERIFY(sets[0].second == Json::Value(Json::arrayValue));
        QVERIFY(sets[1].second == node("$.MEM.MTAB"));

        // An event the device logs (sent through the change log) is found from then on.
        QVERIFY(simulator.injectTelegram(SimulatorProcess::setTelegram(
                    "$.DATA.EVT[0]", json(R"({"DU":1709366400000,"TXT":"Netzausfall"})"))) > 0);
        changesSince(reqId);
        QCOMPARE(simulator.post("path", token, SimulatorProcess::getTelegram({"$.DATA.EVT[*].DU"})), 200);
        sets = SimulatorProcess::setsIn(changesSince(reqId));
        QCOMPARE(pathsOf(sets), QStringList{"$.DATA.EVT[0].DU"});
        QCOMPARE(sets[0].second.asInt64(), Q_INT64_C(1709366400000));
    }

    void clearingExtremesTakesTheValueInOneTelegram_data()
    {
        QTest::addColumn<QString>("channel");
        QTest::newRow("text values") << "$.DATA.MK[0]";
        QTest::newRow("number values") << "$.DATA.MK[2]";
        QTest::newRow("sensor break") << "$.DATA.MK[8]";
    }

    void clearingExtremesTakesTheValueInOneTelegram()
    {
        QFETCH(QString, channel);
        const Json::Value value = node(channel + ".MV.MW.VAL");
        const QString function = channel + ".FCT.CLMX.VAL";
        const Json::Value telegrams = configWrite(token, function, 1);
        QCOMPARE(telegrams.size(), 1u);
        const auto sets = SimulatorProcess::setsIn(telegrams);
        QCOMPARE(pathsOf(sets), (QStringList{function, channel + ".MV.MAW.VAL", channel + ".MV.MIW.VAL", function}));
        QVERIFY(sets[1].second == value && sets[2].second == value);
        QCOMPARE(sets[3].second.asInt(), 0);
        QVERIFY(node(channel + ".MV.MAW.VAL") == value && node(channel + ".MV.MIW.VAL") == value);
        QCOMPARE(node(function).asInt(), 0);
    }

    void zeroMakesTheValueTheOffsetAndLiveValuesFollow()
    {
        const QString channel = "$.DATA.MK[1]";
        QVERIFY(!nextLiveValue(channel).isNull());   // the device knows the channel's value
        QMap<QString, double> before;
        const QStringList items{".FCT.TARA.OFFS.VAL", ".MV.MW.VAL", ".MV.MAW.VAL", ".MV.MIW.VAL", ".MV.MTW.VAL"};
        for (const QString& item : items)
            before[item] = numberOf(node(channel + item));
        const double value = before[".MV.MW.VAL"];
        QVERIFY(std::fabs(value) > 10);
        const auto text = [](double number) { return Json::Value(QString::number(number, 'f', 1).toStdString()); };

        const QString function = channel + ".FCT.TARA.VAL";
        const Json::Value telegrams = configWrite(token, function, 1);
        QCOMPARE(telegrams.size(), 1u);
        const auto sets = SimulatorProcess::setsIn(telegrams);
        QStringList paths{function};
        for (const QString& item : items)
            paths << channel + item;
        paths << function;
        QCOMPARE(pathsOf(sets), paths);
        QVERIFY(sets[1].second == text(before[items[0]] + value));
        QVERIFY(sets[2].second == text(0));
        for (int i = 3; i <= 5; ++i)
            QVERIFY2(sets[i].second == text(before[items[i - 1]] - value), qPrintable(paths[i]));
        QCOMPARE(sets[6].second.asInt(), 0);

        // The sensor goes on near its old value; the channel shows it less the new zero.
        const Json::Value live = nextLiveValue(channel);
        QVERIFY(!live.isNull());
        QVERIFY2(std::fabs(numberOf(live)) < 3, live.asCString());

        // Back to the old zero: the values rise by the offset again.
        const double shown = numberOf(node(channel + ".MV.MW.VAL"));
        const Json::Value back = configWrite(token, channel + ".FCT.TARA.OFFS.VAL", text(before[items[0]]));
        QVERIFY(SimulatorProcess::lastSetIn(back, channel + ".MV.MW.VAL") == text(shown + value));
    }

    void offsetEditShiftsTheValuesWithinItsLimitsOnly_data()
    {
        QTest::addColumn<QByteArray>("offset");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("within") << QByteArray(R"("1.50")") << true;
        QTest::newRow("beyond the maximum") << QByteArray(R"("7.00")") << false;
    }

    void offsetEditShiftsTheValuesWithinItsLimitsOnly()
    {
        QFETCH(QByteArray, offset);
        QFETCH(bool, accepted);
        const QString channel = "$.DATA.MK[7]";   // offset -5 ... 5
        const QStringList items{".MV.MW.VAL", ".MV.MAW.VAL", ".MV.MIW.VAL", ".MV.MTW.VAL"};
        const Json::Value tree = node(channel);
        const double change = numberOf(json(offset)) - numberOf(node(channel + ".FCT.TARA.OFFS.VAL"));

        const Json::Value telegrams = configWrite(token, channel + ".FCT.TARA.OFFS.VAL", json(offset));
        if (!accepted) {
            QCOMPARE(telegrams.size(), 0u);
            QVERIFY(node(channel) == tree);
            return;
        }
        QCOMPARE(telegrams.size(), 1u);
        QStringList paths{channel + ".FCT.TARA.OFFS.VAL"};
        for (const QString& item : items)
            paths << channel + item;
        QCOMPARE(pathsOf(SimulatorProcess::setsIn(telegrams)), paths);
        for (const QString& item : items) {
            const double old = numberOf(tree["MV"][item.section('.', 2, 2).toStdString()]["VAL"]);
            QCOMPARE(node(channel + item).asString(), QString::number(old - change, 'f', 2).toStdString());
        }
    }

    void channelsOptionRepeatsTheChannelsAndTheirLiveValues()
    {
        SimulatorProcess many({"--paused", "--live-interval", "20", "--channels", "40"});
        QVERIFY(many.start());
        const QString client = many.login("admin", "admin");
        QStringList paths;
        const Json::Value channels = many.treeValues("$.DATA.MK[*]", &paths);
        QCOMPARE(channels.size(), 40u);
        QSet<QString> addresses;
        QSet<QString> names;
        QSet<QString> moving;   // value paths of the channels with a working sensor
        QSet<QString> still;
        for (Json::ArrayIndex i = 0; i < channels.size(); ++i) {
            const Json::Value& channel = channels[i];
            QCOMPARE(channel["IDX"].asUInt(), i);
            addresses << QString::fromStdString(channel["ADR"].asString());
            names << QString::fromStdString(channel["MV"]["T"].asString());
            bool broken = false;
            for (const Json::Value& flag : channel["MV"]["STF"]["VAL"])
                broken = broken || flag == "-" || flag == "X";
            (broken ? still : moving) << paths[int(i)] + ".MV.MW.VAL";
        }
        QCOMPARE(addresses.size(), 40);
        QCOMPARE(names.size(), 40);
        QCOMPARE(still.size(), 8);   // offline and sensor break, in each round

        QSet<QString> moved;
        qint64 reqId = many.data(client, -1).reqId;
        QVERIFY(many.pauseLiveValues(false));
        many.waitFor(client, reqId, [&](const Json::Value& telegram) {
            for (const auto& set : SimulatorProcess::setsIn(listOf(telegram))) {
                if (set.first.endsWith(".MV.MW.VAL"))
                    moved << set.first;
            }
            return moved.contains(moving);
        }, 15000);
        QVERIFY(many.pauseLiveValues(true));
        QCOMPARE(moved - still, moving);
        QCOMPARE(moved & still, QSet<QString>());
        QVERIFY(many.stop());
    }

    void liveValuesChangeUntilPaused()
    {
        QStringList channelPaths;
        const Json::Value before = simulator.treeValues("$.DATA.MK[*].MV.MW.VAL", &channelPaths);
        QCOMPARE(channelPaths.size(), 9);
        const auto isLiveValue = [&channelPaths](const Json::Value& telegram) {
            for (const auto& set : SimulatorProcess::setsIn(listOf(telegram))) {
                if (channelPaths.contains(set.first))
                    return true;
            }
            return false;
        };
        qint64 reqId = currentId();
        QVERIFY(simulator.pauseLiveValues(false));
        const Json::Value telegrams = simulator.waitFor(token, reqId, isLiveValue);
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
        QCOMPARE(node("$.DATA.MK[0].ADR").asString(), std::string("CH02"));
        const Json::Value next = nextLiveValue(QStringLiteral("$.DATA.MK[0]"));
        QVERIFY2(std::fabs(numberOf(next) - moved) < 2, qPrintable(QString::number(numberOf(next))));
    }
};

QTEST_GUILESS_MAIN(tst_DeviceSimulator)
#include "tst_devicesim.moc"
