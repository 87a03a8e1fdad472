// Users of the device simulator, driven over loopback as the client drives
// them: creating, changing and deleting users at "user", the refusals, the
// last login, and passwords kept out of every answer and log line.

#include "SimulatorSession.h"

#include <QDateTime>
#include <QtTest>

namespace {

Json::Value saveUser(const QByteArray& user)
{
    return SimulatorProcess::setTelegram(QStringLiteral("$.USMG.USLI"), json(user));
}

} // namespace

class tst_UserAdministration : public QObject, public SimulatorSession
{
    Q_OBJECT

public:
    tst_UserAdministration() : SimulatorSession({"--paused"}) {}

private:
    Json::Value users() { return node(QStringLiteral("$.USMG.USLI")); }
    // The user list the device sent after the telegram (a DEL and a SET of it); null when none.
    Json::Value sentList(const Json::Value& telegram)
    {
        const Json::Value telegrams = send("user", token, telegram);
        if (SimulatorProcess::deletesIn(telegrams) != QStringList{"$.USMG.USLI"})
            return Json::Value();
        return SimulatorProcess::lastSetIn(telegrams, QStringLiteral("$.USMG.USLI"));
    }
    bool logsIn(const QString& user, const QString& password) { return !simulator.login(user, password).isEmpty(); }

    QString service;

private slots:
    void initTestCase()
    {
        QVERIFY(start());
        service = simulator.login("service", "service");
        QVERIFY(!service.isEmpty());
    }

    void cleanupTestCase() { QVERIFY(simulator.stop()); }

