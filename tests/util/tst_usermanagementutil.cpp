// The user-management worker on a mirror filled by the test: the user table
// from good and malformed device data, the exact user telegrams, which
// notifications rebuild what, and the name check.
#include "../common/LocalTimeZone.h"
#include "ConfigMirrorFixture.h"

#include "SimulatorProcess.h"
#include "util/UserManagementUtil.h"

#include <QApplication>
#include <QtTest>

namespace {

QStringList texts(const TableStructure& table, int column)
{
    QStringList cells;
    for (const QVector<TableCell>& row : table.getRows())
        cells << (row.size() > column ? row.at(column).getValue().toString() : QString());
    return cells;
}

Json::Value userTelegram(const char* list, const QString& element)
{
    Json::Value telegram = SimulatorProcess::telegramTemplate();
    telegram["INST"][list]["VAL"].append(parseQuoted(element));
    return telegram;
}

const QString USERS = QStringLiteral("$.USMG.USLI");

} // namespace

class TestUserManagementUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;
    std::unique_ptr<UserManagementUtil> util;   // goes first, before the fixture
    TableStructure lastTable;
    int tables = 0;
    QVector<QVector<QVariant>> records;

    // Replaces the user list as the device does (DEL + SET).
    void setUsers(const Json::Value& users)
    {
        Json::Value telegram = SimulatorProcess::setTelegram(USERS, users);
        telegram["INST"]["DEL"] = SimulatorProcess::delTelegram(USERS)["INST"]["DEL"];
        fixture->json()->handleReceiveJSON(telegram);
    }

    // The one telegram queued since the last call, taken as the device accepts it.
    Json::Value sentTelegram()
    {
        int kind = 0;
        const Json::Value telegram = fixture->takeTelegram(kind);
        return fixture->json()->getRequestCount() == 0 ? telegram : Json::Value();
    }

