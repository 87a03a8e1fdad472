// The login worker against the device simulator: what it sends, how it
// judges the answer, the rights it leaves behind, and the logout.
#include "SimulatorProcess.h"

#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "util/UserLoginUtil.h"
#include "util/UserRoleUtil.h"

#include <QtTest>

namespace {

Json::Value parse(const std::string& text)
{
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

// The login requests the simulator received, oldest first.
QVector<Json::Value> loginBodies(SimulatorProcess& simulator)
{
    QVector<Json::Value> bodies;
    for (const Json::Value& entry : simulator.requestLog())
        if (entry["path"].asString() == "/webservice/login")
            bodies.append(parse(entry["body"].asString()));
    return bodies;
}

int countRequests(SimulatorProcess& simulator, const std::string& path)
{
    int count = 0;
    for (const Json::Value& entry : simulator.requestLog())
        if (entry["path"].asString() == path)
            ++count;
    return count;
}

} // namespace

class TestUserLoginUtil : public QObject
{
    Q_OBJECT

private:
    SimulatorProcess simulator{{QStringLiteral("--paused")}};
    TevaroApp* app = nullptr;
    QVector<bool> outcomes;

    void watch(UserLoginUtil& util)
    {
        outcomes.clear();
        connect(&util, &UserLoginUtil::updateLogin, this, [this](bool& ok) { outcomes.append(ok); });
    }