    void refusalsChangeAndSendNothing_data()
    {
        QTest::addColumn<bool>("byService");
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QByteArray>("telegram");
        QTest::addColumn<QString>("logged");
        const auto create = [](const QByteArray& user) { return SimulatorProcess::toBody(saveUser(user)); };
        const QByteArray bob = create(R"({"ID":-1,"NAME":"bob","PW":"geheim","USRO":{"ID":3},"HINT":""})");
        const struct { const char* name; bool byService; const char* endpoint; QByteArray telegram; const char* logged; } rows[] = {
            {"blank name", false, "user", create(R"({"ID":-1,"NAME":"  ","PW":"x","USRO":{"ID":3}})"),
             R"(Creating user "  " by "admin" refused: the name is empty)"},
            {"taken name", false, "user", create(R"({"ID":-1,"NAME":"bediener","PW":"x","USRO":{"ID":3}})"), "the name is taken"},
            {"unknown role", false, "user", create(R"({"ID":-1,"NAME":"bob","PW":"x","USRO":{"ID":9}})"), "unknown role 9"},
            {"no password", false, "user", create(R"({"ID":-1,"NAME":"bob","USRO":{"ID":3}})"), "no password"},
            {"empty password", false, "user", create(R"({"ID":-1,"NAME":"bob","PW":"","USRO":{"ID":3}})"),
             "the password is empty"},
            {"unknown id", false, "user", create(R"({"ID":99,"HINT":"x","USRO":{"ID":3}})"),
             R"(Changing user 99 by "admin" refused: no such user)"},
            {"change to an unknown role", false, "user", create(R"({"ID":7,"USRO":{"ID":0}})"), "unknown role 0"},
            {"change to an empty password", false, "user", create(R"({"ID":7,"PW":""})"), "the password is empty"},
            {"own user", false, "user", SimulatorProcess::toBody(SimulatorProcess::deleteUserTelegram(1)),
             R"(Deleting user 1 by "admin" refused: it is the sender's own user)"},
            {"unknown user deleted", false, "user", SimulatorProcess::toBody(SimulatorProcess::deleteUserTelegram(99)),
             "no such user"},
            {"no right to manage users", true, "user", bob, R"(User telegram by "service" refused: read-only)"},
            {"not at user", false, "config", bob, R"(sent to "config" instead of "user")"},
            {"plain write into the list", false, "config",
             SimulatorProcess::toBody(SimulatorProcess::setTelegram("$.USMG.USLI[2].NAME", "boss")),
             R"(SET of "$.USMG.USLI[2].NAME" refused: users change only through user commands)"},
            {"the whole list deleted", false, "user", SimulatorProcess::toBody(SimulatorProcess::delTelegram("$.USMG.USLI")),
             R"(DEL of "$.USMG.USLI" refused)"},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.byService << r.endpoint << r.telegram << r.logged;
    }

    void refusalsChangeAndSendNothing()
    {
        QFETCH(bool, byService);
        QFETCH(QString, endpoint);
        QFETCH(QByteArray, telegram);
        QFETCH(QString, logged);
        const Json::Value before = users();
        QVERIFY(simulator.clearLog());
        QCOMPARE(send(endpoint, byService ? service : token, json(telegram)), Json::Value(Json::arrayValue));
        QVERIFY(users() == before);
        const QStringList refusals = simulator.logLines().filter(QStringLiteral(" refused: "));
        QCOMPARE(refusals.size(), 1);
        QVERIFY2(refusals.first().contains(logged), qPrintable(refusals.first()));
    }

    void createChangeDeleteAndLogIn()
    {
        // Created with the highest id + 1, never logged in; the password is not in the list.
        Json::Value list = sentList(saveUser(R"({"HINT":"Schicht B","ID":-1,"NAME":"bob","PW":"geheim","USRO":{"ID":3}})"));
        QCOMPARE(list.size(), 6u);
        QCOMPARE(SimulatorProcess::toBody(list[5]),
                 QByteArray(R"({"HINT":"Schicht B","ID":10,"LAST":{"DU":-1},"NAME":"bob","USRO":{"ID":3}})" "\n"));
        QVERIFY(users() == list);

        // A login is the user's last login: one leaf SET for every client.
        qint64 reqId = currentId();
        const qint64 loginStarted = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(logsIn("bob", "geheim"));
        const Json::Value stamps = changesSince(reqId);
        QCOMPARE(SimulatorProcess::setsIn(stamps).size(), 1);
        const Json::Value lastLogin = SimulatorProcess::lastSetIn(stamps, QStringLiteral("$.USMG.USLI[5].LAST.DU"));
        QVERIFY(lastLogin.isInt64() && lastLogin.asInt64() >= loginStarted
                && lastLogin.asInt64() <= QDateTime::currentMSecsSinceEpoch());
        QVERIFY(users()[5]["LAST"]["DU"] == lastLogin);

        // A change without "PW" keeps the password; "NAME" is ignored.
        list = sentList(saveUser(R"({"HINT":"Frühschicht","ID":10,"NAME":"robert","USRO":{"ID":2}})"));
        QVERIFY(list[5]["NAME"] == "bob" && list[5]["USRO"]["ID"] == 2 && list[5]["HINT"] == "Frühschicht");
        QVERIFY(logsIn("bob", "geheim"));
        QVERIFY(!sentList(saveUser(R"({"ID":10,"PW":"neu","USRO":{"ID":2}})")).isNull());
        QVERIFY(!logsIn("bob", "geheim") && logsIn("bob", "neu"));

        // Deleted: the password is forgotten, also for a namesake the device lists later.
        list = sentList(SimulatorProcess::deleteUserTelegram(10));
        QCOMPARE(list.size(), 5u);
        QVERIFY(!logsIn("bob", "neu"));
        list.append(json(R"({"HINT":"","ID":11,"LAST":{"DU":-1},"NAME":"bob","USRO":{"ID":3}})"));
        Json::Value namesake = SimulatorProcess::setTelegram("$.USMG.USLI", list);
        namesake["INST"]["DEL"] = SimulatorProcess::delTelegram("$.USMG.USLI")["INST"]["DEL"];
        QVERIFY(simulator.injectTelegram(namesake) >= 0);
        QVERIFY(!logsIn("bob", "neu"));

        QVERIFY(!sentList(SimulatorProcess::deleteUserTelegram(11)).isNull());
        list = sentList(saveUser(R"({"ID":-1,"NAME":"bob","PW":"anders","USRO":{"ID":3}})"));
        QCOMPARE(list[5]["ID"].asInt(), 10);
        QVERIFY(!logsIn("bob", "neu") && logsIn("bob", "anders"));
        QVERIFY(!sentList(SimulatorProcess::deleteUserTelegram(10)).isNull());
    }

    void passwordsStayOutOfAnswersAndLogs()
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
        QCOMPARE(simulator.postRaw("user?TOKN=" + token, "{\"INST\":{\"SET\":{\"VAL\":[{\"VAL\":{\"PW\":\"" + canary), 400);
        // A password object, and a password in JSON written inside a string.
        QCOMPARE(simulator.postRaw("user?TOKN=" + token, "{\"PW\":{\"OLD\":\"a\", \"NEW\":\"" + canary
                                                             + "\"},\"HINT\":\"{\\\"PW\\\":\\\"" + canary + "\\\"}\","),
                 400);
        QVERIFY(!sentList(SimulatorProcess::deleteUserTelegram(10)).isNull());

        const QByteArray log = simulator.logLines().join('\n').toUtf8();
        QVERIFY2(!log.contains(canary) && log.contains(R"("PW":"***")") && log.contains("PASS=***"), log.constData());
        QVERIFY(!SimulatorProcess::toBody(changesSince(reqId)).contains(canary));
        QVERIFY(!SimulatorProcess::toBody(simulator.treeValues(QStringLiteral("$"))).contains(canary));
        // Only the request log keeps bodies as they came, for tests.
        QVERIFY(SimulatorProcess::toBody(simulator.requestLog()).contains(canary));
    }
};

QTEST_GUILESS_MAIN(tst_UserAdministration)
#include "tst_useradministration.moc"
