// The user-management worker on a real device link to the simulator: the
// user table from good and malformed device data, the exact user telegrams,
// which notifications rebuild what, and the name check.
#include "DeviceLinkFixture.h"

#include "util/UserManagementUtil.h"

#include <QApplication>
#include <QPixmap>
#include <QSignalSpy>
#include <QtTest>

namespace {

// JSON written with single quotes, which keeps the texts here readable.
Json::Value parse(QString text)
{
    Json::Value value;
    Json::Reader().parse(text.replace(QLatin1Char('\''), QLatin1Char('"')).toStdString(), value);
    return value;
}

QStringList texts(const TableStructure& table, int column)
{
    QStringList column_;
    for (const QVector<TableCell>& row : table.getRows())
        column_ << (row.size() > column ? row.at(column).getValue().toString() : QStringLiteral("<none>"));
    return column_;
}

const char* const DEVICE_USERS = R"([
 {'ID':1,'NAME':'admin','USRO':{'ID':1},'HINT':'Werkszugang','LAST':{'DU':1772701620000}},
 {'ID':2,'NAME':'service','USRO':{'ID':2},'HINT':'','LAST':{'DU':1709288100000}},
 {'ID':7,'NAME':'bediener','USRO':{'ID':3},'HINT':'Schicht A','LAST':{'DU':1709537400000}},
 {'ID':8,'NAME':'praktikant','USRO':{'ID':3},'HINT':'befristet','LAST':{'DU':-5}},
 {'ID':9,'NAME':'werk','USRO':{'ID':4},'HINT':'Werksservice','LAST':{'DU':1709366400000}}])";

} // namespace

class TestUserManagementUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DeviceLinkFixture> link;
    std::unique_ptr<UserManagementUtil> util;
    TableStructure lastTable;
    int tables = 0;
    QVector<QVector<QVariant>> records;
    int roleLists = 0;

    // Replaces a device node (DEL + SET, as the device sends a new list) and
    // waits until the mirror holds the value.
    void setOnDevice(const QString& path, const Json::Value& value)
    {
        Json::Value telegram = SimulatorProcess::setTelegram(path, value);
        telegram["INST"]["DEL"] = SimulatorProcess::delTelegram(path)["INST"]["DEL"];
        QVERIFY(link->simulator.injectTelegram(telegram) >= 0);
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link->mirror(path) == value; }));
        QTest::qWait(50);   // the queued notifications reach the worker
    }

    // The one user telegram sent after clearing the log.
    Json::Value sentUserTelegram()
    {
        Json::Value body;
        if (!DeviceLinkFixture::waitUntil([&] { return link->requests(QStringLiteral("user")).size() == 1; }))
            return body;
        Json::Reader().parse(link->requests(QStringLiteral("user"))[0]["body"].asString(), body);
        return body;
    }

    static Json::Value userTelegram(const char* list, const QString& element)
    {
        Json::Value telegram = SimulatorProcess::telegramTemplate();
        telegram["INST"][list]["VAL"].append(parse(element));
        return telegram;
    }