    bool loginAs(UserLoginUtil& util, QString user, const QString& password)
    {
        watch(util);
        util.login(user, password);
        if (!QTest::qWaitFor([this] { return !outcomes.isEmpty(); }, 10000))
            return false;
        return outcomes.first();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(simulator.start());
        SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/IPAdress"), QStringLiteral("127.0.0.1"));
        SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), QString::number(simulator.port()));
        app = new TevaroApp();
    }

    void cleanupTestCase()
    {
        delete app;
    }

    void init()
    {
        QVERIFY(simulator.clearRequestLog());
    }

    void login_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("sentUser");
        QTest::addColumn<int>("userId");
        QTest::addColumn<int>("rightsOfRoleBit1");   // checkRights(1) afterwards

        QTest::newRow("administrator") << "admin" << "admin" << true << "admin" << 1 << 1;
        QTest::newRow("blanks around the name") << "  admin \t" << "admin" << true << "admin" << 1 << 1;
        QTest::newRow("operator") << "bediener" << "1234" << true << "bediener" << 7 << 2;
        QTest::newRow("wrong password") << "admin" << "Admin" << false << "admin" << -1 << -1;
        QTest::newRow("password with blanks kept") << "admin" << " admin " << false << "admin" << -1 << -1;
        QTest::newRow("unknown user") << "nobody" << "x" << false << "nobody" << -1 << -1;
        QTest::newRow("empty fields") << "" << "" << false << "" << -1 << -1;
    }

    void login()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        QFETCH(QString, sentUser);
        QFETCH(int, userId);
        QFETCH(int, rightsOfRoleBit1);

        UserLoginUtil util;
        QCOMPARE(loginAs(util, user, password), accepted);
        QCOMPARE(outcomes.size(), 1);

        const QVector<Json::Value> bodies = loginBodies(simulator);
        QCOMPARE(bodies.size(), 1);
        QCOMPARE(bodies.first().getMemberNames().size(), size_t(2));
        QCOMPARE(QString::fromStdString(bodies.first()["USER"].asString()), sentUser);
        QCOMPARE(QString::fromStdString(bodies.first()["PASS"].asString()), password);

        UserRoleUtil* rights = app->getUserRoleUtil();
        QCOMPARE(rights->getUserId(), userId);
        if (accepted) {
            QVERIFY(!app->getJSONUtil()->getToken().isEmpty());
            QCOMPARE(rights->getUserName(), sentUser);
            QCOMPARE(rights->checkRights(1), rightsOfRoleBit1);
            QCOMPARE(rights->checkRights(0x100 | 0x200 | 0x400 | 1), int(UserRoleUtil::DEACTIVATED));
        } else {
            QVERIFY(app->getJSONUtil()->getToken().isEmpty());
            QCOMPARE(rights->getUserName(), QString());
        }
    }

    void nameIsTrimmedInPlace()
    {
        UserLoginUtil util;
        watch(util);
        QString user = QStringLiteral(" service  ");
        util.login(user, QStringLiteral("service"));
        QCOMPARE(user, QStringLiteral("service"));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 1, 10000);
        QVERIFY(outcomes.first());
    }

    void unicodePasswordIsSentAsUtf8()
    {
        UserLoginUtil util;
        QVERIFY(!loginAs(util, QStringLiteral("admin"), QStringLiteral("Größe€")));
        const QVector<Json::Value> bodies = loginBodies(simulator);
        QCOMPARE(bodies.size(), 1);
        QCOMPARE(QString::fromStdString(bodies.first()["PASS"].asString()), QStringLiteral("Größe€"));
    }

    // A second login before the first answer gives one outcome, not two.
    void secondLoginWhilePendingAnswersOnce()
    {
        UserLoginUtil util;
        watch(util);
        QString first = QStringLiteral("admin");
        QString second = QStringLiteral("admin");
        util.login(first, QStringLiteral("admin"));
        util.login(second, QStringLiteral("admin"));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 1, 10000);
        QTest::qWait(300);
        QCOMPARE(outcomes.size(), 1);
        QVERIFY(outcomes.first());
    }

    void cancelledLoginIgnoresTheLateAnswer()
    {
        QVERIFY(simulator.setDelay(700, QStringLiteral("login")));
        UserLoginUtil util;
        watch(util);
        QString user = QStringLiteral("admin");
        util.login(user, QStringLiteral("admin"));
        util.cancelLogin();
        QTest::qWait(1500);
        QVERIFY(simulator.setDelay(0));
        QVERIFY(outcomes.isEmpty());
        QVERIFY(app->getJSONUtil()->getToken().isEmpty());
        QCOMPARE(app->getUserRoleUtil()->getUserId(), -1);
    }

    void logoutFollowsTheApplication()
    {
        UserLoginUtil util;
        QVERIFY(loginAs(util, QStringLiteral("admin"), QStringLiteral("admin")));
        const QString token = app->getJSONUtil()->getToken();
        QVERIFY(!token.isEmpty());

        app->stop();   // emits onLogout()
        QVERIFY(app->getJSONUtil()->getToken().isEmpty());
        QCOMPARE(app->getUserRoleUtil()->getUserId(), -1);
        QTRY_COMPARE_WITH_TIMEOUT(countRequests(simulator, "/webservice/logout"), 1, 5000);
        bool sentWithToken = false;
        for (const Json::Value& entry : simulator.requestLog())
            if (entry["path"].asString() == "/webservice/logout")
                sentWithToken = QString::fromStdString(entry["query"].asString()).contains(token);
        QVERIFY(sentWithToken);
    }

    void logoutWithoutSessionSendsNothing()
    {
        UserLoginUtil util;
        QVERIFY(!loginAs(util, QStringLiteral("admin"), QStringLiteral("wrong")));
        QVERIFY(simulator.clearRequestLog());
        app->stop();
        QTest::qWait(300);
        QCOMPARE(countRequests(simulator, "/webservice/logout"), 0);
        QCOMPARE(app->getUserRoleUtil()->getUserId(), -1);
    }

    void startCommunicationPollsTheDevice()
    {
        UserLoginUtil util;
        QVERIFY(loginAs(util, QStringLiteral("admin"), QStringLiteral("admin")));
        QVERIFY(simulator.clearRequestLog());
        UserLoginUtil::startCommunication();
        QTRY_VERIFY_WITH_TIMEOUT(countRequests(simulator, "/webservice/data") > 0, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(countRequests(simulator, "/webservice/path") > 0, 5000);
        app->stop();
    }
};

QTEST_GUILESS_MAIN(TestUserLoginUtil)
#include "tst_userloginutil.moc"
