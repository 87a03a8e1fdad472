// Users of the device simulator, driven over loopback as the client drives
// them: creating, changing and deleting users at "user", the refusals, the
// last login, and passwords kept out of every answer and log line.

#include "SimulatorProcess.h"
#include "TelegramText.h"

#include <QDateTime>
#include <QtTest>

namespace {

Json::Value saveUser(const QByteArray& user)
{
    return SimulatorProcess::setTelegram(QStringLiteral("$.USMG.USLI"), json(user));
}

QByteArray textOf(const Json::Value& value)
{
    return SimulatorProcess::toBody(value);
}

} // namespace

class tst_UserAdministration : public QObject
{
    Q_OBJECT

private:
    qint64 currentId() { return simulator.data(admin, -1).reqId; }
    Json::Value users() { return simulator.treeValues(QStringLiteral("$.USMG.USLI"))[0]; }
    // What the device sent every client after the telegram was posted to endpoint as sender.
    Json::Value send(const QString& sender, const Json::Value& telegram, const QString& endpoint = "user")
    {
        qint64 reqId = currentId();
        if (simulator.post(endpoint, sender, telegram) != 200)
            return Json::Value();
        return simulator.waitFor(admin, reqId, [](const Json::Value&) { return false; }, 0);
    }
    Json::Value sentList(const Json::Value& telegrams)
    {
        if (SimulatorProcess::deletesIn(telegrams) != QStringList{"$.USMG.USLI"})
            return Json::Value();
        return SimulatorProcess::lastSetIn(telegrams, QStringLiteral("$.USMG.USLI"));
    }
    bool logsIn(const QString& user, const QString& password) { return !simulator.login(user, password).isEmpty(); }

    SimulatorProcess simulator{{"--paused"}};
    QString admin, service;

private slots:
    void initTestCase()
    {
        QVERIFY(simulator.start());
        admin = simulator.login("admin", "admin");
        service = simulator.login("service", "service");
        QVERIFY(!admin.isEmpty() && !service.isEmpty());
    }

    void cleanupTestCase() { QVERIFY(simulator.stop()); }

    void refusalsChangeAndSendNothing_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QByteArray>("telegram");
        QTest::addColumn<QString>("logged");