private slots:
    void initTestCase()
    {
        link.reset(new DeviceLinkFixture());
        QVERIFY(link->setUp());
        QVERIFY(link->startSession());
        util.reset(new UserManagementUtil());
        connect(util.get(), &UserManagementUtil::updateUserList, this, [this](TableStructure& table) {
            lastTable = table;
            ++tables;
        });
        connect(util.get(), &UserManagementUtil::updateUser, this,
                [this](QVector<QVariant>& record) { records.append(record); });
        connect(util.get(), &UserManagementUtil::updateUserRoleList, this, [this](QMap<int, QString>&) { ++roleLists; });
    }

    void cleanupTestCase()
    {
        util.reset();
        link.reset();
    }

    void tableFromDeviceData()
    {
        util->getUserRoles();
        QCOMPARE(roleLists, 1);
        util->getUserList();
        QCOMPARE(texts(lastTable, 0), QStringList({"admin", "service", "bediener", "praktikant", "werk"}));
        QCOMPARE(texts(lastTable, 1),
                 QStringList({"Administrator", "Service", "Bediener", "Bediener", "Werkskundendienst"}));
        QCOMPARE(texts(lastTable, 2).at(1), QStringLiteral("01.03.2024 / 11:15:00"));   // Europe/Berlin
        QCOMPARE(texts(lastTable, 2).at(3), QString());                                   // never logged in
        const TableCell trash = lastTable.getRows().first().at(UserManagementUtil::TRASH_COLUMN);
        QCOMPARE(trash.getCellType(), TableCell::ICON);
        QCOMPARE(trash.getAlignment(), 0x82);
        QVERIFY(!trash.getValue().value<QPixmap>().isNull());
        QCOMPARE(util->getIds(), QVector<int>({1, 2, 7, 8, 9}));

        // Malformed roles: no integer id goes under -1, of two with one id the later wins.
        setOnDevice(QStringLiteral("$.USMG.USRO"),
                    parse("[{'ID':2,'DESC':{'T':'Zwei'}},{'DESC':{'T':'Ohne'}},7,{'ID':2,'DESC':{'T':'Neu'}}]"));
        QMap<int, QString> expectedRoles{{-1, "Ohne"}, {2, "Neu"}};
        QCOMPARE(util->getRoles(), expectedRoles);

        // Malformed users: empty cells, rows without id, no crash; odd texts kept as they are.
        const QString odd = QStringLiteral("a\"b\\c)]\u0001") + QString(10000, QLatin1Char('x'));
        Json::Value users = parse(R"([
          'kein Objekt',
          {'NAME':5,'USRO':{'ID':'2'},'LAST':{'DU':1.5}},
          {'ID':'12','NAME':'n','USRO':2,'LAST':{'DU':-5}},
          {'ID':4,'USRO':{'ID':99},'LAST':{'DU':18446744073709551615}},
          {'ID':5,'NAME':'fern','USRO':{'ID':2},'LAST':{'DU':9223372036854775807}},
          {'ID':6,'NAME':'null','LAST':{'DU':0}},
          {'ID':3000000000,'NAME':'gross','LAST':7}])");
        users[3]["NAME"] = odd.toStdString();
        setOnDevice(QStringLiteral("$.USMG.USLI"), users);
        QCOMPARE(util->getIds(), QVector<int>({-1, -1, -1, 4, 5, 6, -1}));
        QCOMPARE(lastTable.getRows().first().size(), 0);
        QCOMPARE(texts(lastTable, 0).mid(1), QStringList({"", "n", odd, "fern", "null", "gross"}));
        QCOMPARE(texts(lastTable, 1).mid(1), QStringList({"", "", "", "Neu", "", ""}));
        QCOMPARE(texts(lastTable, 2).mid(1), QStringList({"", "", "", "", "01.01.1970 / 01:00:00", ""}));
        QCOMPARE(util->userIdAt(0), -1);
        QCOMPARE(util->userIdAt(99), -1);

        // A list that is no list changes nothing (the mirror only takes it once the node was emptied).
        const int before = tables;
        Json::Value noList = SimulatorProcess::delTelegram(QStringLiteral("$.USMG"));
        noList["INST"]["SET"] = SimulatorProcess::setTelegram(QStringLiteral("$.USMG.USLI"), parse("{'ID':1}"))["INST"]["SET"];
        QVERIFY(link->simulator.injectTelegram(noList, false) >= 0);
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link->mirror(QStringLiteral("$.USMG.USLI")).isObject(); }));
        util->getUserList();
        QCOMPARE(tables, before);
        QCOMPARE(util->getIds(), QVector<int>({-1, -1, -1, 4, 5, 6, -1}));

        Json::Value restore = SimulatorProcess::delTelegram(QStringLiteral("$.USMG"));
        restore["INST"]["SET"] =
            SimulatorProcess::setTelegram(QStringLiteral("$.USMG"), link->simulator.treeValues("$.USMG")[0])["INST"]["SET"];
        QVERIFY(link->simulator.injectTelegram(restore, false) >= 0);
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link->mirror(QStringLiteral("$.USMG.USLI")).isArray(); }));
        setOnDevice(QStringLiteral("$.USMG.USRO"), parse(R"([{'ID':1,'DESC':{'T':'Administrator','ID':20090}},
            {'ID':2,'DESC':{'T':'Service','ID':20091}},{'ID':3,'DESC':{'T':'Bediener','ID':20092}},
            {'ID':4,'DESC':{'T':'Werkskundendienst','ID':20093}}])"));
        setOnDevice(QStringLiteral("$.USMG.USLI"), parse(DEVICE_USERS));
        QCOMPARE(util->getIds(), QVector<int>({1, 2, 7, 8, 9}));
    }

    void userTelegrams()
    {
        util->getUserRoles();
        util->getUserList();
        QVERIFY(link->simulator.clearRequestLog());
        QVERIFY(util->deleteUser(7));
        QCOMPARE(sentUserTelegram(), userTelegram("DEL", "{'MODE':0,'DEST':{'PATH':'$.USMG.USLI'},'VAL':{'ID':7}}"));

        // Created with the name trimmed, comment and password as typed.
        QVERIFY(link->simulator.clearRequestLog());
        QVERIFY(util->saveUser(-1, -1, 3, {" bob ", " Schicht \"B\" ", " g\u00e9heim "}, false));
        QCOMPARE(sentUserTelegram(),
                 userTelegram("SET", "{'MODE':0,'DEST':{'PATH':'$.USMG.USLI','DEV':1,'PROP':''},'VAL':{'HINT':"
                                     "' Schicht \\'B\\' ','ID':-1,'NAME':'bob','PW':' g\u00e9heim ','USRO':{'ID':3}}}"));

        // Changed without a new password: no "PW"; with one: the password as typed.
        QVERIFY(link->simulator.clearRequestLog());
        QVERIFY(util->saveUser(8, -1, 2, {"praktikant", "neu", ""}, true));
        QCOMPARE(sentUserTelegram(),
                 userTelegram("SET", "{'MODE':0,'DEST':{'PATH':'$.USMG.USLI','DEV':1,'PROP':''},'VAL':{'HINT':'neu',"
                                     "'ID':8,'NAME':'praktikant','USRO':{'ID':2}}}"));
        QVERIFY(link->simulator.clearRequestLog());
        QVERIFY(util->saveUser(8, -1, 2, {"praktikant", "neu", "***"}, true));
        QCOMPARE(sentUserTelegram()["INST"]["SET"]["VAL"][0]["VAL"]["PW"].asString(), std::string("***"));

        // Refused before sending: no id, no name, unknown or missing role, a new user without password,
        // the logged-in user's own deletion.
        QVERIFY(link->simulator.clearRequestLog());
        QVERIFY(!util->deleteUser(-1));
        QVERIFY(!util->deleteUser(link->rights()->getUserId()));
        QVERIFY(!util->saveUser(-1, -1, 3, {"  ", "", "pw"}, true));
        QVERIFY(!util->saveUser(-1, -1, 0, {"carl", "", "pw"}, true));
        QVERIFY(!util->saveUser(-1, -1, -1, {"carl", "", "pw"}, true));
        QVERIFY(!util->saveUser(-1, -1, 3, {"carl", "", ""}, true));
        QVERIFY(!util->saveUser(-5, -1, 3, {"carl", "", "pw"}, true));
        QTest::qWait(300);
        QCOMPARE(link->requests(QStringLiteral("user")).size(), 0u);

        // The device applied what was sent: 7 gone, bob there, 8 now a service user.
        QTRY_VERIFY(link->mirror(QStringLiteral("$.USMG.USLI[?(@.NAME==\"bob\")].USRO.ID")) == Json::Value(3));
        QTRY_COMPARE(link->mirror(QStringLiteral("$.USMG.USLI[?(@.ID==8)].USRO.ID")), Json::Value(2));
        QVERIFY(!util->getIds().contains(7));
    }

    void notificationsReadWhatChanged()
    {
        records.clear();
        const auto batch = [this](const QString& path) {
            util->beforeJsonTelegramm();
            util->jsonTelegramm(GlobalEnums::SET, path);
            util->afterJsonTelegramm();
        };
        util->getUser(2);   // "service", row 1
        QCOMPARE(records, QVector<QVector<QVariant>>({{QStringLiteral("service"), 2, QString(), 2}}));
        int before = tables;
        batch(QStringLiteral("$.USMG.USLI[13]"));
        QCOMPARE(records.size(), 1);
        QCOMPARE(tables, before + 1);
        batch(QStringLiteral("$.USMG.USLI[1].NAME"));
        QCOMPARE(records.size(), 2);
        batch(QStringLiteral("$.USMG"));   // the whole node sent again
        QCOMPARE(records.size(), 3);
        before = tables;
        batch(QStringLiteral("$.DATA.CH[3].MV.MW.VAL"));
        QCOMPARE(tables, before);
        QCOMPARE(records.size(), 3);

        const int row = util->getIds().indexOf(8);
        util->getUser(8);
        before = tables;
        batch(QStringLiteral("$.USMG.USLI[%1].LAST.DU").arg(row));
        QCOMPARE(records.size(), 5);
        QCOMPARE(tables, before + 1);

        // A thousand changed users in one telegram rebuild the table once.
        Json::Value telegram = SimulatorProcess::telegramTemplate();
        for (int i = 0; i < 1000; ++i) {
            Json::Value element = SimulatorProcess::setTelegram(QStringLiteral("$.USMG.USLI[0].HINT"),
                                                                QString::number(i).toStdString())["INST"]["SET"]["VAL"][0];
            telegram["INST"]["SET"]["VAL"].append(element);
        }
        QTest::qWait(200);
        before = tables;
        QVERIFY(link->simulator.injectTelegram(telegram) >= 0);
        QVERIFY(DeviceLinkFixture::waitUntil(
            [&] { return link->mirror(QStringLiteral("$.USMG.USLI[0].HINT")) == Json::Value("999"); }));
        QTest::qWait(200);
        QCOMPARE(tables, before + 1);
    }

    void nameCheck()
    {
        Json::Value users = parse(DEVICE_USERS);
        for (const char* name : {"J\u00f6rg \"Jo\"", "a)]b", "back\\slash", "M\u00fcller"}) {
            Json::Value user = users[0];
            user["ID"] = int(records.size()) + 20;
            user["NAME"] = name;
            users.append(user);
        }
        setOnDevice(QStringLiteral("$.USMG.USLI"), users);
        QVERIFY(link->simulator.clearRequestLog());
        QVERIFY(util->userExists(QStringLiteral("J\u00f6rg \"Jo\"")));
        QVERIFY(util->userExists(QStringLiteral("a)]b")));
        QVERIFY(util->userExists(QStringLiteral("back\\slash")));
        QVERIFY(util->userExists(QStringLiteral("  M\u00fcller\t")));
        QVERIFY(util->userExists(QStringLiteral(" admin ")));
        QVERIFY(!util->userExists(QStringLiteral("Muller")));
        QVERIFY(!util->userExists(QStringLiteral("a")));
        QVERIFY(!util->userExists(QStringLiteral("   ")));
        QVERIFY(!util->userExists(QStringLiteral("\"] || true")));
        QTest::qWait(300);
        QCOMPARE(link->requests(QStringLiteral("path")).size(), 0u);

        // Without a list in the mirror the list itself is asked for, and the name counts as free.
        QVERIFY(link->simulator.setDelay(2000, QStringLiteral("path")));
        QVERIFY(link->simulator.injectTelegram(SimulatorProcess::delTelegram(QStringLiteral("$.USMG")), false) >= 0);
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link->mirror(QStringLiteral("$.USMG.USLI")).isNull(); }));
        QVERIFY(!util->userExists(QStringLiteral("admin")));
        QVERIFY(link->simulator.setDelay(0));
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link->mirror(QStringLiteral("$.USMG.USLI")).isArray(); }));
        QVERIFY(util->userExists(QStringLiteral("admin")));
        // The list itself is read, never a path made of the name.
        QStringList paths;
        for (const Json::Value& read : link->requests(QStringLiteral("path"))) {
            Json::Value telegram;
            QVERIFY(Json::Reader().parse(read["body"].asString(), telegram));
            for (const Json::Value& element : telegram["INST"]["GET"]["VAL"])
                paths << QString::fromStdString(element["DEST"]["PATH"].asString());
        }
        QVERIFY(paths.contains(QStringLiteral("$.USMG.USLI")));
        QVERIFY2(paths.filter(QStringLiteral("NAME")).isEmpty(), qPrintable(paths.join(QLatin1Char(' '))));
    }
};

int main(int argc, char* argv[])
{
    qputenv("TZ", "Europe/Berlin");   // the last-login column shows local time
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestUserManagementUtil test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_usermanagementutil.moc"
