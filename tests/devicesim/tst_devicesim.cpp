// The device simulator, driven over loopback as the client drives it: logins,
// the change log, reads, writes within limits and rights, users, recordings and
// exports, a running measurement, channel functions, live values, the tree.

#include "../json/JsonTestText.h"
#include "SimulatorProcess.h"

#include <QDateTime>
#include <QMap>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <cmath>

namespace {

const int sampleIntervalMs = 20;

// The telegram helpers of the simulator's driver, by their short names.
constexpr auto& getTelegram = SimulatorProcess::getTelegram;
constexpr auto& setTelegram = SimulatorProcess::setTelegram;
constexpr auto& setsIn = SimulatorProcess::setsIn;
constexpr auto& lastSetIn = SimulatorProcess::lastSetIn;
constexpr auto& deletesIn = SimulatorProcess::deletesIn;
constexpr auto& listIn = SimulatorProcess::listIn;
constexpr auto& toBody = SimulatorProcess::toBody;

// One telegram as a list of telegrams.
Json::Value listOf(const Json::Value& telegram)
{
    Json::Value list(Json::arrayValue);
    list.append(telegram);
    return list;
}

// The path of every SET in a list of telegrams, in order; a failed post
// ({"HTTP": status}, see send()) gives "HTTP <status>", which no step expects.
QStringList setPaths(const Json::Value& telegrams)
{
    if (telegrams.isObject())
        return {QStringLiteral("HTTP %1").arg(telegrams["HTTP"].asInt())};
    QStringList paths;
    for (const auto& set : setsIn(telegrams))
        paths << set.first;
    return paths;
}

// The "ID" of every element of a list.
QList<qint64> idsOf(const Json::Value& list)
{
    QList<qint64> ids;
    for (const Json::Value& item : list)
        ids << item["ID"].asInt64();
    return ids;
}

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

Json::Value saveUser(const QByteArray& user) { return setTelegram(QStringLiteral("$.USMG.USLI"), fromText(user)); }

// A number of the tree (a number or a text holding one) as a double; NaN, which
// fails every comparison, for anything else. The text is read in the C locale,
// as the device writes it, whatever locale the test runs under.
double numberOf(const Json::Value& value)
{
    if (!value.isString())
        return value.isNumeric() && !value.isBool() ? value.asDouble() : qQNaN();
    bool ok = false;
    const double number = QString::fromStdString(value.asString()).toDouble(&ok);
    return ok ? number : qQNaN();
}

} // namespace

class tst_DeviceSimulator : public QObject
{
    Q_OBJECT

    // An export lasts long enough that a second one is surely asked for while it runs, on any load.
    SimulatorProcess simulator{{"--paused", "--export-ms", "3000", "--live-interval", "50", "--sample-interval",
                                QString::number(sampleIntervalMs)}};
    QString token, service, operatorToken;   // administrator, service, operator

    qint64 currentId() { return simulator.data(token, -1).reqId; }
    // Every telegram the device has sent client (the administrator when empty)
    // after reqId, which then follows the answer.
    Json::Value changesSince(qint64& reqId, const QString& client = QString())
    {
        return simulator.waitFor(client.isEmpty() ? token : client, reqId, [](const Json::Value&) { return false; }, 0);
    }

    // The one node of the simulator's tree at a concrete path; null when there is none.
    Json::Value node(const QString& path)
    {
        const Json::Value values = simulator.treeValues(path);
        return values.size() == 1 ? values[0] : Json::Value();
    }

    // Posts telegram to endpoint as client; what the device then sent client. Another
    // status than 200 gives {"HTTP": status}, which no check of a device answer takes
    // for a silent refusal (an empty list).
    Json::Value send(const QString& endpoint, const QString& client, const Json::Value& telegram)
    {
        qint64 reqId = currentId();
        const int status = simulator.post(endpoint, client, telegram);
        if (status != 200) {
            Json::Value failed;
            failed["HTTP"] = status;
            return failed;
        }
        return changesSince(reqId, client);
    }
    Json::Value configWrite(const QString& client, const QString& path, const Json::Value& value)
    {
        return send(QStringLiteral("config"), client, setTelegram(path, value));
    }
    Json::Value toggleMeasurement(const QString& client) { return configWrite(client, "$.SERV.FCT.STST.VAL", 1); }
    // The chart blocks the device answers a paging telegram with; a failed post gives {"HTTP": status}.
    Json::Value page(const QVector<Json::Value>& requests)
    {
        const Json::Value telegrams = send("measure", token, SimulatorProcess::pagingTelegram(requests));
        return telegrams.isArray() ? listIn(telegrams, "MEM") : telegrams;
    }

    // True when the device answered a telegram sent as client with a refusal
    // only: one German status-bar message, no change.
    bool refuses(const QString& endpoint, const QString& client, const Json::Value& telegram)
    {
        const Json::Value telegrams = send(endpoint, client, telegram);
        const Json::Value messages = listIn(telegrams, "MSG");
        return telegrams.size() == 1 && messages.size() == 1 && messages[0]["MTYP"] == 0
            && messages[0]["MSG"]["T"].isString() && setsIn(telegrams).isEmpty() && deletesIn(telegrams).isEmpty();
    }

