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
    void rights()
    {
        const struct { const char* node; bool measuring; int rights; } rows[] = {
            {"{\"AUT\":4}", false, 3},                      // covers the deactivation mask
            {"{\"AUT\":2}", false, 2},                      // misses a role bit
            {"{\"AUT\":1}", false, 1},                      // editable
            {"{\"AUT\":1}", true, 2},                       // measuring, misses a measure bit
            {"{\"AUT\":1,\"INP\":{\"AUT\":4}}", false, 3},   // the input's mask wins
            {"{\"AUT\":\"x\"}", false, 0},                  // no number
            // Bit 63 and bit 0, as an unsigned and as a signed 64-bit number: covers ROLE and MEAS, misses DACT's bit 2.
            {"{\"AUT\":9223372036854775809}", false, 1}, {"{\"AUT\":-9223372036854775807}", false, 1}};
        for (const auto& row : rows) {
            UserRoleUtil util;
            loginWithExampleMasks(util);
            QSignalSpy updates(&util, SIGNAL(updateRights()));
            util.setMeasurementRunning(row.measuring);
            QCOMPARE(updates.count(), row.measuring ? 1 : 0);   // a change of the measurement state re-checks the screens
            QVERIFY2(util.checkNodeRights(parse(row.node)) == row.rights, row.node);
        }
    }

    // An answer without a token string is refused; rights of the wrong shape are skipped.
    void loginAnswers()
    {
        const struct { const char* answer; bool ok; const char* token; int userId; const char* userName; } rows[] = {
            {"{\"CLNT\":{\"TOKN\":\"7f3a9c\",\"US\":{\"ID\":3,\"NAME\":\"admin\"}}}", true, "7f3a9c", 3, "admin"},
            {"{\"CLNT\":{\"TOKN\":\"\",\"US\":{\"ID\":3}}}", false, "", -1, ""},
            {"{\"CLNT\":{\"TOKN\":[1]}}", false, "", -1, ""},
            {"{\"CLNT\":{\"TOKN\":\"t\",\"RIGT\":{\"DACT\":7,\"ROLE\":{\"AUT\":\"x\"}}}}", true, "t", -1, ""}};
        LogCapture log;
        for (const auto& row : rows) {
            UserRoleUtil util;
            bool accepted = !row.ok;
            QString received;
            util.checkAndSetLogin(parse(QString::fromUtf8(row.answer)), accepted, received);
            QCOMPARE(accepted, row.ok);
            QCOMPARE(received, QString(row.token));
            QCOMPARE(util.getUserId(), row.userId);
            QCOMPARE(util.getUserName(), QString(row.userName));
        }
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
