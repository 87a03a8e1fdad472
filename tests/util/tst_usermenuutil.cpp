// The user-menu store: the file after each change, damaged and hand-edited
// files, changes that cannot be saved, the tiles' texts from the mirror, the
// change flags and the cell dialog's choices.
#include "ConfigMirrorFixture.h"
#include "TestFiles.h"

#include "common/ChannelDataFlags.h"
#include "util/FileUtil.h"
#include "util/StatusMessageSink.h"
#include "util/UserMenuUtil.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

QString folder() { return FileUtil::basePath() + "/User"; }
QString menuFile() { return folder() + "/UserMenu.json"; }

// JSON written with single quotes, which keeps the texts here readable.
QByteArray json(QString text) { return text.replace('\'', '"').toUtf8(); }

Json::Value parsedFile() { return parse(QString::fromUtf8(readFile(menuFile()))); }

QStringList menuList(UserMenuUtil& store)
{
    QStringList names;
    const auto connection = QObject::connect(&store, &UserMenuUtil::updateMenuList, [&](TableStructure& table) {
        for (int row = 0; row < table.rowCount(); ++row)
            names << table.cellAt(row, 0).getValue().toString();
    });
    store.getJsonPath();
    store.getMenuList();
    QObject::disconnect(connection);
    return names;
}

// The tiles of menu index, two per row, in reading order.
QVector<TableCell> grid(UserMenuUtil& store, int index, int rows)
{
    QVector<TableCell> cells;
    const auto connection = QObject::connect(&store, &UserMenuUtil::updateUserMenu, [&](TableStructure& table) {
        for (int row = 0; row < table.rowCount(); ++row)
            cells += table.rowAt(row);
    });
    store.setColumnCount(2);
    store.setRowCount(rows);
    store.getJsonPath();
    store.getUserMenu(index);
    QObject::disconnect(connection);
    return cells;
}

QStringList texts(const TableCell& cell) { return cell.getValue().value<QVector<QString>>().toList(); }

} // namespace

class TestUserMenuUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;
    std::unique_ptr<QSignalSpy> messages;

    // The text ids shown on the status bar since the last call.
    QList<int> messageIds()
    {
        QList<int> ids;
        for (const QList<QVariant>& message : qAsConst(*messages))
            ids << message.at(0).toInt();
        messages->clear();
        return ids;
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<Severity>("Severity");
        fixture.reset(new ConfigMirrorFixture());
        messages.reset(new QSignalSpy(StatusMessageSink::instance(), &StatusMessageSink::showTextMessage));
    }
    void cleanupTestCase() { fixture.reset(); }

    void init()
    {
        QDir(folder()).removeRecursively();
        fixture->reset();
        messages->clear();
    }

    void fileAfterEachChange()
    {
        const QStringList names{"Kühlwasser Süd", "", "Noten 𝄞 😀"};
        {
            // A first start: no file until the first change.
            UserMenuUtil store;
            QVERIFY(menuList(store).isEmpty());
            QVERIFY(!QFile::exists(menuFile()));
            store.addUserMenu(names[0], UserMenuUtil::STYLE_EIGHT);
            store.addUserMenu(names[1], UserMenuUtil::STYLE_TEN);
            store.addUserMenu(names[2], UserMenuUtil::STYLE_TWELVE);

            grid(store, 0, 4);
            store.setCell(0, "$.DATA.MK[0]", "MV.MW");
            store.setCell(5, "$.DATA.MK[2]", "MV.MAW");
            store.setCell(0, "$.DATA.MK[1]", "MV.MIW");
            const Json::Value cells = parsedFile()["MENU"][0]["CELL"];
            QCOMPARE(cells.size(), 2u);
            QCOMPARE(cells[0]["IDX"].asInt(), 5);   // the reassigned cell goes last
            QCOMPARE(cells[1]["CHAN"]["PATH"].asString(), std::string("$.DATA.MK[1]"));
            store.clearCell(5);
            store.clearCell(0);
            QVERIFY(parsedFile()["MENU"][0].isMember("CELL") && parsedFile()["MENU"][0]["CELL"].isNull());
        }
        UserMenuUtil store;   // the names come back as typed
        QCOMPARE(menuList(store), names);
        store.deleteUserMenu(1);
        QCOMPARE(menuList(store), QStringList({names[0], names[2]}));
    }

    void damagedFileMovedAside()
    {
        const QByteArray content = json("{'MENU':{'NAME':'A','ST':0}}");
        const QString backup = menuFile() + ".bak";
        QVERIFY(writeFile(menuFile(), content));
        {
            UserMenuUtil store;
            QCOMPARE(readFile(backup), content);
            QVERIFY(messages->isEmpty());   // shown with the list, once
            QVERIFY(menuList(store).isEmpty() && menuList(store).isEmpty());
            QCOMPARE(messageIds(), QList<int>{1490});
            QVERIFY(!QFile::exists(menuFile()));   // until the first change
            store.addUserMenu("Neu", UserMenuUtil::STYLE_EIGHT);
            QCOMPARE(parsedFile()["MENU"].size(), 1u);
        }
        // A second damage keeps the first backup and adds one of its own.
        QVERIFY(writeFile(menuFile(), "{"));
        UserMenuUtil store;
        QCOMPARE(readFile(backup), content);
        const QStringList backups = QDir(folder()).entryList({"UserMenu.json.*.bak"}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QCOMPARE(readFile(folder() + '/' + backups.first()), QByteArray("{"));
    }

    void incompleteEntriesKept()
    {
        // With a byte-order mark, as an editor may save it.
        QVERIFY(writeFile(menuFile(), "\xEF\xBB\xBF" + json("{'MENU':[{'NAME':'A','ST':0}, {'NAME':5,'ST':1}, 'Text',"
                                                    " {'NAME':'B','ST':1.0}, {'NAME':'C','ST':7,'CELL':["
                                                    "  {'IDX':0,'CHAN':{'PATH':'$.DATA.MK[*]'},'VAL':{'WAY':'MV.MW'}},"
                                                    " {'IDX':'1','CHAN':{'PATH':'$.DATA.MK[0]'},'VAL':{'WAY':'MV.MW'}},"
                                                    "  {'IDX':1,'CHAN':{'PATH':'$.DATA.MK[0]'},'VAL':{'WAY':'MV.MW'}},"
                                                    "  {'IDX':2,'CHAN':{'PATH':'$.DATA.MK[1]'},'VAL':{'WAY':'MV[0]'}},"
                                                    "  3]}], 'OTHER':true}")));
        UserMenuUtil store;
        QCOMPARE(menuList(store), QStringList({"A", "B", "C"}));
        QVERIFY(!QFile::exists(menuFile() + ".bak"));
        store.deleteUserMenu(1);   // "B", the file's fourth element
        QCOMPARE(parsedFile()["MENU"].size(), 4u);
        QVERIFY(parsedFile()["OTHER"].asBool());

        grid(store, 1, 2);
        store.setCell(3, "$.DATA.MK[2]", "MV.MAW");
        store.clearCell(1);
        store.setCell(2, "$.DATA.MK[?(@.IDX==2)]", "MV.MW");   // no definite path: refused
        const Json::Value kept = parsedFile()["MENU"][3]["CELL"];
        QCOMPARE(kept.size(), 5u);   // four incomplete entries, then cell 3
        QCOMPARE(kept[4]["IDX"].asInt(), 3);
    }

    void changesThatCannotBeSaved()
    {
        // The file turns into a folder after loading: the writes fail, nothing changes.
        const QByteArray content = json("{'MENU':[{'NAME':'Eins','ST':0}]}");
        QVERIFY(writeFile(menuFile(), content));
        UserMenuUtil store;
        QCOMPARE(menuList(store), QStringList{"Eins"});
        QSignalSpy opened(&store, &UserMenuUtil::openMenu);
        QVERIFY(QFile::remove(menuFile()) && QDir().mkpath(menuFile()));
        store.addUserMenu("Verloren", UserMenuUtil::STYLE_TWELVE);
        store.deleteUserMenu(0);
        grid(store, 0, 1);
        store.setCell(0, "$.DATA.MK[0]", "MV.MW");
        QCOMPARE(opened.count(), 0);
        QCOMPARE(messageIds(), QList<int>({1491, 1491, 1491}));
        QCOMPARE(menuList(store), QStringList{"Eins"});
        QVERIFY(QDir(menuFile()).removeRecursively());
        store.addUserMenu("Zwei", UserMenuUtil::STYLE_TWELVE);
        QCOMPARE(parsedFile()["MENU"].size(), 2u);
    }

    void tileTexts()
    {
        fixture->fill("$.DATA.MK", json("[{'ADR':'CH01','MV':{'T':'Kessel','MW':{'VAL':0.000012345,'DIM':'°C'},"
                                        "  'MAW':{'VAL':1234567,'DIM':{'T':'Pa'}},'MIW':{'VAL':'-0.5','DIM':5},"
                                        "  'STF':{'VAL':['O','h','l']}}},"
                                        " {'ADR':7,'MV':{'T':'<b>Vorlauf</b>','MW':{'VAL':true,'DIM':'K'},"
                                        "  'STF':{'VAL':['U','h']}}}]"));
        QString cells;
        const QStringList assigned{"0:MW", "0:MAW", "0:MIW", "1:MW", "5:MW", "0:MTW"};
        for (int idx = 0; idx < assigned.size(); ++idx)
            cells += QString("%1{'IDX':%2,'CHAN':{'PATH':'$.DATA.MK[%3]'},'VAL':{'WAY':'MV.%4'}}") .arg(idx ? "," : "")
                         .arg(idx) .arg(assigned[idx].section(':', 0, 0), assigned[idx].section(':', 1));
        QVERIFY(writeFile(menuFile(), json("{'MENU':[{'NAME':'T','ST':0,'CELL':[" + cells + "]}]}")));
        UserMenuUtil store;
        const QVector<TableCell> tiles = grid(store, 0, 4);
        QCOMPARE(tiles.size(), 8);
        const QStringList shown{"CH01|Kessel|1.2345e-05|°C", "CH01|Kessel|1.23457e+06|Pa", "CH01|Kessel|-0.5|--",
                                "--|<b>Vorlauf</b>|---|K", "--|-----|---|--", "CH01|Kessel|---|--", "", ""};
        const QList<int> status{ChannelDataFlags::OVERRANGE, ChannelDataFlags::MAXIMUM_MARK,
                                ChannelDataFlags::MINIMUM_MARK, ChannelDataFlags::UNDERRANGE, 0, 0};
        for (int i = 0; i < tiles.size(); ++i) {
            QCOMPARE(texts(tiles[i]).join('|'), shown[i]);
            QCOMPARE(tiles[i].getData().toInt(), status.value(i));
        }
        // The channel list was read whole: the tiles ask for nothing more, not even for the
        // channel it lacks (not on the device).
        QCOMPARE(fixture->takeQueuedReads(), QStringList());
    }

    // A channel that another screen's reads left in part (its address and measured value) is read whole, once.
    void partlyHeldChannelIsReadOnce()
    {
        fixture->reset();
        fixture->merge("$.DATA.MK", json("[{'ADR':'CH01','MV':{'MW':{'VAL':1.5}}}]"));
        fixture->acceptRead("$.DATA.MK[*].ADR");
        fixture->acceptRead("$.DATA.MK[*].MV.MW");
        QVERIFY(writeFile(menuFile(), json("{'MENU':[{'NAME':'T','ST':0,'CELL':[{'IDX':0,'CHAN':{'PATH':'$.DATA.MK[0]'},"
                                           "'VAL':{'WAY':'MV.MW'}}]}]}")));
        UserMenuUtil store;
        grid(store, 0, 4);
        grid(store, 0, 4);
        QCOMPARE(fixture->takeQueuedReads().count("$.DATA.MK[0].MV"), 1);
    }

    // Which changes count is checked on the screen; here the channel choices.
    void activeChannelsAndChoices()
    {
        fixture->fill("$.DATA.CH", json("{'DISP':{'PATH':'$.DATA.MK[*]'},'UPD':{'PATH':'$.DATA.MK'},"
                                        " 'DESC':[{'WAY':'ADR'}], 'MVTB':{'ITEM':['MW'],'MW':{'T':'Messwert','WAY':'MV.MW'}}}"));
        fixture->fill("$.DATA.MK", json("[{'ADR':'CH01'}, null, {'ADR':'CH03'}]"));
        UserMenuUtil store;
        store.addUserMenu("M", UserMenuUtil::STYLE_TWELVE);
        grid(store, 0, 6);
        QSignalSpy channels(&store, &UserMenuUtil::updateActiveChannels);
        ConfigMirrorFixture::notify(store, "$.DATA.CH.UPD");
        QCOMPARE(channels.count(), 1);

        // The choices come without blocking, the deleted channel left out.
        QStringList choices;
        connect(&store, &UserMenuUtil::updateAddSelectDialog,
                [&](QStringList&, QStringList& paths, QStringList&, QStringList&) { choices = paths; });
        store.getActiveChannels();
        QVERIFY(choices.isEmpty());
        QTRY_COMPARE(choices, QStringList({"$.DATA.MK[0]", "$.DATA.MK[2]"}));
    }
};

QTEST_MAIN(TestUserMenuUtil)
#include "tst_usermenuutil.moc"