private slots:
    void initTestCase()
    {
        fixture.reset(new ConfigMirrorFixture());
        fixture->login();
        fixture->fill(QStringLiteral("$.USMG"), QString(R"({"USRO": [{"ID": 1, "DESC": {"T": "Administrator"}},
            {"ID": 2, "DESC": {"T": "Service"}}, {"ID": 3, "DESC": {"T": "Bediener"}}], "USLI": [
            {"ID": 1, "NAME": "admin", "USRO": {"ID": 1}, "HINT": "Werkszugang"},
            {"ID": 2, "NAME": "service", "USRO": {"ID": 2}, "HINT": ""},
            {"ID": 7, "NAME": "bediener", "USRO": {"ID": 3}, "HINT": "Schicht A"}]})"));
        util.reset(new UserManagementUtil());
        connect(util.get(), &UserManagementUtil::updateUserList, this, [this](TableStructure& table) {
            lastTable = table;
            ++tables;
        });
        connect(util.get(), &UserManagementUtil::updateUser, this,
                [this](QVector<QVariant>& record) { records.append(record); });
    }

    void cleanupTestCase()
    {
        util.reset();
        fixture.reset();
    }

    void tableFromGoodAndMalformedUsers()
    {
        util->getUserRoles();
        util->getUserList();
        QCOMPARE(util->getIds(), QVector<int>({1, 2, 7}));   // the cells: on the screen
        const Json::Value deviceUsers = fixture->mirror(USERS);

        // Wrong types give empty cells; ids that are no int of 0 or more name no user.
        const QString odd = QStringLiteral("a\"b\\c)]\u0001") + QString(10000, QLatin1Char('x'));
        Json::Value users = parseQuoted(R"([ 'kein Objekt',
          {'ID':-5,'NAME':5,'USRO':{'ID':'2'},'LAST':{'DU':1.5}},
          {'ID':'12','NAME':'n','USRO':2,'LAST':7},
          {'ID':4,'USRO':{'ID':2},'LAST':{'DU':18446744073709551615}},
          {'ID':5,'NAME':'fern','LAST':{'DU':9223372036854775807}},
          {'ID':3000000000,'NAME':'null','LAST':{'DU':0}}])");
        users[3]["NAME"] = odd.toStdString();
        setUsers(users);
        QCOMPARE(util->getIds(), QVector<int>({-1, -1, -1, 4, 5, -1}));
        QCOMPARE(texts(lastTable, 0), QStringList({"", "", "n", odd, "fern", "null"}));
        QCOMPARE(texts(lastTable, 2), QStringList({"", "", "", "", "", "01.01.1970 / 01:00:00"}));
        records.clear();
        util->getUser(-5);
        QVERIFY(records.isEmpty());
        setUsers(deviceUsers);
        QCOMPARE(util->getIds(), QVector<int>({1, 2, 7}));
    }

    void exactUserTelegrams()
    {
        fixture->takeQueuedReads();
        QVERIFY(util->deleteUser(7));
        QCOMPARE(sentTelegram(), userTelegram("DEL", "{'MODE':0,'DEST':{'PATH':'$.USMG.USLI'},'VAL':{'ID':7}}"));

        // Created with the name trimmed, comment and password as typed.
        QVERIFY(util->saveUser(-1, -1, 3, {" bob ", " Schicht \"B\" ", " g\u00e9heim "}, false));
        QCOMPARE(sentTelegram(), userTelegram("SET", "{'MODE':0,'DEST':{'PATH':'$.USMG.USLI','DEV':1,'PROP':''},'VAL':{"
                                     "'HINT':' Schicht \\'B\\' ','ID':-1,'NAME':'bob','PW':' g\u00e9heim ',"
                                     "'USRO':{'ID':3}}}"));

        // Changed without a new password: no "PW".
        QVERIFY(util->saveUser(8, -1, 2, {"praktikant", "neu", ""}, true));
        QCOMPARE(sentTelegram(),
                 userTelegram("SET", "{'MODE':0,'DEST':{'PATH':'$.USMG.USLI','DEV':1,'PROP':''},'VAL':{'HINT':'neu',"
                                     "'ID':8,'NAME':'praktikant','USRO':{'ID':2}}}"));
    }

    // Without an id in the login answer the listed name tells the own account; without
    // either, no account counts as another's.
    void ownAccountWithoutAnIdInTheLoginAnswer()
    {
        fixture->login(1, 256, 65536, QStringLiteral("{\"NAME\": \" bediener \"}"));
        QVERIFY(!util->isOtherUser(7));
        QVERIFY(util->isOtherUser(2) && !util->isOtherUser(99));
        fixture->rights()->reset();
        fixture->login(1, 256, 65536, QStringLiteral("{}"));
        QVERIFY(!util->isOtherUser(2));
        fixture->takeQueuedReads();
        QVERIFY(!util->deleteUser(2));
        QCOMPARE(fixture->json()->getRequestCount(), 0);
        fixture->login();
    }

    void notificationsReadWhatChanged()
    {
        const auto batch = [this](const char* path) {
            ConfigMirrorFixture::notify(*util, QLatin1String(path));
            return qMakePair(tables, records.size());
        };
        records.clear();
        util->getUser(2);   // "service", row 1
        QCOMPARE(records, QVector<QVector<QVariant>>({{QStringLiteral("service"), 2, QString(), 2}}));
        const int before = tables;
        QCOMPARE(batch("$.USMG.USLI[13]"), qMakePair(before + 1, 1));   // other users: the table only
        QCOMPARE(batch("$.USMG.USLI[1].NAME"), qMakePair(before + 2, 2));
        QCOMPARE(batch("$.USMG"), qMakePair(before + 3, 3));   // the whole node sent again
        QCOMPARE(batch("$.DATA.CH[3].MV.MW.VAL"), qMakePair(before + 3, 3));
        QCOMPARE(batch("$.USMG.USRO[1].DESC"), qMakePair(before + 4, 3));   // role texts: the table shows them

        // A thousand changed users in one telegram rebuild the table once.
        Json::Value telegram = SimulatorProcess::telegramTemplate();
        for (int i = 0; i < 1000; ++i)
            telegram["INST"]["SET"]["VAL"].append(SimulatorProcess::setTelegram(
                QStringLiteral("$.USMG.USLI[0].HINT"), QString::number(i).toStdString())["INST"]["SET"]["VAL"][0]);
        fixture->json()->handleReceiveJSON(telegram);
        QCOMPARE(fixture->mirror(QStringLiteral("$.USMG.USLI[0].HINT")), Json::Value("999"));
        QCOMPARE(tables, before + 5);
    }

    void nameCheck()
    {
        Json::Value users = fixture->mirror(USERS);
        for (const char* name : {"a)]b", "back\\slash", "M\u00fcller"}) {
            Json::Value user = users[0];
            user["ID"] = int(users.size()) + 20;
            user["NAME"] = name;
            users.append(user);
        }
        setUsers(users);
        fixture->takeQueuedReads();
        for (const char* name : {"a)]b", "back\\slash", "  M\u00fcller\t"})
            QVERIFY2(util->userExists(QString::fromUtf8(name)), name);
        for (const char* name : {"Muller", "   ", "\"] || true"})
            QVERIFY2(!util->userExists(QString::fromUtf8(name)), name);
        QCOMPARE(fixture->takeQueuedReads(), QStringList());   // judged from the mirror alone
    }

    // A list that another screen's read left in part (names only) is read whole, once.
    void partlyHeldListIsReadOnce()
    {
        const Json::Value users = fixture->mirror(USERS);
        fixture->json()->clearRequests();   // a new session that read nothing yet
        fixture->merge(QStringLiteral("$.USMG.USLI[0]"), QStringLiteral("{\"NAME\": \"admin\"}"));
        fixture->acceptRead(QStringLiteral("$.USMG.USLI[*].NAME"));
        util->getUserList();
        util->userExists(QStringLiteral("admin"));
        QCOMPARE(fixture->takeQueuedReads(), QStringList{USERS});
        fixture->fill(USERS, QString::fromStdString(users.toStyledString()));
    }
};

int main(int argc, char* argv[])
{
    testzone::useZone(testzone::OFFSET_ZONE);   // the last-login column shows local time
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestUserManagementUtil test;
    QTEST_SET_MAIN_SOURCE_PATH return QTest::qExec(&test, argc, argv);
}

#include "tst_usermanagementutil.moc"