    // The nodes a "PATH" member points at.
    Json::Value linked(const Json::Value& link)
    {
        return simulator.treeValues(QString::fromStdString(link["PATH"].asString()));
    }
    Json::Value users() { return node(QStringLiteral("$.USMG.USLI")); }
    // The user list the device sent after the telegram (a DEL and a SET of it); null when none.
    Json::Value sentList(const Json::Value& telegram)
    {
        const Json::Value telegrams = send("user", token, telegram);
        if (deletesIn(telegrams) != QStringList{"$.USMG.USLI"})
            return Json::Value();
        return lastSetIn(telegrams, QStringLiteral("$.USMG.USLI"));
    }
    bool logsIn(const QString& user, const QString& password) { return !simulator.login(user, password).isEmpty(); }
    // Runs live values until the channel's value changed once, then pauses them.
    Json::Value nextLiveValue(const QString& channel)
    {
        const QString path = channel + ".MV.MW.VAL";
        qint64 reqId = currentId();
        if (!simulator.pauseLiveValues(false))
            return Json::Value();
        const Json::Value telegrams = simulator.waitFor(token, reqId, [&path](const Json::Value& telegram) {
            return !lastSetIn(listOf(telegram), path).isNull();
        });
        simulator.pauseLiveValues(true);
        return lastSetIn(telegrams, path);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(simulator.start());
        token = simulator.login("admin", "admin");
        service = simulator.login("service", "service");
        operatorToken = simulator.login("bediener", "1234");
        QVERIFY(!token.isEmpty() && !service.isEmpty() && !operatorToken.isEmpty());
    }

    void cleanupTestCase() { QVERIFY2(simulator.stop(), "SIGTERM ends the simulator with exit code 0"); }

    void loginAnswerRefusalsAndUnknownTokens()
    {
        Json::Value client = simulator.loginReply("werk", "werk500")["CLNT"];
        QVERIFY(client["TOKN"].isString() && !client["TOKN"].asString().empty());
        client.removeMember("TOKN");
        // Masks with bit 63 go out as unsigned numbers, which the text comparison tells from negative ones.
        QCOMPARE(QString::fromStdString(client.toStyledString()),
                 QString::fromStdString(fromText(R"({"US":{"ID":9,"NAME":"werk"},
                     "RIGT":{"ROLE":{"AUT":9223372036854775809},"MEAS":{"AUT":9223372036854841344},
                     "DACT":{"AUT":9223372036854777856}}})").toStyledString()));

        const Json::Value refused = simulator.loginReply("admin", "Admin");
        QVERIFY2(refused["CLNT"].isObject() && !refused["CLNT"].isMember("TOKN"), "refused: a 200 with \"CLNT\"");
        for (const char* endpoint : {"path", "user", "logout"})
            QCOMPARE(simulator.post(endpoint, "0123456789ABCDEF", getTelegram({"$.IPTH"})), 401);
        QCOMPARE(simulator.data("0123456789ABCDEF", -1).status, 401);
        const QString other = simulator.login("service", "service");
        QCOMPARE(simulator.logout(other), 200);
        QCOMPARE(simulator.data(other, -1).status, 401);
        QCOMPARE(simulator.data(token, -1).status, 200);   // other sessions live on
    }

    void everyChangeGoesOutOnce()
    {
        qint64 reqId = currentId();
        const qint64 first = simulator.injectTelegram(setTelegram("$.MEM.SFP.VAL", 43));
        const qint64 second = simulator.injectTelegram(setTelegram("$.MEM.SFP.VAL", 44));
        QVERIFY(first == reqId + 1 && second == reqId + 2);
        SimulatorProcess::DataAnswer answer = simulator.data(token, reqId);
        QVERIFY(answer.reqId == second && answer.telegrams.size() == 2);
        QCOMPARE(lastSetIn(answer.telegrams, "$.MEM.SFP.VAL").asInt(), 44);
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
            const Json::Value telegrams = send("path", token, getTelegram({path}));
            QCOMPARE(setPaths(telegrams), answered);
            const Json::Value paths = lastSetIn(telegrams, "$.IPTH");
            QVERIFY(path != "$.IPTH" || (paths.isArray() && paths.size() >= 7 && paths[0] == "$.CLNT"));
        }
    }

    // A write within the limits of its entry and of the table columns naming it
    // (alarm limits -200 ... 850, sensor names of 1 to 24 characters) and within
    // the writer's rights is applied and echoed. One without the right, or below
    // a channel that does not exist, is refused without a word: no echo, the
    // value stays. (Refused values: refusedValuesComeBackWithTheReason.)
    void writesWithinLimitsAndRightsOnly()
    {
        const QByteArray longText = '"' + QByteArray(20000, 'x') + '"';
        const QByteArray name24 = '"' + QByteArray(24, 'n') + '"';
        const struct { const char *name, *user, *path; QByteArray sent, stored; } rows[] = {   // stored empty: refused
            {"number typed as text", "admin", "$.DISP.GEN.MEN.RATE.VAL", R"("15")", "15"},
            {"table cell", "admin", "$.DATA.AIN[1].LIM.HI", R"("85.5")", "85.5"},
            {"below a missing channel", "admin", "$.DATA.MK[9].FCT.CLMX.VAL", "1", ""},
            {"a missing channel", "admin", "$.DATA.MK[12]", "1", ""},
            {"form body over 8 KB, admin-only entry", "admin", "$.DISP.GEN.MEN.LOC.VAL", longText, longText},
            // LOC is the administrator's (AUT 1), NAME every role's (7), EXPT deactivated for the operator (1031).
            {"operator, admin-only entry", "bediener", "$.DISP.GEN.MEN.LOC.VAL", R"("Linie 8")", ""},
            {"operator, entry of every role", "bediener", "$.DISP.GEN.MEN.NAME.VAL", R"("Halle 9")", R"("Halle 9")"},
            {"operator, deactivated entry", "bediener", "$.DISP.GEN.MEN.EXPT.VAL", "3", ""},
            {"role mask with bit 63", "werk", "$.DISP.GEN.MEN.NAME.VAL", R"("Halle 10")", ""},
            {"alarm limit at its column's maximum", "admin", "$.DATA.AIN[2].LIM.HI", R"("850")", "850.0"},
            {"sensor name of 24 characters", "admin", "$.DATA.DEV[0].SEN[0].KB", name24, name24},
            {"null where nothing was", "admin", "$.DISP.GEN.MEN.NOTE", "null", "null"},
        };
        const QMap<QString, QString> passwords{{"admin", "admin"}, {"bediener", "1234"}, {"werk", "werk500"}};
        for (const auto& r : rows) {
            const QString client = simulator.login(r.user, passwords[r.user]);
            const Json::Value before = simulator.treeValues(r.path);
            QVERIFY2(!client.isEmpty() && !(before == fromText("[" + r.sent + "]")), r.name);
            const Json::Value telegrams = configWrite(client, r.path, fromText(r.sent));
            const bool refused = r.stored.isEmpty();
            QVERIFY2(refused ? telegrams.empty() : setPaths(telegrams) == QStringList{r.path}, r.name);
            QVERIFY2(refused || lastSetIn(telegrams, r.path) == fromText(r.stored), r.name);
            QVERIFY2(simulator.treeValues(r.path) == (refused ? before : fromText("[" + r.stored + "]")), r.name);
            QCOMPARE(simulator.logout(client), 200);
        }
    }

