// Rights of the logged-in user: the login answer and the mask rule.
#include "../common/LogCapture.h"
#include "TestJson.h"

#include "util/UserRoleUtil.h"

#include <QSignalSpy>
#include <QtTest>

#include <limits>

namespace {

// Logs in with the masks DACT 0b100, ROLE 0b001, MEAS 0b010.
void loginWithExampleMasks(UserRoleUtil& util)
{
    bool ok = false;
    QString token;
    util.checkAndSetLogin(parse(QStringLiteral(
        "{\"CLNT\":{\"TOKN\":\"t\",\"RIGT\":{\"DACT\":{\"AUT\":4},\"ROLE\":{\"AUT\":1},\"MEAS\":{\"AUT\":2}}}}")),
        ok, token);
    QVERIFY(ok);
}

} // namespace

class TestUserRoleUtil : public QObject
{
    Q_OBJECT

private slots:
    // The mask rule, reached through a node's own or its input's mask.
    void rights_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("measuring");
        QTest::addColumn<int>("rights");

        QTest::newRow("covers the deactivation mask") << "{\"AUT\":4}" << false << 3;
        QTest::newRow("misses a role bit") << "{\"AUT\":2}" << false << 2;
        QTest::newRow("editable") << "{\"AUT\":1}" << false << 1;
        QTest::newRow("measuring, misses a measure bit") << "{\"AUT\":1}" << true << 2;
        QTest::newRow("input mask wins") << "{\"AUT\":1,\"INP\":{\"AUT\":4}}" << false << 3;
        QTest::newRow("string mask") << "{\"AUT\":\"x\"}" << false << 0;
        // Every bit set, once as a signed and once as an unsigned 64-bit number.
        // Bit 63 and bit 0: covers ROLE and MEAS, misses DACT's bit 2.
        QTest::newRow("top bit, unsigned") << "{\"AUT\":9223372036854775809}" << false << 1;
        QTest::newRow("top bit, signed") << "{\"AUT\":-9223372036854775807}" << false << 1;
    }

    void rights()
    {
        QFETCH(QString, node);
        QFETCH(bool, measuring);
        QFETCH(int, rights);

        UserRoleUtil util;
        loginWithExampleMasks(util);
        QSignalSpy updates(&util, SIGNAL(updateRights()));
        util.setMeasurementRunning(measuring);
        QCOMPARE(updates.count(), measuring ? 1 : 0);   // a change of the measurement state re-checks the screens
        QCOMPARE(util.checkNodeRights(parse(node)), rights);
    }

    void loginAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("token");
        QTest::addColumn<int>("userId");
        QTest::addColumn<QString>("userName");

        QTest::newRow("complete") << "{\"CLNT\":{\"TOKN\":\"7f3a9c\",\"US\":{\"ID\":3,\"NAME\":\"admin\"}}}"
                                  << true << "7f3a9c" << 3 << "admin";
        QTest::newRow("empty token") << "{\"CLNT\":{\"TOKN\":\"\",\"US\":{\"ID\":3}}}" << false << "" << -1 << "";
        QTest::newRow("token of another type") << "{\"CLNT\":{\"TOKN\":[1]}}" << false << "" << -1 << "";
        QTest::newRow("rights of the wrong shape") << "{\"CLNT\":{\"TOKN\":\"t\",\"RIGT\":{\"DACT\":7,\"ROLE\":{\"AUT\":\"x\"}}}}"
                                                   << true << "t" << -1 << "";
    }

    void loginAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(bool, ok);
        QFETCH(QString, token);
        QFETCH(int, userId);
        QFETCH(QString, userName);

        LogCapture log;
        UserRoleUtil util;
        bool accepted = !ok;
        QString received;
        util.checkAndSetLogin(parse(answer), accepted, received);
        QCOMPARE(accepted, ok);
        QCOMPARE(received, token);
        QCOMPARE(util.getUserId(), userId);
        QCOMPARE(util.getUserName(), userName);
    }

    void missingMasks()
    {
        UserRoleUtil util;
        loginWithExampleMasks(util);

        LogCapture log;
        bool ok = false;
        QString token;
        util.checkAndSetLogin(parse(QStringLiteral(
            "{\"CLNT\":{\"TOKN\":\"s3cret\",\"RIGT\":{\"DACT\":{\"AUT\":4},\"MEAS\":{\"AUT\":2}}}}")), ok, token);
        QVERIFY(ok);
        QVERIFY(!log.all().contains(QStringLiteral("s3cret")));
        QCOMPARE(util.checkRights(0b001), 1);   // ROLE 0b001 still in force

        // Masks with bit 63 set, as the device sends them (unsigned): role 2^63 + 1, deactivation 2^63 + 2048.
        util.checkAndSetLogin(parse(QStringLiteral("{\"CLNT\":{\"TOKN\":\"t\",\"RIGT\":{\"ROLE\":{\"AUT\":9223372036854775809},"
                                                   "\"DACT\":{\"AUT\":9223372036854777856}}}}")), ok, token);
        QCOMPARE(util.checkRights(1), 2);   // lacks the role's bit 63
        QCOMPARE(util.checkRights(std::numeric_limits<qint64>::min() | 2048), 3);

        // Without a deactivation mask nothing is deactivated.
        UserRoleUtil withoutDeactivation;
        withoutDeactivation.checkAndSetLogin(
            parse(QStringLiteral("{\"CLNT\":{\"TOKN\":\"t\",\"RIGT\":{\"ROLE\":{\"AUT\":1}}}}")), ok, token);
        QCOMPARE(withoutDeactivation.checkRights(0), 2);
    }
};

QTEST_GUILESS_MAIN(TestUserRoleUtil)
#include "tst_userroleutil.moc"