        const auto create = [](const QByteArray& user) { return textOf(saveUser(user)); };
        const QByteArray bob = R"({"ID":-1,"NAME":"bob","PW":"geheim","USRO":{"ID":3},"HINT":""})";
        QTest::newRow("blank name") << "admin" << "user" << create(R"({"ID":-1,"NAME":"  ","PW":"x","USRO":{"ID":3}})")
                                    << R"(Creating user "  " by "admin" refused: the name is empty)";
        QTest::newRow("taken name") << "admin" << "user"
                                    << create(R"({"ID":-1,"NAME":"bediener","PW":"x","USRO":{"ID":3}})")
                                    << "the name is taken";
        QTest::newRow("unknown role") << "admin" << "user"
                                      << create(R"({"ID":-1,"NAME":"bob","PW":"x","USRO":{"ID":9}})") << "unknown role 9";
        QTest::newRow("no password") << "admin" << "user" << create(R"({"ID":-1,"NAME":"bob","USRO":{"ID":3}})")
                                     << "no password";
        QTest::newRow("empty password") << "admin" << "user"
                                        << create(R"({"ID":-1,"NAME":"bob","PW":"","USRO":{"ID":3}})")
                                        << "the password is empty";
        QTest::newRow("unknown id") << "admin" << "user" << create(R"({"ID":99,"HINT":"x","USRO":{"ID":3}})")
                                    << R"(Changing user 99 by "admin" refused: no such user)";
        QTest::newRow("change to an unknown role") << "admin" << "user" << create(R"({"ID":7,"USRO":{"ID":0}})")
                                                   << "unknown role 0";
        QTest::newRow("change to an empty password") << "admin" << "user" << create(R"({"ID":7,"PW":""})")
                                                     << "the password is empty";
        QTest::newRow("own user") << "admin" << "user" << textOf(SimulatorProcess::deleteUserTelegram(1))
                                  << R"(Deleting user 1 by "admin" refused: it is the sender's own user)";
        QTest::newRow("unknown user deleted") << "admin" << "user" << textOf(SimulatorProcess::deleteUserTelegram(99))
                                              << "no such user";
        QTest::newRow("no right to manage users") << "service" << "user" << create(bob)
                                                  << R"(User telegram by "service" refused: read-only)";
        QTest::newRow("not at user") << "admin" << "config" << create(bob)
                                     << R"(sent to "config" instead of "user")";
        QTest::newRow("plain write into the list")
            << "admin" << "config" << textOf(SimulatorProcess::setTelegram("$.USMG.USLI[2].NAME", "boss"))
            << R"(SET of "$.USMG.USLI[2].NAME" refused: users change only through user commands)";
        QTest::newRow("the whole list deleted") << "admin" << "user"
                                                << textOf(SimulatorProcess::delTelegram("$.USMG.USLI"))
                                                << R"(DEL of "$.USMG.USLI" refused)";
    }

    void refusalsChangeAndSendNothing()
    {
        QFETCH(QString, sender);
        QFETCH(QString, endpoint);
        QFETCH(QByteArray, telegram);
        QFETCH(QString, logged);

        const Json::Value before = users();
        QVERIFY(simulator.clearLog());
        const Json::Value sent = send(sender == "admin" ? admin : service, json(telegram), endpoint);
        QCOMPARE(sent, Json::Value(Json::arrayValue));
        QVERIFY(users() == before);
        const QStringList refusals = simulator.logLines().filter(QStringLiteral(" refused: "));
        QCOMPARE(refusals.size(), 1);
        QVERIFY2(refusals.first().contains(logged), qPrintable(refusals.first()));
    }

    void createChangeDeleteAndLogIn()
    {
        // Created with the highest id + 1, never logged in; the password is not in the list.
        Json::Value list = sentList(
            send(admin, saveUser(R"({"HINT":"Schicht B","ID":-1,"NAME":"bob","PW":"geheim","USRO":{"ID":3}})")));
        QCOMPARE(list.size(), 6u);
        QCOMPARE(textOf(list[5]),
                 QByteArray(R"({"HINT":"Schicht B","ID":10,"LAST":{"DU":-1},"NAME":"bob","USRO":{"ID":3}})" "\n"));
        QVERIFY(users() == list);

        // A login is the user's last login: one leaf SET for every client.
        qint64 reqId = currentId();
        const qint64 loginStarted = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(logsIn("bob", "geheim"));
        const Json::Value stamps = simulator.waitFor(admin, reqId, [](const Json::Value&) { return false; }, 0);
        QCOMPARE(SimulatorProcess::setsIn(stamps).size(), 1);
        const Json::Value lastLogin = SimulatorProcess::lastSetIn(stamps, QStringLiteral("$.USMG.USLI[5].LAST.DU"));
        QVERIFY(lastLogin.isInt64() && lastLogin.asInt64() >= loginStarted
                && lastLogin.asInt64() <= QDateTime::currentMSecsSinceEpoch());
        QVERIFY(users()[5]["LAST"]["DU"] == lastLogin);

        // A change without "PW" keeps the password; "NAME" is ignored.
        list = sentList(send(admin, saveUser(R"({"HINT":"Frühschicht","ID":10,"NAME":"robert","USRO":{"ID":2}})")));
        QCOMPARE(list[5]["NAME"].asString(), std::string("bob"));
        QCOMPARE(list[5]["USRO"]["ID"].asInt(), 2);
        QCOMPARE(list[5]["HINT"].asString(), std::string("Frühschicht"));
        QVERIFY(logsIn("bob", "geheim"));

        QVERIFY(!sentList(send(admin, saveUser(R"({"ID":10,"PW":"neu","USRO":{"ID":2}})"))).isNull());
        QVERIFY(!logsIn("bob", "geheim"));
        QVERIFY(logsIn("bob", "neu"));

        // Deleted: the password is forgotten, also for a namesake the device lists later.
        list = sentList(send(admin, SimulatorProcess::deleteUserTelegram(10)));
        QCOMPARE(list.size(), 5u);
        QVERIFY(!logsIn("bob", "neu"));
        list.append(json(R"({"HINT":"","ID":11,"LAST":{"DU":-1},"NAME":"bob","USRO":{"ID":3}})"));
        Json::Value namesake = SimulatorProcess::setTelegram("$.USMG.USLI", list);
        namesake["INST"]["DEL"] = SimulatorProcess::delTelegram("$.USMG.USLI")["INST"]["DEL"];
        QVERIFY(simulator.injectTelegram(namesake) >= 0);
        QVERIFY(!logsIn("bob", "neu"));

        QVERIFY(!sentList(send(admin, SimulatorProcess::deleteUserTelegram(11))).isNull());
        list = sentList(send(admin, saveUser(R"({"ID":-1,"NAME":"bob","PW":"anders","USRO":{"ID":3}})")));
        QCOMPARE(list[5]["ID"].asInt(), 10);
        QVERIFY(!logsIn("bob", "neu"));
        QVERIFY(logsIn("bob", "anders"));
        QVERIFY(!sentList(send(admin, SimulatorProcess::deleteUserTelegram(10))).isNull());
    }

    void passwordsStayOutOfAnswersAndLogs()
    {
        const QByteArray canary = "Kanarie-7f3a";
        QVERIFY(simulator.clearLog());
        QVERIFY(simulator.clearRequestLog());
        qint64 reqId = currentId();

        // Plain literals: moc loses its way in raw strings that end in a quote.
        const QByteArray carl = "{\"ID\":-1,\"NAME\":\"carl\",\"PW\":\"" + canary + "\",\"USRO\":{\"ID\":3}}";
        const QByteArray newPassword = "{\"ID\":10,\"PW\":\"" + canary + "2\"}";
        const QByteArray unparsable = "{\"INST\":{\"SET\":{\"VAL\":[{\"VAL\":{\"PW\":\"" + canary;
        QVERIFY(!sentList(send(admin, saveUser(carl))).isNull());
        QCOMPARE(send(admin, saveUser(carl)), Json::Value(Json::arrayValue));     // taken: refused
        QCOMPARE(send(service, saveUser(carl)), Json::Value(Json::arrayValue));   // no right
        QVERIFY(!sentList(send(admin, saveUser(newPassword))).isNull());
        QVERIFY(logsIn("carl", canary + "2"));
        QCOMPARE(simulator.postRaw("login", "USER=carl&PASS=" + canary), 400);
        QCOMPARE(simulator.postRaw("user?TOKN=" + admin, unparsable), 400);
        // A password object, and a password in JSON written inside a string.
        const QByteArray nested = "{\"PW\":{\"OLD\":\"a\", \"NEW\":\"" + canary + "\"},\"HINT\":\"{\\\"PW\\\":\\\""
                                  + canary + "\\\"}\",";
        QCOMPARE(simulator.postRaw("user?TOKN=" + admin, nested), 400);
        QVERIFY(!sentList(send(admin, SimulatorProcess::deleteUserTelegram(10))).isNull());

        const QByteArray log = simulator.logLines().join('\n').toUtf8();
        QVERIFY2(!log.contains(canary), log.constData());
        QVERIFY2(log.contains(R"("PW":"***")") && log.contains("PASS=***"), log.constData());
        const Json::Value answers = simulator.waitFor(admin, reqId, [](const Json::Value&) { return false; }, 0);
        QVERIFY(!textOf(answers).contains(canary));
        QVERIFY(!textOf(simulator.treeValues(QStringLiteral("$"))).contains(canary));
        // Only the request log keeps bodies as they came, for tests.
        QVERIFY(textOf(simulator.requestLog()).contains(canary));
    }
};

QTEST_GUILESS_MAIN(tst_UserAdministration)
#include "tst_useradministration.moc"