    // A value the input check refuses is answered at once: a status-bar message
    // (type 0) saying why, naming the limits for a number outside them, and the
    // node's current value in the next change telegram, so the writer lets its
    // cell go. A refused path that holds no node gets the message alone.
    void refusedValuesComeBackWithTheReason_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("echoed");
        const auto range = [](const char* limits) {
            return QStringLiteral("Wert außerhalb des zulässigen Bereichs (%1), nicht übernommen.")
                .arg(QString::fromUtf8(limits));
        };
        const QString invalid = QStringLiteral("Ungültiger Wert, nicht übernommen.");
        const QString offset = QStringLiteral("$.DISP.GEN.MEN.OFFS.VAL");   // -5 ... 5, in no table column
        const QString rate = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");     // 1 ... $.SERV.LIM.RMAX (3600)
        const QString lowAlarm = QStringLiteral("$.DATA.AIN[0].LIM.LO");     // its column: -200 ... 850
        const QString sensorName = QStringLiteral("$.DATA.DEV[0].SEN[0].KB");   // its column: 1 to 24 characters
        const struct { const char* name; QString path; QByteArray sent; QString message; bool echoed; } rows[] = {
            {"entry below its minimum", offset, "-5.5", range("-5 … 5"), true},
            {"entry above its maximum", offset, "5.01", range("-5 … 5"), true},
            {"entry below its minimum, as a text", rate, R"("0.5")", range("1 … 3600"), true},
            {"entry above a maximum from a path", rate, "5000", range("1 … 3600"), true},
            {"entry with a minimum only", "$.SERV.TEST.LOW.VAL", "0.25", range("mindestens 0.5"), true},
            {"entry with a maximum only", "$.SERV.TEST.HIGH.VAL", "12.5", range("höchstens 12"), true},
            {"column above its maximum", lowAlarm, "850.5", range("-200 … 850"), true},
            {"column below its minimum", lowAlarm, "-250", range("-200 … 850"), true},
            {"column, far above", "$.DATA.AIN[1].LIM.HI", "1e+20", range("-200 … 850"), true},
            {"column, a long number text", lowAlarm, R"("99999999999999999999")", range("-200 … 850"), true},
            {"column limit where no node is", "$.DATA.AIN[7].LIM.LO", "900", range("-200 … 850"), false},
            {"not a number", "$.DISP.GEN.MEN.EXPT.VAL", R"("viel")", invalid, true},
            {"entry pattern", "$.DISP.GEN.MEN.NAME.VAL", '"' + QByteArray(21, 'n') + '"', invalid, true},
            {"column pattern, empty", sensorName, R"("")", invalid, true},
            {"column pattern, 25 characters", sensorName, '"' + QByteArray(25, 'n') + '"', invalid, true},
            {"null over a number", rate, "null", invalid, true},
            {"null over a text", "$.DISP.GEN.MEN.LOC.VAL", "null", invalid, true},
            {"null over a boolean", "$.DATA.AIN[0].LIM.ON", "null", invalid, true},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.path << r.sent << r.message << r.echoed;
    }

