// The device simulator, driven over loopback as the client drives it.

#include "SimulatorProcess.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <memory>
#include <thread>

namespace {

Json::Value json(const QByteArray& text)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    if (!reader->parse(text.constData(), text.constData() + text.size(), &value, &errors))
        qFatal("Bad JSON in the test: %s", text.constData());
    return value;
}

QStringList pathsOf(const QVector<std::pair<QString, Json::Value>>& sets)
{
    QStringList paths;
    for (const auto& set : sets)
        paths.append(set.first);
    return paths;
}

// The value of the last SET at path, null when there is none.
Json::Value lastSet(const Json::Value& telegrams, const QString& path)
{
    Json::Value value;
    for (const auto& set : SimulatorProcess::setsIn(telegrams)) {
        if (set.first == path)
            value = set.second;
    }
    return value;
}

// One telegram as a list of telegrams.
Json::Value listOf(const Json::Value& telegram)
{
    Json::Value list(Json::arrayValue);
    list.append(telegram);
    return list;
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
        QTest::newRow("operator") << "bediener" << "1234"
                                  << QByteArray(R"({"US":{"ID":7,"NAME":"bediener"},
                                      "RIGT":{"ROLE":{"AUT":4},"MEAS":{"AUT":65536},"DACT":{"AUT":1024}}})");
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
        QCOMPARE(QString::fromStdString(node.toStyledString()), QString::fromStdString(json(expected).toStyledString()));
        if (user == "werk")   // unsigned JSON numbers, not negative ones
            QVERIFY(reply["CLNT"]["RIGT"]["ROLE"]["AUT"].isUInt64() && !reply["CLNT"]["RIGT"]["ROLE"]["AUT"].isInt64());
    }

    void refusedLoginHasNoToken_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong password") << "admin" << "Admin";
        QTest::newRow("unknown user") << "mallory" << "admin";
        QTest::newRow("empty") << "" << "";
    }

    void refusedLoginHasNoToken()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        const Json::Value reply = simulator.loginReply(user, password);
        QVERIFY2(reply.isObject() && reply["CLNT"].isObject(), "a refusal is a 200 with a \"CLNT\" node");
        QVERIFY(!reply["CLNT"].isMember("TOKN"));
    }

    void unknownTokenGets401_data()
    {
        QTest::addColumn<QString>("endpoint");
        for (const char* endpoint : {"path", "config", "measure", "export", "user", "logout"})
            QTest::newRow(endpoint) << endpoint;
    }

    void unknownTokenGets401()
    {
        QFETCH(QString, endpoint);
        QCOMPARE(simulator.post(endpoint, "0123456789ABCDEF", SimulatorProcess::getTelegram({"$.IPTH"})), 401);
        QCOMPARE(simulator.data("0123456789ABCDEF", -1).status, 401);
    }

    void logoutEndsTheSession()
    {
        const QString other = simulator.login("service", "service");
        QCOMPARE(simulator.data(other, -1).status, 200);
        QCOMPARE(simulator.logout(other), 200);
        QCOMPARE(simulator.data(other, -1).status, 401);
        QCOMPARE(simulator.data(token, -1).status, 200);   // other sessions live on
    }

    void firstDataRequestGetsCurrentIdWithoutOldChanges()
    {
        const qint64 id = simulator.injectTelegram(json(R"({"INST":{"SET":{"VAL":[
            {"DEST":{"PATH":"$.MEM.RING"},"VAL":1}]}}})"));
        QVERIFY(id > 0);
        const SimulatorProcess::DataAnswer answer = simulator.data(token, -1);
        QVERIFY(answer.valid);
        QCOMPARE(answer.reqId, id);
        QCOMPARE(answer.telegrams.size(), 0u);
    }

    void everyChangeGoesOutOnce()
    {
        qint64 reqId = currentId();
        const qint64 first = simulator.injectTelegram(json(R"({"INST":{"SET":{"VAL":[
            {"DEST":{"PATH":"$.MEM.SFP.VAL"},"VAL":43}]}}})"));
        const qint64 second = simulator.injectTelegram(json(R"({"INST":{"SET":{"VAL":[
            {"DEST":{"PATH":"$.MEM.SFP.VAL"},"VAL":44}]}}})"));
        QCOMPARE(first, reqId + 1);
        QCOMPARE(second, reqId + 2);

        SimulatorProcess::DataAnswer answer = simulator.data(token, reqId);
        QCOMPARE(answer.reqId, second);
        QCOMPARE(answer.telegrams.size(), 2u);
        QCOMPARE(lastSet(answer.telegrams, "$.MEM.SFP.VAL").asInt(), 44);

        answer = simulator.data(token, second);
        QCOMPARE(answer.reqId, second);
        QCOMPARE(answer.telegrams.size(), 0u);

        answer = simulator.data(token, first);   // a client that missed one gets just that one
        QCOMPARE(answer.telegrams.size(), 1u);
    }

    void unknownRequestIdGetsCurrentIdOnly()
    {
        const qint64 id = currentId();
        for (qint64 unknown : {id + 1000, qint64(-7)}) {
            const SimulatorProcess::DataAnswer answer = simulator.data(token, unknown);
            QCOMPARE(answer.reqId, id);
            QCOMPARE(answer.telegrams.size(), 0u);
        }
    }

    void readsAreAnsweredAtConcretePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("answered");
        QTest::newRow("initial paths") << "$.IPTH" << QStringList{"$.IPTH"};
        QTest::newRow("filter") << "$.DATA.MK[?(@.IDX>=6)]" << QStringList{"$.DATA.MK[6]", "$.DATA.MK[7]"};
        QTest::newRow("filter on text") << "$.USMG.USLI[?(@.NAME==bediener)].ID" << QStringList{"$.USMG.USLI[2].ID"};
        QTest::newRow("wildcard") << "$.DATA.AIN[*].NR"
                                  << QStringList{"$.DATA.AIN[0].NR", "$.DATA.AIN[1].NR", "$.DATA.AIN[2].NR"};
        QTest::newRow("plain node") << "$.SERV.FCT.STST" << QStringList{"$.SERV.FCT.STST"};
        QTest::newRow("missing node") << "$.SERV.NOPE" << QStringList{};
        QTest::newRow("index past the end") << "$.DATA.AIN[9]" << QStringList{};
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
            const Json::Value paths = lastSet(telegrams, "$.IPTH");
            QVERIFY(paths.isArray() && paths.size() >= 7);
            QCOMPARE(paths[0].asString(), std::string("$.CLNT"));
        }
    }

    void readAnswerGoesToTheAskerAlone()
    {
        const QString other = simulator.login("bediener", "1234");
        qint64 reqId = currentId();
        qint64 otherReqId = reqId;
        QCOMPARE(simulator.post("path", other, SimulatorProcess::getTelegram({"$.CLNT.US"})), 200);
        const Json::Value answer = lastSet(changesSince(otherReqId, other), "$.CLNT.US");
        QCOMPARE(answer["NAME"].asString(), std::string("bediener"));   // its own login node
        QCOMPARE(changesSince(reqId).size(), 0u);
        QCOMPARE(reqId, otherReqId);   // ids are shared all the same
        simulator.logout(other);
    }

    void setWithinLimitsIsAppliedAndEchoed_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("stored");   // as the device keeps and echoes it
        QTest::newRow("number typed as text") << "$.DISP.GEN.MEN.RATE.VAL" << QByteArray(R"("15")") << QByteArray("15");
        QTest::newRow("limit from a path") << "$.DISP.GEN.MEN.RATE.VAL" << QByteArray("3600") << QByteArray("3600");
        QTest::newRow("negative, at the limit") << "$.DISP.GEN.MEN.OFFS.VAL" << QByteArray("-5") << QByteArray("-5");
        QTest::newRow("text without limits") << "$.DISP.GEN.MEN.NAME.VAL" << QByteArray(R"("Halle 4")")
                                             << QByteArray(R"("Halle 4")");
        QTest::newRow("table cell") << "$.DATA.AIN[1].LIM.HI" << QByteArray(R"("85.5")") << QByteArray("85.5");
        QTest::newRow("check box") << "$.DISP.GEN.MEN.BEEP.VAL" << QByteArray("false") << QByteArray("false");
    }

    void setWithinLimitsIsAppliedAndEchoed()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, stored);
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("config", token, SimulatorProcess::setTelegram(path, json(sent))), 200);
        const Json::Value telegrams = changesSince(reqId);
        QCOMPARE(pathsOf(SimulatorProcess::setsIn(telegrams)), QStringList{path});
        QVERIFY(lastSet(telegrams, path) == json(stored));
        QVERIFY(simulator.treeValues(path) == json("[" + stored + "]"));
    }

    void renamedMeasurementAlsoGoesOutAsItsNode()
    {
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("config", token,
                                SimulatorProcess::setTelegram("$.SERV.STAT.MEAS.FILE.VAL", "Kesselprobe")), 200);
        const Json::Value telegrams = changesSince(reqId);
        QCOMPARE(pathsOf(SimulatorProcess::setsIn(telegrams)),
                 (QStringList{"$.SERV.STAT.MEAS.FILE.VAL", "$.SERV.STAT.MEAS.FILE"}));
        QCOMPARE(lastSet(telegrams, "$.SERV.STAT.MEAS.FILE")["VAL"].asString(), std::string("Kesselprobe"));
    }

    void setOutsideLimitsIsNeitherAppliedNorEchoed_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("above a limit from a path") << "$.DISP.GEN.MEN.RATE.VAL" << QByteArray("5000");
        QTest::newRow("below the minimum") << "$.DISP.GEN.MEN.RATE.VAL" << QByteArray(R"("0")");
        QTest::newRow("above the maximum") << "$.DISP.GEN.MEN.OFFS.VAL" << QByteArray("7.5");
        QTest::newRow("not a number") << "$.DISP.GEN.MEN.EXPT.VAL" << QByteArray(R"("viel")");
        QTest::newRow("function value") << "$.DATA.MK[0].FCT.TARA.VAL" << QByteArray("2");
    }

    void setOutsideLimitsIsNeitherAppliedNorEchoed()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, sent);
        const Json::Value before = simulator.treeValues(path);
        QCOMPARE(before.size(), 1u);
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("config", token, SimulatorProcess::setTelegram(path, json(sent))), 200);
        QCOMPARE(changesSince(reqId).size(), 0u);
        QVERIFY(simulator.treeValues(path) == before);
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

    void deleteByIdRemovesThoseRecords()
    {
        Json::Value telegram = SimulatorProcess::delTelegram("$.EXP.MTAB");
        telegram["INST"]["DEL"]["VAL"][0]["VAL"]["ID"] = "4,9";
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("export", token, telegram), 200);
        const Json::Value telegrams = changesSince(reqId);
        QCOMPARE(SimulatorProcess::deletesIn(telegrams), QStringList{"$.EXP.MTAB"});
        QVERIFY(lastSet(telegrams, "$.EXP.MTAB") == Json::Value(Json::arrayValue));
        QCOMPARE(simulator.treeValues("$.EXP.MTAB[*]").size(), 0u);
    }

    void createdUserCanLogIn()
    {
        Json::Value user = json(R"({"ID":-1,"NAME":"bob","PW":"geheim","USRO":{"ID":3},"HINT":"Schicht B"})");
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("user", token, SimulatorProcess::setTelegram("$.USMG.USLI", user)), 200);
        const Json::Value users = lastSet(changesSince(reqId), "$.USMG.USLI");
        QCOMPARE(users.size(), 6u);
        QCOMPARE(users[5]["NAME"].asString(), std::string("bob"));
        QVERIFY2(!users[5].isMember("PW"), "passwords are never served");
        QVERIFY(!simulator.login("bob", "geheim").isEmpty());

        // The same name again is refused.
        QCOMPARE(simulator.post("user", token, SimulatorProcess::setTelegram("$.USMG.USLI", user)), 200);
        QCOMPARE(simulator.treeValues("$.USMG.USLI[*]").size(), 6u);
    }

    void startAndStopMeasurement()
    {
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
        QCOMPARE(lastSet(telegrams, "$.SERV.STAT.MEAS.VAL").asString(), std::string("START"));
        QCOMPARE(lastSet(telegrams, "$.SERV.FCT.STST.VAL").asInt(), 0);
        const Json::Value measurement = lastSet(telegrams, "$.SERV.STAT.MEAS");
        QVERIFY(measurement["STAT"].asInt64() > 0);
        QVERIFY(measurement["ADR"].size() > 0);

        // While measuring, chart blocks of this measurement stream in.
        QVERIFY(simulator.pauseLiveValues(false));
        telegrams = simulator.waitFor(token, reqId, [](const Json::Value& telegram) {
            return SimulatorProcess::listIn(listOf(telegram), "MEM").size() > 0;
        });
        QVERIFY(simulator.pauseLiveValues(true));
        const Json::Value blocks = SimulatorProcess::listIn(telegrams, "MEM");
        QVERIFY(blocks.size() > 0);
        const Json::Value& block = blocks[0];
        QCOMPARE(block["ID"].asInt64(), measurement["ID"].asInt64());
        QCOMPARE(block["SRC"].asInt(), 1);
        QCOMPARE(block["DU"].size(), 1u);
        const std::string firstChannel = measurement["ADR"][0].asString();
        QCOMPARE(block[firstChannel].size(), 1u);

        // Stop: the same write again.
        reqId = currentId();
        QCOMPARE(simulator.post("config", token, startStop), 200);
        telegrams = changesSince(reqId);
        paths = pathsOf(SimulatorProcess::setsIn(telegrams));
        QCOMPARE(lastSet(telegrams, "$.SERV.STAT.MEAS.VAL").asString(), std::string("STOP"));
        QVERIFY(paths.indexOf("$.SERV.STAT.MEAS.VAL") > paths.indexOf("$.SERV.STAT.MEAS"));
        QCOMPARE(paths.last(), QString("$.SERV.FCT.STST.VAL"));
        QCOMPARE(lastSet(telegrams, "$.SERV.FCT.STST.VAL").asInt(), 0);
        const Json::Value recordings = lastSet(telegrams, "$.MEM.MTAB");
        QCOMPARE(recordings[recordings.size() - 1]["ID"].asInt64(), measurement["ID"].asInt64());

        // Stopped: no more chart data.
        QVERIFY(simulator.pauseLiveValues(false));
        QThread::msleep(200);
        QVERIFY(simulator.pauseLiveValues(true));
        QCOMPARE(SimulatorProcess::listIn(changesSince(reqId), "MEM").size(), 0u);
    }

    void raisedMessageHasHighIdAndItsAnswerIsRecorded()
    {
        qint64 reqId = currentId();
        const Json::Value raised = simulator.raiseMessage(json(R"({"MSG":{"ID":964,"T":"Bitte Fühler prüfen"}})"));
        QCOMPARE(raised.size(), 1u);
        const Json::Value messages = SimulatorProcess::listIn(changesSince(reqId), "MSG");
        QCOMPARE(messages.size(), 1u);
        const Json::Value& message = messages[0];
        QVERIFY(message["MID"].asInt64() > (qint64(1) << 31));
        QVERIFY(message["MUID"].isInt64());
        QCOMPARE(message["MTYP"].asInt(), 1);
        QCOMPARE(message["MSG"]["T"].asString(), std::string("Bitte Fühler prüfen"));
        QCOMPARE(message["INP"]["TAB"][0]["OPRT"].asInt(), 1);

        Json::Value answer = SimulatorProcess::telegramTemplate();
        Json::Value& element = answer["INST"]["SET"]["MSG"].append(Json::Value(Json::objectValue));
        element["USER"] = "admin";
        element["MID"] = message["MID"];
        element["MUID"] = message["MUID"];
        element["MTYP"] = 1;
        element["VAL"] = 1;
        QCOMPARE(simulator.post("config", token, answer), 200);
        const Json::Value answers = simulator.messageAnswers();
        QVERIFY(answers.size() > 0);
        QVERIFY(answers[answers.size() - 1] == element);
    }

    void loginAnswerCarriesWaitingMessages()
    {
        QVERIFY(simulator.raiseMessage(json(R"({"MTYP":0,"MSG":{"T":"Willkommen"},"MTD":3000})"), false, true).isArray());
        Json::Value reply = simulator.loginReply("service", "service");
        QCOMPARE(reply["INST"]["SET"]["MSG"].size(), 1u);
        QCOMPARE(reply["INST"]["SET"]["MSG"][0]["MSG"]["T"].asString(), std::string("Willkommen"));
        reply = simulator.loginReply("service", "service");
        QVERIFY2(!reply.isMember("INST"), "a message goes out with one login only");
    }

    void formBodyOver8KBIsAccepted()
    {
        const std::string longText(20000, 'x');
        qint64 reqId = currentId();
        QCOMPARE(simulator.post("config", token, SimulatorProcess::setTelegram("$.DISP.GEN.MEN.LOC.VAL", longText)),
                 200);
        QCOMPARE(lastSet(changesSince(reqId), "$.DISP.GEN.MEN.LOC.VAL").asString(), longText);
    }

    void badBodiesAreRefusedWithoutHarm_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::newRow("not JSON") << QByteArray("USER=admin&PASS=admin") << 400;
        QTest::newRow("deeply nested") << QByteArray(100000, '[') << 400;
        QTest::newRow("INST not an object") << QByteArray(R"({"INST":"x"})") << 200;
        QTest::newRow("lists not objects") << QByteArray(R"({"INST":{"SET":5,"DEL":[1],"GET":{"VAL":[7,"a",null]}}})") << 200;
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

    void injectedFailures_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("emptyBody");
        QTest::addColumn<bool>("validBody");
        QTest::newRow("server error") << int(SimulatorProcess::Failure::Status) << 500 << false << false;
        QTest::newRow("not found") << int(SimulatorProcess::Failure::Status) << 404 << false << false;
        QTest::newRow("empty body") << int(SimulatorProcess::Failure::EmptyBody) << 200 << true << false;
        QTest::newRow("malformed body") << int(SimulatorProcess::Failure::MalformedBody) << 200 << false << false;
    }

    void injectedFailures()
    {
        QFETCH(int, failure);
        QFETCH(int, status);
        QFETCH(bool, emptyBody);
        QFETCH(bool, validBody);
        QVERIFY(simulator.setFailure(SimulatorProcess::Failure(failure), 2, status));
        for (int i = 0; i < 2; ++i) {
            const SimulatorProcess::DataAnswer answer = simulator.data(token, -1);
            QCOMPARE(answer.status, status);
            QCOMPARE(answer.body.isEmpty(), emptyBody);
            QCOMPARE(answer.valid, validBody);
        }
        QVERIFY2(simulator.data(token, -1).valid, "the third request is answered again");
    }

    void failureOfOneEndpointLeavesTheOthers()
    {
        const QString path = "$.DISP.GEN.MEN.TOFF.VAL";
        const Json::Value before = simulator.treeValues(path);
        QVERIFY(simulator.setFailure(SimulatorProcess::Failure::Status, 1, 503, "config"));
        QVERIFY(simulator.data(token, -1).valid);
        QCOMPARE(simulator.post("path", token, SimulatorProcess::getTelegram({"$.MEM.RING"})), 200);
        QCOMPARE(simulator.post("config", token, SimulatorProcess::setTelegram(path, "23:15")), 503);
        QVERIFY2(simulator.treeValues(path) == before, "a failed request is not carried out");
        QCOMPARE(simulator.post("config", token, SimulatorProcess::setTelegram(path, "23:15")), 200);
        QVERIFY(simulator.treeValues(path) == json(R"(["23:15"])"));
    }

    void delayHoldsTheAnswer()
    {
        QVERIFY(simulator.setDelay(300, "data"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(simulator.data(token, -1).valid);
        QVERIFY(clock.elapsed() >= 300);
    }

    void delayOfOneEndpointLeavesTheOthers()
    {
        QVERIFY(simulator.setDelay(3000, "config"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(simulator.data(token, -1).valid);
        QCOMPARE(simulator.post("path", token, SimulatorProcess::getTelegram({"$.MEM.RING"})), 200);
        QVERIFY(clock.elapsed() < 3000);
    }

    void requestLogRecordsWhatArrived()
    {
        QVERIFY(simulator.clearRequestLog());
        const Json::Value telegram = SimulatorProcess::getTelegram({"$.MEM.RING"});
        QCOMPARE(simulator.post("path", token, telegram), 200);
        QCOMPARE(simulator.data(token, 17).status, 200);
        const Json::Value log = simulator.requestLog();
        QCOMPARE(log.size(), 2u);
        QCOMPARE(log[0]["method"].asString(), std::string("POST"));
        QCOMPARE(log[0]["path"].asString(), std::string("/webservice/path"));
        QCOMPARE(QString::fromStdString(log[0]["query"].asString()), "TOKN=" + token);
        QCOMPARE(QByteArray::fromStdString(log[0]["body"].asString()), SimulatorProcess::toBody(telegram));
        QCOMPARE(log[1]["method"].asString(), std::string("GET"));
        QCOMPARE(QString::fromStdString(log[1]["query"].asString()), "TOKN=" + token + "&REQID=17");
        QVERIFY(simulator.clearRequestLog());
        QCOMPARE(simulator.requestLog().size(), 0u);
    }

    void highIdsStartAbove2To32()
    {
        SimulatorProcess other({"--paused", "--high-ids"});
        QVERIFY(other.start());
        const QString otherToken = other.login("admin", "admin");
        const qint64 first = other.data(otherToken, -1).reqId;
        QVERIFY(first > (qint64(1) << 32));
        QVERIFY(other.injectTelegram(json(R"({"INST":{"SET":{"VAL":[]}}})")) == first + 1);
        QCOMPARE(other.data(otherToken, first).telegrams.size(), 1u);
        QVERIFY(other.stop());
    }

    void stopEndsALongDelayAtOnce()
    {
        SimulatorProcess other({"--paused"});
        QVERIFY(other.start());
        const QString otherToken = other.login("admin", "admin");
        QVERIFY(other.setDelay(60000));
        std::thread waiting([&other, otherToken] { other.data(otherToken, -1); });
        QThread::msleep(100);   // the request now waits in the delay
        QVERIFY2(other.stop(), "SIGTERM ends the simulator at once (within 5 s), with exit code 0");
        waiting.join();
    }

    void liveValuesChangeUntilPaused()
    {
        QStringList channelPaths;
        const Json::Value before = simulator.treeValues("$.DATA.MK[*].MV.MW.VAL", &channelPaths);
        QCOMPARE(channelPaths.size(), 8);
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
    }
};

QTEST_GUILESS_MAIN(tst_DeviceSimulator)
#include "tst_devicesim.moc"