    void refusedValuesComeBackWithTheReason()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, sent);
        QFETCH(QString, message);
        QFETCH(bool, echoed);
        // Entries with one limit only; the administrator may change them.
        QVERIFY(simulator.injectTelegram(setTelegram("$.SERV.TEST", fromText(R"({
            "LOW": {"VAL": 5, "INP": {"MODE": "Z", "AUT": 7, "MIN": 0.5}},
            "HIGH": {"VAL": 5, "INP": {"MODE": "Z", "AUT": 7, "MAX": 12}}})"))) >= 0);
        const Json::Value before = simulator.treeValues(path);
        QCOMPARE(before.size(), echoed ? 1u : 0u);
        const Json::Value telegrams = configWrite(token, path, fromText(sent));
        QCOMPARE(telegrams.size(), echoed ? 2u : 1u);   // the message, then the echo
        const Json::Value messages = listIn(telegrams, "MSG");
        QCOMPARE(messages.size(), 1u);
        QCOMPARE(messages[0]["MTYP"].asInt(), 0);
        QCOMPARE(QString::fromStdString(messages[0]["MSG"]["T"].asString()), message);
        QCOMPARE(setPaths(telegrams), echoed ? QStringList{path} : QStringList());
        QVERIFY(!echoed || lastSetIn(telegrams, path) == before[0]);
        QVERIFY(simulator.treeValues(path) == before);
    }

    // The entry's own "INP" limits hold for an entry no table column names
    // (the general offset, -5 ... 5): below or above refused, within taken.
    void anEntrysOwnLimitsHold()
    {
        const QString offset = QStringLiteral("$.DISP.GEN.MEN.OFFS.VAL");
        const Json::Value original = node(offset);
        const std::pair<double, bool> writes[] = {{-5.01, false}, {-5, true}, {5.01, false}, {5, true}, {-6, false}};
        for (const auto& [sent, taken] : writes) {
            const Json::Value before = node(offset);
            const Json::Value telegrams = configWrite(token, offset, sent);
            QVERIFY2(listIn(telegrams, "MSG").size() == (taken ? 0u : 1u), qPrintable(QString::number(sent)));
            QCOMPARE(numberOf(lastSetIn(telegrams, offset)), taken ? sent : numberOf(before));
            QCOMPARE(numberOf(node(offset)), taken ? sent : numberOf(before));
        }
        QVERIFY(configWrite(token, offset, original).size() == 1 && node(offset) == original);
    }

    // A refused value goes back as an accepted one would: as its whole entry
    // when the device echoes entries, not at all when it echoes nothing.
    void aRefusedValueIsEchoedAsWritesAre()
    {
        const QString offset = QStringLiteral("$.DISP.GEN.MEN.OFFS.VAL");
        const QString entry = QStringLiteral("$.DISP.GEN.MEN.OFFS");
        QVERIFY(simulator.setEchoMode("entry"));
        Json::Value telegrams = configWrite(token, offset, 7);
        QCOMPARE(setPaths(telegrams), QStringList{entry});
        QVERIFY(lastSetIn(telegrams, entry) == node(entry) && listIn(telegrams, "MSG").size() == 1);
        QVERIFY(simulator.setEchoMode("none"));
        telegrams = configWrite(token, offset, 7);
        QVERIFY(setPaths(telegrams).isEmpty() && listIn(telegrams, "MSG").size() == 1);
        QVERIFY(simulator.setEchoMode("exact"));
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
            QCOMPARE(other.post("config", client, setTelegram(path, "Halle 12")), 200);
            QCOMPARE(setsIn(other.data(client, reqId).telegrams).size(), accepted ? 1 : 0);
        }
        QVERIFY(other.stop());
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
            QVERIFY(simulator.treeValues("$.SERV.LIM.RMAX") == fromText("[3600]"));
            QCOMPARE(simulator.data(token, -1).status, 200);
        }
    }

    // Text ids name one text each; "DG" counts every character typed (sign,
    // digits, point and "DP" decimals: "-0.25" needs 5) and holds the entry's
    // value, limits and, in a table column, the values it points at.
    void treeEntriesAreConsistent()
    {
        QMap<qint64, QString> texts;
        QStringList clashes;
        int entries = 0;
        const auto resolved = [this](const Json::Value& limit) { return limit.isObject() ? linked(limit)[0] : limit; };
        QStringList paths;
        const Json::Value nodes = simulator.treeValues("$..*", &paths);   // every node of the tree
        for (int i = 0; i < paths.size(); ++i) {
            const QString& path = paths[i];
            const Json::Value& value = nodes[Json::ArrayIndex(i)];
            if (!value.isObject())
                continue;
            if (value["ID"].isInt64() && value["ID"].asInt64() >= 20000 && value["T"].isString()) {
                const QString text = QString::fromStdString(value["T"].asString());
                if (texts.value(value["ID"].asInt64(), text) != text)
                    clashes << path + ": " + texts.value(value["ID"].asInt64()) + " / " + text;
                texts.insert(value["ID"].asInt64(), text);
            }
            const Json::Value& input = value["INP"];
            if (!input.isObject() || !input.isMember("DG"))
                continue;
            ++entries;
            const int places = input.isMember("DP") ? resolved(input["DP"]).asInt() : 0;
            Json::Value numbers = value.isMember("VAL") || !value["PATH"].isString() ? fromText("[]") : linked(value);
            for (const Json::Value& number : {resolved(input["MIN"]), resolved(input["MAX"]), value["VAL"]})
                numbers.append(number);
            for (const Json::Value& number : numbers) {
                bool isNumber = number.isNumeric();
                const double held = number.isString() ? QString::fromStdString(number.asString()).toDouble(&isNumber)
                                                      : isNumber ? number.asDouble() : 0.0;
                const QString typed = QString::number(held, 'f', places);
                if (isNumber && typed.size() > resolved(input["DG"]).asInt())
                    clashes << QStringLiteral("%1: \"%2\" in DG %3").arg(path, typed).arg(resolved(input["DG"]).asInt());
            }
        }
        QVERIFY(texts.size() > 50 && entries > 20);
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join("; ")));
    }

    void userRefusalsChangeAndSendNothing_data()
    {
        QTest::addColumn<bool>("byService");
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QByteArray>("telegram");
        QTest::addColumn<QString>("logged");
        const auto create = [](const QByteArray& user) { return toBody(saveUser(user)); };
        const QByteArray bob = create(R"({"ID":-1,"NAME":"bob","PW":"geheim","USRO":{"ID":3},"HINT":""})");
        const struct { const char* name; bool byService; const char* endpoint; QByteArray body; const char* log; } rows[] = {
            {"blank name", false, "user", create(R"({"ID":-1,"NAME":"  ","PW":"x","USRO":{"ID":3}})"),
             R"(Creating user "  " by "admin" refused: the name is empty)"},
            {"taken name", false, "user", create(R"({"ID":-1,"NAME":"bediener","PW":"x","USRO":{"ID":3}})"),
             "the name is taken"},
            {"unknown role", false, "user", create(R"({"ID":-1,"NAME":"bob","PW":"x","USRO":{"ID":9}})"),
             "unknown role 9"},
            {"no password", false, "user", create(R"({"ID":-1,"NAME":"bob","USRO":{"ID":3}})"), "no password"},
            {"unknown id", false, "user", create(R"({"ID":99,"HINT":"x","USRO":{"ID":3}})"),
             R"(Changing user 99 by "admin" refused: no such user)"},
            {"change to an unknown role", false, "user", create(R"({"ID":7,"USRO":{"ID":0}})"), "unknown role 0"},
            {"change to an empty password", false, "user", create(R"({"ID":7,"PW":""})"), "the password is empty"},
            {"own user", false, "user", toBody(SimulatorProcess::deleteUserTelegram(1)),
             R"(Deleting user 1 by "admin" refused: it is the sender's own user)"},
            {"unknown user deleted", false, "user", toBody(SimulatorProcess::deleteUserTelegram(99)), "no such user"},
            {"no right to manage users", true, "user", bob, R"(User telegram by "service" refused: read-only)"},
            {"not at user", false, "config", bob, R"(sent to "config" instead of "user")"},
            {"plain write into the list", false, "config", toBody(setTelegram("$.USMG.USLI[2].NAME", "boss")),
             R"(SET of "$.USMG.USLI[2].NAME" refused: users change only through user commands)"},
            {"the whole list deleted", false, "user", toBody(SimulatorProcess::delTelegram("$.USMG.USLI")),
             R"(DEL of "$.USMG.USLI" refused)"},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.byService << r.endpoint << r.body << r.log;
    }

    void userRefusalsChangeAndSendNothing()
    {
        QFETCH(bool, byService);
        QFETCH(QString, endpoint);
        QFETCH(QByteArray, telegram);
        QFETCH(QString, logged);
        const Json::Value before = users();
        QVERIFY(simulator.clearLog());
        QCOMPARE(send(endpoint, byService ? service : token, fromText(telegram)), Json::Value(Json::arrayValue));
        QVERIFY(users() == before);
        const QStringList refusals = simulator.logLines().filter(QStringLiteral(" refused: "));
        QCOMPARE(refusals.size(), 1);
        QVERIFY2(refusals.first().contains(logged), qPrintable(refusals.first()));
    }

    void usersCreatedChangedDeletedAndLoggedIn()
    {
        // Created with the highest id + 1, never logged in; the password is not in the list.
        Json::Value list =
            sentList(saveUser(R"({"HINT":"Schicht B","ID":-1,"NAME":"bob","PW":"geheim","USRO":{"ID":3}})"));
        QCOMPARE(list.size(), 6u);
        QCOMPARE(toBody(list[5]),
                 QByteArray(R"({"HINT":"Schicht B","ID":10,"LAST":{"DU":-1},"NAME":"bob","USRO":{"ID":3}})" "\n"));
        QVERIFY(users() == list);

        // A login is the user's last login: one leaf SET for every client.
        qint64 reqId = currentId();
        const qint64 loginStarted = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(logsIn("bob", "geheim"));
        const Json::Value stamps = changesSince(reqId);
        QCOMPARE(setsIn(stamps).size(), 1);
        const Json::Value lastLogin = lastSetIn(stamps, QStringLiteral("$.USMG.USLI[5].LAST.DU"));
        QVERIFY(lastLogin.isInt64() && lastLogin.asInt64() >= loginStarted
                && lastLogin.asInt64() <= QDateTime::currentMSecsSinceEpoch());
        QVERIFY(users()[5]["LAST"]["DU"] == lastLogin);

        // A change without "PW" keeps the password; "NAME" is ignored.
        list = sentList(saveUser(R"({"HINT":"Frühschicht","ID":10,"NAME":"robert","USRO":{"ID":2}})"));
        QVERIFY(list[5]["NAME"] == "bob" && list[5]["USRO"]["ID"] == 2 && list[5]["HINT"] == "Frühschicht");
        QVERIFY(logsIn("bob", "geheim"));

        // Deleted: the password is forgotten, also for a namesake the device lists later.
        list = sentList(SimulatorProcess::deleteUserTelegram(10));
        QCOMPARE(list.size(), 5u);
        QVERIFY(!logsIn("bob", "geheim"));
        list.append(fromText(R"({"HINT":"","ID":11,"LAST":{"DU":-1},"NAME":"bob","USRO":{"ID":3}})"));
        Json::Value namesake = setTelegram("$.USMG.USLI", list);
        namesake["INST"]["DEL"] = SimulatorProcess::delTelegram("$.USMG.USLI")["INST"]["DEL"];
        QVERIFY(simulator.injectTelegram(namesake) >= 0);
        QVERIFY(!logsIn("bob", "geheim"));

        QVERIFY(!sentList(SimulatorProcess::deleteUserTelegram(11)).isNull());
        list = sentList(saveUser(R"({"ID":-1,"NAME":"bob","PW":"anders","USRO":{"ID":3}})"));
        QCOMPARE(list[5]["ID"].asInt(), 10);
        QVERIFY(!logsIn("bob", "geheim") && logsIn("bob", "anders"));
        QVERIFY(!sentList(SimulatorProcess::deleteUserTelegram(10)).isNull());
    }

    void userPasswordsStayOutOfAnswersAndLogs()
    {
        const QByteArray canary = "Kanarie-7f3a";
        QVERIFY(simulator.clearLog() && simulator.clearRequestLog());
        qint64 reqId = currentId();

        // Plain literals: moc loses its way in raw strings that end in a quote.
        const QByteArray carl = "{\"ID\":-1,\"NAME\":\"carl\",\"PW\":\"" + canary + "\",\"USRO\":{\"ID\":3}}";
        QVERIFY(!sentList(saveUser(carl)).isNull());
        QCOMPARE(send("user", token, saveUser(carl)), Json::Value(Json::arrayValue));     // taken: refused
        QCOMPARE(send("user", service, saveUser(carl)), Json::Value(Json::arrayValue));   // no right
        QVERIFY(!sentList(saveUser("{\"ID\":10,\"PW\":\"" + canary + "2\"}")).isNull());
        QVERIFY(logsIn("carl", canary + "2"));
        QCOMPARE(simulator.postRaw("login", "USER=carl&PASS=" + canary), 400);
        const QByteArray unparsable = "{\"INST\":{\"SET\":{\"VAL\":[{\"VAL\":{\"PW\":\"" + canary;
        QCOMPARE(simulator.postRaw("user?TOKN=" + token, unparsable), 400);
        // A password object, and a password in JSON written inside a string.
        QCOMPARE(simulator.postRaw("user?TOKN=" + token, "{\"PW\":{\"OLD\":\"a\", \"NEW\":\"" + canary
                                                             + "\"},\"HINT\":\"{\\\"PW\\\":\\\"" + canary + "\\\"}\","),
                 400);
        QVERIFY(!sentList(SimulatorProcess::deleteUserTelegram(10)).isNull());

        const QByteArray log = simulator.logLines().join('\n').toUtf8();
        QVERIFY2(!log.contains(canary) && log.contains(R"("PW":"***")") && log.contains("PASS=***"), log.constData());
        QVERIFY(!toBody(changesSince(reqId)).contains(canary));
        QVERIFY(!toBody(simulator.treeValues(QStringLiteral("$"))).contains(canary));
        // Only the request log keeps bodies as they came, for tests.
        QVERIFY(toBody(simulator.requestLog()).contains(canary));
    }

    // A sensor's type (the administrator's) is copied into the sensor list with a change count.
    void sensorTypeIsCopiedIntoTheList()
    {
        const QString sensor = QStringLiteral("$.DATA.DEV[2].SEN[3]");
        QCOMPARE(setPaths(configWrite(token, sensor + ".CFG.TYP.VAL", "Pt100")),
                 (QStringList{sensor + ".CFG.TYP.VAL", sensor + ".TYP", sensor + ".CHG"}));
        QCOMPARE(configWrite(operatorToken, sensor + ".CFG.TYP.VAL", "NTC").size(), 0u);   // refused: changes neither
        QVERIFY(node(sensor + ".TYP") == "Pt100" && node(sensor + ".CHG") == 1);
    }

    void clientNodeIsNeverSent()
    {
        Json::Value telegram = getTelegram(
            {"$.DATA.DEV[($.CLNT.IDX.DEV)].SENCNT", "$.DATA.DEV[2].SENCNT", "$.CLNT.IDX"});
        telegram["INST"]["SET"] = setTelegram("$.CLNT.IDX.DEV", 2)["INST"]["SET"];
        telegram["INST"]["DEL"] = SimulatorProcess::delTelegram("$.CLNT.IDX.SEN")["INST"]["DEL"];
        qint64 reqId = currentId();
        qint64 otherReqId = reqId;
        QCOMPARE(simulator.post("config", token, telegram), 200);
        // Only the solved read and the asker's own read of "$.CLNT" are answered, to the asker alone.
        QCOMPARE(setPaths(changesSince(reqId)), (QStringList{"$.DATA.DEV[2].SENCNT", "$.CLNT.IDX"}));
        QCOMPARE(changesSince(otherReqId, service).size(), 0u);
        QVERIFY(node("$.CLNT.IDX") == fromText(R"({"AIN":0,"DEV":0,"SEN":0})"));
    }

    void emptyWildcardReadsAnsweredWithTheirContainerWhenAsked()
    {
        const Json::Value reads = getTelegram({"$.DATA.EVT[*].DU", "$.MEM.MTAB[?(@.ID==99)]", "$.SERV.NOPE[*]"});
        QCOMPARE(send("path", token, reads).size(), 0u);
        QVERIFY(simulator.setEmptyReadsAsContainer(true));
        auto sets = setsIn(send("path", token, reads));
        QCOMPARE(sets.size(), 2);   // no container, no answer
        QVERIFY(sets[0].first == "$.DATA.EVT" && sets[0].second == fromText("[]"));
        QVERIFY(sets[1].first == "$.MEM.MTAB" && sets[1].second == node("$.MEM.MTAB"));
        QVERIFY(simulator.setEmptyReadsAsContainer(false));
    }

    void clearingExtremesTakesTheValueInOneTelegram()
    {
        // Text values, number values, a sensor break.
        for (const QString channel : {"$.DATA.MK[0]", "$.DATA.MK[2]", "$.DATA.MK[8]"}) {
            const Json::Value value = node(channel + ".MV.MW.VAL");
            const QString function = channel + ".FCT.CLMX.VAL";
            const Json::Value telegrams = configWrite(token, function, 1);
            QCOMPARE(telegrams.size(), 1u);
            const auto sets = setsIn(telegrams);
            const QStringList extremes{channel + ".MV.MAW.VAL", channel + ".MV.MIW.VAL"};
            QCOMPARE(setPaths(telegrams), QStringList{function} + extremes + QStringList{function});
            QVERIFY(sets[1].second == value && sets[2].second == value && sets[3].second == 0);
            QVERIFY(node(extremes[0]) == value && node(extremes[1]) == value && node(function) == 0);
        }
    }

    // Zeroing makes the value the offset, in one telegram that ends with the function
    // idle again; an offset beyond its limits is refused, one within shifts the values back.
    void zeroAndOffsetShiftTheValuesAndLiveValuesFollow()
    {
        const QString channel = "$.DATA.MK[1]";   // offset -100 ... 100, one decimal
        QVERIFY(!nextLiveValue(channel).isNull());   // the device knows the channel's value
        QStringList paths;   // the offset, then the value, maximum, minimum and mean
        for (const char* item : {".FCT.TARA.OFFS.VAL", ".MV.MW.VAL", ".MV.MAW.VAL", ".MV.MIW.VAL", ".MV.MTW.VAL"})
            paths << channel + item;
        const auto text = [](double number) { return Json::Value(QString::number(number, 'f', 1).toStdString()); };
        const double offset = numberOf(node(paths[0]));
        const double value = numberOf(node(paths[1]));
        QVERIFY(std::fabs(value) > 10);
        const QString function = channel + ".FCT.TARA.VAL";
        Json::Value telegrams = configWrite(token, function, 1);
        QVERIFY(telegrams.size() == 1 && setPaths(telegrams) == QStringList{function} + paths + QStringList{function});
        QVERIFY(node(paths[0]) == text(offset + value) && node(paths[1]) == text(0) && node(function) == 0);
        // The sensor goes on near its old value; the channel shows it less the new zero.
        const Json::Value live = nextLiveValue(channel);
        QVERIFY2(!live.isNull() && std::fabs(numberOf(live)) < 3, live.toStyledString().c_str());

        const Json::Value zeroed = node(channel);
        // Beyond its limits: refused, the offset it keeps sent back alone, nothing shifted.
        QCOMPARE(setPaths(configWrite(token, paths[0], "150.0")), QStringList{paths[0]});
        QVERIFY(node(channel) == zeroed);
        const double shown = numberOf(node(paths[1]));
        telegrams = configWrite(token, paths[0], text(offset));
        QVERIFY(telegrams.size() == 1 && setPaths(telegrams) == paths && node(paths[1]) == text(shown + value));
    }

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
            for (const Json::Value& time : block["DU"]) {
                QVERIFY(time.asInt64() > previous);
                previous = time.asInt64();
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
        QCOMPARE(listIn(changesSince(serviceId, service), "MEM").size(), 0u);
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
            QCOMPARE(page({fromText(request)}), Json::Value(Json::arrayValue));
            QVERIFY2(simulator.logLines("warning").size() == (refused ? 1 : 0), request.constData());
        }
        // A read of the list still answers the list, which paging leaves as it was.
        const Json::Value read = send("path", token, getTelegram({"$.MEM.MTAB"}));
        QVERIFY(list.size() >= 2 && lastSetIn(read, "$.MEM.MTAB") == list && node("$.MEM.MTAB") == list);
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
        QVERIFY(telegrams.size() == 1 && deletesIn(telegrams) == QStringList{"$.MEM.MTAB"});
        QCOMPARE(setPaths(telegrams), (QStringList{"$.MEM.MTAB", "$.MEM.SF.VAL", "$.MEM.SFP.VAL", "$.MEM.TRE.VAL"}));
        QCOMPARE(idsOf(lastSetIn(telegrams, "$.MEM.MTAB")), (QList<qint64>{9, 10, 11}));
        // 1.5 MB + 0.75 MB freed of 3.8 GB, 2.2 GB free.
        QCOMPARE(lastSetIn(telegrams, "$.MEM.SF.VAL").asDouble(), 2.202);
        QCOMPARE(node("$.MEM.SF.VAL").asDouble(), 2.202);
        QVERIFY(lastSetIn(telegrams, "$.MEM.SFP.VAL") == 42);
        QVERIFY(lastSetIn(telegrams, "$.MEM.TRE.VAL").isInt64());
        QCOMPARE(page({SimulatorProcess::pagingRequest(12, 0, 4102444800000)}), Json::Value(Json::arrayValue));
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
            return lastSetIn(listOf(telegram), "$.EXP.STAS") == 1;
        }, 30000);   // the export's end, however long a busy machine makes it
        QVERIFY(lastSetIn(listOf(telegrams[0]), "$.EXP.STAS") == 2);
        const Json::Value done = listOf(telegrams[telegrams.size() - 1]);
        QCOMPARE(deletesIn(done), QStringList{"$.EXP.MTAB"});
        QCOMPARE(setPaths(done), (QStringList{"$.EXP.MTAB", "$.EXP.DEST[1].SIZE.VAL", "$.EXP.STAS"}));
        const Json::Value files = lastSetIn(done, "$.EXP.MTAB");
        QCOMPARE(idsOf(files), (QList<qint64>{4, 9, 10}));
        const Json::Value& file = files[2];
        QVERIFY(file["FILE"] == "Messung_0009.csv" && file["DEST"]["ID"] == 2 && file["DU"].asInt64() > 1709366400000);
        QVERIFY(file["SIZE"]["VAL"] == 140.0 && file["SIZE"]["DIM"]["T"] == "kB");
        QCOMPARE(lastSetIn(done, "$.EXP.DEST[1].SIZE.VAL").asDouble(), 0.363);

        const Json::Value del = SimulatorProcess::deleteRecordsTelegram("$.EXP.MTAB", "9,10");
        QVERIFY(refuses("export", operatorToken, del));
        QVERIFY(refuses("measure", service, del));
        const Json::Value deleted = send("export", service, del);
        QVERIFY(deleted.size() == 1 && deletesIn(deleted) == QStringList{"$.EXP.MTAB"});
        QCOMPARE(idsOf(lastSetIn(deleted, "$.EXP.MTAB")), QList<qint64>{4});
        QCOMPARE(lastSetIn(deleted, "$.EXP.DEST[1].SIZE.VAL").asDouble(), 0.7);   // 0.2 MB and 140 kB back
    }

    // Start and stop are a write of the start/stop function, which is not for the
    // factory service's role: the write is echoed first, then the new state (its
    // "VAL" an element of its own), then the function idle again under a text id
    // of its own. While measuring only entries with the measurement bit may
    // change, and chart blocks stream on the sample grid, none left out; stopped,
    // live values go on alone.
    void measurementStartsStreamsAndStops()
    {
        QCOMPARE(toggleMeasurement(simulator.login("werk", "werk500")).size(), 0u);
        QVERIFY(!simulator.state()["measuring"].asBool());
        // A channel with text values, one with numbers, one without a number.
        QVERIFY(simulator.injectTelegram(setTelegram("$.SERV.STAT.MEAS.ADR",
                                                                       fromText(R"(["CH01","CH03","CH09"])"))) > 0);
        const Json::Value file = node("$.SERV.STAT.MEAS.FILE.VAL");
        const Json::Value idle = node("$.SERV.FCT.STST");
        qint64 reqId = currentId();
        const Json::Value start = toggleMeasurement(token);
        const QStringList paths = setPaths(start);
        QVERIFY(paths.first() == "$.SERV.FCT.STST.VAL" && paths.last() == "$.SERV.FCT.STST.VAL");
        const int state = paths.indexOf("$.SERV.STAT.MEAS");
        QVERIFY(state > 0 && paths.indexOf("$.SERV.STAT.MEAS.VAL") > state);
        QVERIFY(lastSetIn(start, "$.SERV.STAT.MEAS.VAL") == "START");
        QVERIFY(lastSetIn(start, "$.SERV.FCT.STST.VAL") == 0);
        QVERIFY(lastSetIn(start, "$.SERV.FCT.STST.T") != idle["T"]);
        const Json::Value id = lastSetIn(start, "$.SERV.FCT.STST.ID");
        QVERIFY(id.isInt() && id != idle["ID"] && listIn(start, "MEM").empty());
        QCOMPARE(configWrite(operatorToken, "$.DISP.GEN.MEN.NAME.VAL", "Halle 11").size(), 0u);   // AUT 7
        const QString beep = "$.DISP.GEN.MEN.BEEP.VAL";   // AUT 65543
        QCOMPARE(setPaths(configWrite(operatorToken, beep, false)), QStringList{beep});

        QVERIFY(simulator.pauseLiveValues(false));
        int blockCount = 0;
        Json::Value telegrams = simulator.waitFor(token, reqId, [&blockCount](const Json::Value& telegram) {
            blockCount += int(listIn(listOf(telegram), "MEM").size());
            return blockCount >= 4;
        });
        QVERIFY(simulator.pauseLiveValues(true));
        for (const Json::Value& telegram : changesSince(reqId))
            telegrams.append(telegram);
        const Json::Value measurement = lastSetIn(start, "$.SERV.STAT.MEAS");
        const Json::Value streamed = listIn(telegrams, "MEM");
        QVERIFY(streamed.size() >= 4);
        qint64 previous = measurement["STAT"].asInt64() - 1;
        for (const Json::Value& block : streamed) {
            QVERIFY(block["ID"] == measurement["ID"] && block["FILE"] == file);
            QVERIFY(block["SRC"] == 1 && block["ATR"] == 0);
            for (const Json::Value& time : block["DU"]) {
                QVERIFY(time.asInt64() > previous && time.asInt64() % sampleIntervalMs == 0);
                QVERIFY(previous < measurement["STAT"].asInt64() || time.asInt64() == previous + sampleIntervalMs);
                previous = time.asInt64();
            }
            for (const char* channel : {"CH01", "CH03", "CH09"})
                QCOMPARE(block[channel].size(), block["DU"].size());
            QVERIFY(block["CH01"][0].isString() && numberOf(block["CH01"][0]) > 0);
            QVERIFY(block["CH03"][0].isDouble() && block["CH09"][0] == "-");
        }

        QVERIFY(lastSetIn(toggleMeasurement(token), "$.SERV.STAT.MEAS.VAL") == "STOP");
        QVERIFY(node("$.SERV.FCT.STST") == idle);
        reqId = currentId();
        QVERIFY(!nextLiveValue(QStringLiteral("$.DATA.MK[1]")).isNull());
        QVERIFY(listIn(changesSince(reqId), "MEM").empty());
    }

    // The time left falls with every second written; the free memory, a few bytes
    // less each step, goes out at the device's resolution of three decimals. The
    // ring buffer's oldest time follows at most once a second while the ring runs.
    void runningMeasurementUsesMemoryAndMovesTheRingsOldestTime()
    {
        const double free = node("$.MEM.SF.VAL").asDouble();
        QVERIFY(simulator.injectTelegram(setTelegram("$.SERV.LIM.RMAX", 1)) > 0);
        const Json::Value started = toggleMeasurement(token);
        const Json::Value start = lastSetIn(started, "$.SERV.STAT.MEAS.STAT");
        QVERIFY(start.isInt64() && start == lastSetIn(started, "$.SERV.STAT.MEAS")["STAT"]);

        qint64 reqId = currentId();
        QVERIFY(simulator.pauseLiveValues(false));
        Json::Int64 firstLeft = -1;
        QVector<qint64> limits;
        const Json::Value steps = simulator.waitFor(token, reqId, [&](const Json::Value& telegram) {
            const Json::Value left = lastSetIn(listOf(telegram), "$.MEM.TRE.VAL");
            if (left.isInt64() && firstLeft < 0)
                firstLeft = left.asInt64();
            const Json::Value limit = lastSetIn(listOf(telegram), "$.SERV.STAT.MEAS.LIMT");
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
        for (const auto& set : setsIn(steps)) {
            if (set.first != QLatin1String("$.MEM.SF.VAL"))
                continue;
            ++figures;
            const QString shown = QString::asprintf("%.16g", set.second.asDouble());   // as the logger shows it
            QVERIFY2(resolution.match(shown).hasMatch() && set.second.asDouble() <= free, qPrintable(shown));
        }
        const Json::Value last = listOf(steps[steps.size() - 1]);
        QVERIFY(figures > 0 && lastSetIn(last, "$.MEM.SFP.VAL").isInt());
        QVERIFY(lastSetIn(last, "$.MEM.TRE.VAL").asInt64() < firstLeft);

        // Once the ring stops, so does its oldest time.
        QVERIFY(simulator.injectTelegram(setTelegram("$.MEM.RING", 2)) > 0);
        changesSince(reqId);
        QThread::msleep(1300);
        QVERIFY(lastSetIn(changesSince(reqId), "$.SERV.STAT.MEAS.LIMT").isNull());
        QVERIFY(simulator.pauseLiveValues(true));
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
        const auto sets = setsIn(telegrams);
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
