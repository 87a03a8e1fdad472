// The device-configuration worker against a mirror filled by hand. Its cells:
// every input mode, limits and their "PATH" targets, rights, "PATH" chains
// that loop, the local index of a selection table. Its work: which queued
// request is built, bursts of requests, the change filter (watched paths,
// pending writes, deletions), writes the device never confirms or confirms late, changes that
// arrive while a table is built, a threaded util destroyed in the middle of a
// build, and the values written back in the form each input mode sends.
#include "../common/LogCapture.h"
#include "ConfigMirrorFixture.h"
#include "EditedTable.h"
#include "SimulatorProcess.h"
#include "common/CommonJSONUtil.h"
#include "common/ThreadHandOver.h"
#include "common/ZZJSON.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>

namespace {

const int BIG_ROWS = 5000;
const QString entryPath = QStringLiteral("$.DISP.T.E");

// A read of path, as the device link hands a dropped one to the change filters.
TelegramRequest readOf(const QString& path)
{
    TelegramRequest read;
    read.kind = REQUEST_PATH;
    read.path = path;
    return read;
}

} // namespace

class TestDeviceConfigUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;
    int defaultWriteTimeout = 0;

    // A data table of BIG_ROWS rows at $.DISP.BIG.
    void fillBigTable()
    {
        Json::Value rows(Json::arrayValue);
        for (int i = 0; i < BIG_ROWS; ++i) {
            Json::Value row;
            row["V"] = i;
            row["N"] = "n" + std::to_string(i);
            rows.append(row);
        }
        fixture->json()->appendJson(rows, QStringLiteral("$.DATA.BIG"));
        fixture->fill(QStringLiteral("$.DISP"),
                      QStringLiteral("{\"BIG\":{\"DTAB\":{\"PATH\":\"$.DISP.BIGD\"}},\"BIGD\":{\"TH\":[{\"T\":\"V\"},{\"T\":\"N\"}],"
                                     "\"TD\":[{\"PATH\":\"$.DATA.BIG[*].V\",\"INP\":{\"MODE\":\"Z\",\"AUT\":7}},"
                                     "{\"PATH\":\"$.DATA.BIG[*].N\"}]}}"));
    }

private slots:
    void initTestCase()
    {
        defaultWriteTimeout = DeviceConfigUtil::getPendingWriteTimeout();
        fixture.reset(new ConfigMirrorFixture());
    }
    void cleanupTestCase() { fixture.reset(); }

    void init()
    {
        fixture->reset();
        fixture->login();
        fixture->fill(QStringLiteral("$.SERV.LIST"), QStringLiteral("{\"DMOD\":[\"a\",\"b\"]}"));
        DeviceConfigUtil::setPendingWriteTimeout(5000);
    }


    // The cell of every input mode: type, value, data and rights; 18 is no cell.
    void modes()
    {
        const QString inp = QStringLiteral("{\"VAL\":%1,\"INP\":{\"MODE\":\"%2\",\"AUT\":7%3}}");
        auto entry = [&](const char* value, const char* mode, const char* more = "") {
            return inp.arg(QString::fromUtf8(value), QString::fromUtf8(mode), QString::fromUtf8(more));
        };
        // Defaults: no value, no data, editable for the role.
        const auto row = [this](const char* name, const QString& entry, int type, const QVariant& value = QString(""),
                                const QVariant& data = QString(""), int rights = 2) {
            fixture->fill(entryPath, entry);
            DeviceConfigUtil util;
            TableCell cell;
            util.setInputCell(parse(entry), entryPath, cell);
            QVERIFY2(int(cell.getCellType()) == type, name);
            QCOMPARE(cell.getValue(), value);
            QCOMPARE(cell.getData(), data);
            QCOMPARE(cell.getRights(), rights);
            QCOMPARE(cell.getPath(), type == 18 ? QString() : entryPath + ".VAL");
        };
        const QString none;

        row("no INP, object VAL: empty text", "{\"VAL\":{\"A\":1}}", 0, none, none, 0);
        row("Z text as typed", entry("\"0012\"", "Z"), 2, "0012");
        row("Z boolean: no cell", entry("true", "Z"), 18);
        row("A number: no cell", entry("5", "A"), 18);
        row("YC", entry("true", "YC"), 1, true);
        row("R through PATH and text", entry("0", "R", ",\"TAB\":[{\"PATH\":\"$.SERV.LIST.DMOD\"},\"c\"]"), 9, 0,
            QStringList{"a", "b", "c"});
        row("R out of range", entry("1", "R", ",\"TAB\":[\"a\"]"), 18);
        row("L", entry("null", "L", ",\"TAB\":[\"a\",\"b\",\"c\"]"), 13, "a, b, c");
        row("TI out of range", entry("2", "TI", ",\"TAB\":[\"x\",\"y\"]"), 18);
        row("TI array", entry("[1]", "TI", ",\"TAB\":[\"x\"]"), 18);
        row("TT unknown", entry("\"x\"", "TT", ",\"TAB\":[\"a\",\"b\"]"), 11, "- - -", QStringList{"- - -", "a", "b"});
        row("U hour 25: text", entry("\"25:00\"", "U", ",\"FORM\":\"HH:mm\""), 0, "25:00");
        row("D", entry("\"05.03.2026\"", "D", ",\"FORM\":\"dd.MM.yyyy\""), 7, QDate(2026, 3, 5), "dd.MM.yyyy");
        row("DU beyond the dates shown", entry("9223372036854775807", "DU"), 18, none, none, 1);
        row("REF: read only",
            entry("2", "REF", ",\"TAB\":[{\"REF\":1,\"TXT\":\"Bereit\"},{\"REF\":2,\"TXT\":{\"T\":\"Läuft\",\"ID\":5}}]"), 3,
            "Läuft", none, 1);
        row("REF fraction matches nothing",
            entry("2.5", "REF", ",\"TAB\":[{\"REF\":2,\"TXT\":\"a\"},{\"REF\":2.5,\"TXT\":\"b\"}]"), 18, none, none, 1);
        row("REF stops at the first match",
            entry("2", "REF", ",\"TAB\":[{\"REF\":2,\"TXT\":5},{\"REF\":2,\"TXT\":\"b\"}]"), 18, none, none, 1);
        row("M: the entry exists", entry("null", "M"), 8, entryPath);
        row("mode as a number", "{\"VAL\":1,\"INP\":{\"MODE\":5,\"AUT\":7}}", 18);
    }

    // Rows that need an "INP" object are skipped without one; "M" needs exactly one node that is not null.
    void modesThatNeedMoreThanTheValue()
    {
        fixture->fill(QStringLiteral("$.DISP.N"), QStringLiteral("{\"X\":null,\"L\":[1,2]}"));
        DeviceConfigUtil util;
        for (const char* mode : {"R", "L", "TI", "TT", "U", "UF", "D"}) {
            TableCell cell;
            QCOMPARE(int(util.setTablecellValueMode(cell, entryPath, Json::Value(mode), Json::Value("0"), Json::Value())),
                     18);
        }
        for (const char* path : {"$.DISP.MISSING", "$.DISP.N.X", "$.DISP.N.L[*]"}) {
            TableCell cell;
            QCOMPARE(int(util.setTablecellValueMode(cell, path, Json::Value("M"), Json::Value(), Json::Value())), 18);
        }
        QCOMPARE(fixture->takeQueuedReads(), QStringList());
    }

    void limitsFollowTheirPathOnceItArrives()
    {
        DeviceConfigUtil util;
        const Json::Value entry = parse(
            "{\"VAL\":12.5,\"INP\":{\"MODE\":\"Z\",\"AUT\":7,\"MIN\":0,\"MAX\":{\"PATH\":\"$.SERV.LIM.RMAX\"},"
            "\"DG\":\"x\",\"DP\":{\"PATH\":\"$.SERV.LIM.DP\"},\"REGX\":\"^[0-9]+$\"}}");
        TableCell before;
        util.setInputCell(entry, entryPath, before);
        QCOMPARE(before.getLimitFlags(), TableCell::MIN | TableCell::REGX);
        QCOMPARE(fixture->takeQueuedReads(), QStringList({"$.SERV.LIM.RMAX", "$.SERV.LIM.DP"}));

        TableCell again;
        util.setInputCell(entry, entryPath, again);
        QCOMPARE(fixture->takeQueuedReads(), QStringList());   // asked for once only

        fixture->fill(QStringLiteral("$.SERV.LIM"), QStringLiteral("{\"RMAX\":100,\"DP\":2}"));
        TableCell after;
        util.setInputCell(entry, entryPath, after);
        QCOMPARE(after.getLimitFlags(), TableCell::MIN | TableCell::MAX | TableCell::DP | TableCell::REGX);
        QCOMPARE(after.getMax(), 100.0);
    }

    // The role's rights reach the cell; a mask that is no number leaves it read-only; while a write
    // is pending, inputs are read-only and links stay usable.
    void rights()
    {
        const QString number = "{\"VAL\":5,\"INP\":{\"MODE\":\"Z\",\"AUT\":%1}}";
        const QString link = "{\"INP\":{\"MODE\":\"M\",\"AUT\":65543}}";
        const struct { qint64 role, deactivated; QString entry; bool pending; int rights; } rows[] = {
            {1, 256, number.arg(7), false, 2}, {1, 256, number.arg("\"7\""), false, 1}, {4, 1024, number.arg(1031), false, 3},
            {1, 256, number.arg(7), true, 1}, {1, 256, link, true, 2}};
        for (const auto& row : rows) {
            fixture->login(row.role, row.deactivated);
            fixture->fill(entryPath, row.entry);
            DeviceConfigUtil util;
            if (row.pending)
                util.saveConfig(tableOf({changedCell(QStringLiteral("$.DISP.OTHER.VAL"), QStringLiteral("x"))}));
            TableCell cell;
            util.setInputCell(parse(row.entry), entryPath, cell);
            QVERIFY2(cell.getRights() == row.rights, qPrintable(row.entry));
        }
    }

    // "PATH" links that loop, or run longer than 16 links, end the walk with a warning.
    void pathChainsEnd()
    {
        QString chain;   // each member of $.L points at the next one
        for (int i = 0; i < 20; ++i)
            chain += QStringLiteral("\"P%1\":{\"PATH\":\"$.L.P%2\"},").arg(i).arg(i + 1);
        const QList<QPair<QString, QString>> rows{
            {"{\"P0\":{\"PATH\":\"$.L.P1\"},\"P1\":{\"PATH\":\"$.L.P0\"}}", "$.L.P0"},
            {"{" + chain + "\"P20\":{\"VAL\":\"end\"}}", "$.L.P16"}};
        for (const auto& row : rows) {
            fixture->fill(QStringLiteral("$.L"), row.first);
            DeviceConfigUtil util;
            LogCapture log;
            Json::Value value = parse(QStringLiteral("{\"PATH\":\"$.L.P0\"}"));
            QString path = QStringLiteral("$.START");
            util.resolvePathNode(value, path);
            QVERIFY(value.isObject() && value.isMember("PATH"));
            QCOMPARE(log.matching("stop at a repeated path or after 16 links: " + row.second).size(), 1);
            QStringList options;
            util.readOptionList(parse(QStringLiteral("{\"PATH\":\"$.L.P0\"}")), options);
            QVERIFY(options.isEmpty());
        }
        // Option lists that name each other are read once each.
        fixture->fill(QStringLiteral("$.O"), QStringLiteral("{\"A\":[\"a\",{\"PATH\":\"$.O.B\"}],\"B\":[\"b\",{\"PATH\":\"$.O.A\"}]}"));
        QStringList options;
        DeviceConfigUtil().readOptionList(parse(QStringLiteral("{\"PATH\":\"$.O.A\"}")), options);
        QCOMPARE(options, QStringList({"a", "b"}));
    }

    // A missing target ends the walk and is watched; a present one is followed.
    void resolvedTargetsAreWatched()
    {
        fixture->fill(QStringLiteral("$.SERV.E"), QStringLiteral("{\"VAL\":\"x\",\"INP\":{\"MODE\":\"A\",\"AUT\":7}}"));
        DeviceConfigUtil util;
        Json::Value value = parse(QStringLiteral("{\"PATH\":\"$.SERV.MISSING\"}"));
        QString path = QStringLiteral("$.DATA.ROW[0]");
        util.resolvePathNode(value, path);
        QCOMPARE(path, QStringLiteral("$.DATA.ROW[0]"));
        QVERIFY(util.getWatchedPaths().contains("$.SERV.MISSING"));
        QCOMPARE(fixture->takeQueuedReads(), QStringList());

        value = parse(QStringLiteral("{\"PATH\":\"$.SERV.E\"}"));
        util.resolvePathNode(value, path);
        QCOMPARE(path, QStringLiteral("$.SERV.E"));
        QCOMPARE(value["VAL"].asString(), std::string("x"));
    }

    void writeLocalIndex()
    {
        fixture->fill(QStringLiteral("$.CLNT.IDX"), QStringLiteral("{\"AIN\":0}"));
        DeviceConfigUtil util;
        TableStructure table;
        table.setIdxPath(QStringLiteral("$.CLNT.IDX.AIN"));
        table.setContPath(QStringLiteral("$.DATA.AIN[($.CLNT.IDX.AIN)]"));
        util.writeLocalIndex(table, 2);
        QCOMPARE(table.getContPath(), QStringLiteral("$.DATA.AIN[2]"));
        QCOMPARE(fixture->json()->getRequestCount(), 0);   // nothing goes to the device
    }

    // Writing back a table built from the simulator's own description of the general settings: each
    // input mode's value goes in the form it is sent in (the cell type, what was entered, the value
    // sent), several cells in path order.
    void writesInTheFormOfEachInputMode()
    {
        const QString node = QStringLiteral("$.DISP.GEN.MEN");
        const Json::Value device = CommonJSONUtil(QFileInfo(QStringLiteral(__FILE__)).absolutePath()
                                                      + QStringLiteral("/../../tools/devicesim/device_tree.json"),
                                                  nullptr).getSnapshot();
        fixture->fill(node, ZZJSON::toQString(device["DISP"]["GEN"]["MEN"]));
        fixture->fill(QStringLiteral("$.SERV.LIST"), ZZJSON::toQString(device["SERV"]["LIST"]));
        DeviceConfigUtil util;
        const TableStructure table = ConfigMirrorFixture::build(util, node);
        // Saves a copy of the table with the cells of keys edited; the SET elements sent, as text.
        const auto save = [&](const QList<QPair<QString, QVariant>>& edits) {
            TableStructure edited = table;
            for (const auto& edit : edits)
                for (int row = 0; row < table.rowCount(); ++row)
                    for (int column = 0; column < table.rowAt(row).size(); ++column)
                        if (table.cellAt(row, column).getPath() == node + "." + edit.first + ".VAL") {
                            edited.getRow(row)[column].setValue(edit.second);
                            edited.getRow(row)[column].setChanged(true);
                        }
            fixture->takeQueuedReads();
            util.saveConfig(edited);
            int kind = 0;
            return ZZJSON::toQString(fixture->takeTelegram(kind)["INST"]["SET"]["VAL"]);
        };
        const auto sent = [&](const QList<QPair<QString, Json::Value>>& values) {
            Json::Value elements(Json::arrayValue);
            for (const auto& value : values)
                elements.append(parse(QStringLiteral("{\"DEST\":{\"DEV\":1,\"PATH\":\"%1.%2.VAL\",\"PROP\":\"\"},\"MODE\":0}")
                                          .arg(node, value.first)))["VAL"] = value.second;
            return ZZJSON::toQString(elements);
        };
        const struct { const char* key; int type; QVariant input; const char* sent; } rows[] = {
            {"RATE", 2, "0012", "\"0012\""},                 // a number as typed
            {"RATE", 2, "", "null"},                          // no number
            {"NAME", 3, " x ", "\"x\""},                      // text trimmed
            {"DMOD", 9, 2, "2"},                              // radio index
            {"TUNIT", 11, "K", "\"K\""},                      // combo text
            {"TOFF", 6, QTime(23, 15), "\"23:15\""},          // time in its format
            {"DATE", 7, QDate(2026, 3, 6), "\"06.03.2026\""}};   // date in its format
        for (const auto& row : rows) {
            int type = -1;
            for (int r = 0; r < table.rowCount(); ++r)
                for (const TableCell& cell : table.rowAt(r))
                    if (cell.getPath() == node + "." + row.key + ".VAL")
                        type = cell.getCellType();
            QVERIFY2(type == row.type, row.key);
            QCOMPARE(save({{row.key, row.input}}), sent({{row.key, parse(row.sent)}}));
        }
        QCOMPARE(save({{"RATE", QVariant("15")}, {"NAME", QVariant(" Halle 4 ")}, {"BEEP", QVariant(false)}}),
                 sent({{"BEEP", Json::Value(false)}, {"NAME", Json::Value("Halle 4")}, {"RATE", Json::Value("15")}}));
    }

    // Each write carries its entry's name as the table shows it (named to the user when the device
    // ends the session before it got the write): title and row, a column's heading where the table
    // shows its header, the path where nothing names it.
    void writesAreLabelledAsTheTableNamesThem()
    {
        const QString node = QStringLiteral("$.DISP.GEN.MEN");
        fixture->fill(node, QStringLiteral("{\"T\":\"Allgemein\",\"ROWS\":[\"RATE\"],\"RATE\":{\"T\":\"Messrate\","
                                           "\"VAL\":\"10\",\"INP\":{\"MODE\":\"A\",\"AUT\":7}}}"));
        DeviceConfigUtil util;
        TableStructure rows = ConfigMirrorFixture::build(util, node);
        QCOMPARE(rows.rowCount(), 1);
        for (TableCell& cell : rows.getRow(0))
            cell.setChanged(cell.getPath() == node + QStringLiteral(".RATE.VAL"));

        TableCell name;
        name.setCellType(TableCell::TEXT);
        name.setValue(QStringLiteral("Temperatur Halle"));
        TableStructure columns = tableOf({name, changedCell(QStringLiteral("$.DATA.AIN[0].LIM.LO"), "1")});
        columns.setTitle(QStringLiteral("Alarmgrenzen"));
        columns.setHeader({TableEntry(QStringLiteral("Kanal")), TableEntry(QStringLiteral("Untere Grenze"))});
        columns.setHeaderVisible(true);
        TableStructure nameless = tableOf({changedCell(QStringLiteral("$.DISP.X.VAL"), "x")});

        fixture->takeQueuedReads();
        for (const TableStructure& table : {rows, columns, nameless})
            util.saveConfig(table);
        QCOMPARE(fixture->json()->takeUnwrittenWrites().notWritten,
                 (QStringList{"Allgemein – Messrate", "Alarmgrenzen – Temperatur Halle – Untere Grenze", "$.DISP.X.VAL"}));
    }

    // A forced request beats later refreshes; of several forced ones the newest is built.
    void takeRequest()
    {
        DeviceConfigUtilWork work(nullptr);
        for (const QString& text : {"!A", "B", "!C", "D"}) {
            ConfigTableRequest request;
            request.force = text.startsWith('!') ? 1 : 0;
            request.path = text.mid(request.force);
            work.addRequest(request);
        }
        QCOMPARE(work.takeRequest(), QStringLiteral("C"));
        QCOMPARE(work.takeRequest(), QString());   // the others are dropped
    }

    void burstOfRequestsGivesAtMostTwoBuilds()
    {
        fillBigTable();
        // A small table of the same description marks the end of what the burst brought.
        fixture->fill(QStringLiteral("$.DISP.SMALL"), QStringLiteral("{\"DTAB\":{\"PATH\":\"$.DISP.BIGD\"}}"));
        // The first build is held on its build thread until the whole burst is queued:
        // however fast it runs, the burst cannot be split over two builds by chance.
        // Declared before the task, which waits for that thread when it goes.
        std::atomic<bool> burstQueued{false};
        DeviceConfigUtilTask task;
        std::atomic<int> tables{0};
        std::atomic<int> marks{0};
        connect(&task, QOverload<TableStructure&>::of(&DeviceConfigUtil::updateConfigTable), [&](TableStructure& table) {
            if (table.getPath() == QLatin1String("$.DISP.SMALL"))
                ++marks;
            else if (++tables == 1) {
                for (int waited = 0; !burstQueued && waited < 30000; ++waited)
                    QThread::msleep(1);
            }
        });

        task.getConfigTable(true, QStringLiteral("$.DISP.BIG"));
        QTRY_COMPARE_WITH_TIMEOUT(task.queuedRequests(), 0, 10000);   // the first build runs
        for (int i = 0; i < 1000; ++i)
            task.getConfigTable(i % 7 == 0, QStringLiteral("$.DISP.BIG"));
        burstQueued = true;
        QTRY_COMPARE_WITH_TIMEOUT(tables.load(), 2, 60000);
        // The second build took the one request the burst left: none is queued, and the build
        // asked for next is the next one that comes.
        QCOMPARE(task.queuedRequests(), 0);
        task.getConfigTable(true, QStringLiteral("$.DISP.SMALL"));
        QTRY_COMPARE_WITH_TIMEOUT(marks.load(), 1, 60000);
        QCOMPARE(tables.load(), 2);
    }

    // Refreshes for changes at or below a watched path; a write is confirmed by a change of it or a node holding it.
    void filter()
    {
        const int set = GlobalEnums::SET;
        const struct { const char* watched; const char* written; int type; const char* path; bool refresh; } rows[] = {
            {"$.DISP.GEN", "", set, "$.DISP.GEN.MEN.NAME.VAL", true}, {"$.DISP.GEN", "", set, "$.DATA.X", false},
            {"$.X.L[*].V", "", set, "$.X.L[3].V", true},             // an element of a watched list
            {"", "$.DATA.A[1].HI", set, "$.DATA.A", true},            // confirmed by its list
            {"", "$.DISP.E.VAL", set, "$.DISP.E.VALX", false},        // a longer member name confirms nothing
            {"$.DISP.GEN", "", GlobalEnums::DEL, "$.DISP.GEN.MEN", true}};
        for (const auto& row : rows) {
            DeviceConfigUtil util;
            util.addWatchedPath(row.watched);
            if (*row.written) {
                util.saveConfig(tableOf({changedCell(row.written, QStringLiteral("x"))}));
                QCOMPARE(fixture->answerWrites(), 1);
            }
            QSignalSpy refreshes(&util, SIGNAL(updateConfigTable()));
            QSignalSpy deletions(&util, SIGNAL(deleteConfigTable(QString)));
            ConfigMirrorFixture::notify(util, row.path, GlobalEnums::InstructionType(row.type));
            QVERIFY2(refreshes.count() == (row.refresh ? 1 : 0), row.path);
            QCOMPARE(deletions.count(), row.type == GlobalEnums::DEL ? 1 : 0);
            QCOMPARE(util.hasPendingWrites(), *row.written && !row.refresh);
        }
    }

    // Unconfirmed in time: the path is read back and the cell keeps the written value until
    // the answer; a read back left unanswered, or dropped, lets the write go.
    void unconfirmedWritesAreReadBack()
    {
        DeviceConfigUtil::setPendingWriteTimeout(300);
        const QString entry = QStringLiteral("{\"VAL\":\"x\",\"INP\":{\"MODE\":\"A\",\"AUT\":7}}");
        fixture->fill(QStringLiteral("$.DISP"), QStringLiteral("{\"T\":{\"ROWS\":[\"E\",\"F\",\"G\"],\"E\":%1,\"F\":%1,\"G\":%1}}")
                                                    .arg(entry));
        const QString e = QStringLiteral("$.DISP.T.E.VAL"), f = QStringLiteral("$.DISP.T.F.VAL"),
                      g = QStringLiteral("$.DISP.T.G.VAL");
        DeviceConfigUtil util;
        QSignalSpy refreshes(&util, SIGNAL(updateConfigTable()));
        QSignalSpy unconfirmed(&util, SIGNAL(writesNotConfirmed(QStringList)));
        QSignalSpy refused(&util, SIGNAL(writesRefused(QStringList)));
        const TableStructure builtBeforeSave = ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.T"));
        QCOMPARE(builtBeforeSave.cellAt(1, 2).getRights(), int(TableCell::EDITABLE));
        fixture->takeQueuedReads();
        util.saveConfig(tableOf({changedCell(e, QStringLiteral("a")), changedCell(f, QStringLiteral("b")),
                                 changedCell(g, QStringLiteral("c"))}));
        QCOMPARE(fixture->answerWrites(), 3);
        // Its read back is given up only after a minute: no stall lets that happen during the checks.
        DeviceConfigUtil::setPendingWriteTimeout(60000);
        ConfigMirrorFixture::notify(util, QStringLiteral("$.DISP.T.E"));
        QCOMPARE(util.getPendingWritePaths(), (QStringList{f, g}));
        fixture->takeQueuedReads();

        QTRY_COMPARE_WITH_TIMEOUT(unconfirmed.count(), 1, 10000);
        QCOMPARE(unconfirmed.first().first().toStringList(), (QStringList{f, g}));
        QCOMPARE(fixture->takeQueuedReads(), (QStringList{f, g}));
        QCOMPARE(refreshes.count(), 1);   // the confirmation only: the held cells show no older value
        QCOMPARE(util.getPendingWritePaths(), (QStringList{f, g}));
        // A table shown meanwhile, built before the save or after, shows the written values, read-only.
        TableStructure held = builtBeforeSave;
        util.holdPendingCells(held);
        QCOMPARE(held.getRows().size(), 3);
        QCOMPARE(QStringList({held.cellAt(1, 2).getValue().toString(), held.cellAt(2, 2).getValue().toString()}),
                 (QStringList{"b", "c"}));
        QCOMPARE(held.cellAt(1, 2).getRights(), int(TableCell::READ_ONLY));

        // The answer to F's read lets it go; G's read is dropped by the device link.
        ConfigMirrorFixture::notify(util, f);
        QCOMPARE(refreshes.count(), 2);
        util.noteDroppedRequests({readOf(g)}, false);
        QVERIFY(!util.hasPendingWrites());
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refreshes.count(), 3);
        held = builtBeforeSave;
        util.holdPendingCells(held);
        QCOMPARE(held.cellAt(2, 2).getValue().toString(), QStringLiteral("x"));
        QCOMPARE(held.cellAt(2, 2).getRights(), int(TableCell::EDITABLE));

        // Unanswered, the read back is given up after another time-out; the cell takes input again.
        DeviceConfigUtil::setPendingWriteTimeout(300);
        bool heldForTheRead = false;   // looked at as the read back starts, however late the checks run
        QObject looking;
        connect(&util, &DeviceConfigUtil::writesNotConfirmed, &looking,
                [&] { heldForTheRead = util.getPendingWritePaths() == QStringList{g}; });
        util.saveConfig(tableOf({changedCell(g, QStringLiteral("d"))}));
        QCOMPARE(fixture->answerWrites(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(unconfirmed.count(), 2, 10000);
        QVERIFY(heldForTheRead);
        QTRY_VERIFY_WITH_TIMEOUT(!util.hasPendingWrites(), 10000);
        QCOMPARE(refreshes.count(), 4);
        TableStructure released = ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.T"));
        util.holdPendingCells(released);
        QCOMPARE(released.cellAt(2, 2).getValue().toString(), QStringLiteral("x"));
        QCOMPARE(released.cellAt(2, 2).getRights(), int(TableCell::EDITABLE));
    }

    // A change at a written path releases only the write it answers: the value of an earlier
    // write of the path, given up or replaced before its echo came, is that write's late echo
    // (numbers compare as numbers). The device's own value lets the write go at once; so does an
    // earlier value once the write's own echo came, or in the next session.
    void aLateEchoReleasesOnlyItsOwnWrite()
    {
        const QString path = QStringLiteral("$.DISP.T.E.VAL");
        DeviceConfigUtil util;
        const auto write = [&](const char* value) {
            fixture->takeQueuedReads();   // the read back of a write given up
            util.saveConfig(tableOf({changedCell(path, QString::fromLatin1(value))}));
            QCOMPARE(fixture->answerWrites(), 1);
        };
        const auto waitsAfterEcho = [&](const char* json) {
            fixture->merge(path, QString::fromLatin1(json));
            ConfigMirrorFixture::notify(util, path);
            return util.hasPendingWrites();
        };
        DeviceConfigUtil::setPendingWriteTimeout(300);
        write("2.5");
        QTRY_VERIFY_WITH_TIMEOUT(!util.hasPendingWrites(), 10000);   // read back, then given up
        DeviceConfigUtil::setPendingWriteTimeout(60000);
        write("3");
        QVERIFY(waitsAfterEcho("2.5"));
        QVERIFY(!waitsAfterEcho("\"3\""));
        write("500");
        QVERIFY(!waitsAfterEcho("2.5"));

        write("4");
        write("5");   // before the echo of 4
        QVERIFY(waitsAfterEcho("\"4\""));
        QVERIFY(!waitsAfterEcho("7"));
        util.clearPendingWrites();   // the session ends
        write("8");
        QVERIFY(!waitsAfterEcho("\"4\""));
    }

    // A write stays pending while its request is queued, in flight or sent again, whatever comes
    // meanwhile (its echo, the end of its wait and of its read back), its cell showing the written
    // value read-only. The request's end lets it go: its answer (at once when it was confirmed or
    // given up meanwhile) or its refusal; another writer's request of the path does not.
    void aWriteWaitsForItsRequestToEnd()
    {
        const QString path = QStringLiteral("$.DISP.T.E.VAL");
        fixture->fill(QStringLiteral("$.DISP"),
                      QStringLiteral("{\"T\":{\"ROWS\":[\"E\"],\"E\":{\"VAL\":\"x\",\"INP\":{\"MODE\":\"A\",\"AUT\":7}}}}"));
        DeviceConfigUtil util;
        DeviceConfigUtil other;
        QSignalSpy refreshes(&util, SIGNAL(updateConfigTable()));
        QSignalSpy refused(&util, SIGNAL(writesRefused(QStringList)));
        const auto shown = [&util] {
            TableStructure table = ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.T"));
            util.holdPendingCells(table);
            return table.cellAt(0, 2).getValue().toString() + QLatin1Char('/') + QString::number(table.cellAt(0, 2).getRights());
        };
        const auto queued = [this] {   // the ids of the writes at the head of the queue
            int kind = 0;
            Json::Value telegram;
            QList<qint64> ids;
            fixture->json()->buildTelegram(kind, telegram, ids);
            return kind == REQUEST_CONFIG ? ids : QList<qint64>();
        };
        const QString heldA = QStringLiteral("a/%1").arg(int(TableCell::READ_ONLY));
        fixture->takeQueuedReads();

        // Confirmed while queued: held until its own answer; another writer's answer is not its.
        util.saveConfig(tableOf({changedCell(path, QStringLiteral("a"))}));
        other.saveConfig(tableOf({changedCell(path, QStringLiteral("a"))}));
        const QList<qint64> ids = queued();
        QCOMPARE(ids.size(), 2);
        fixture->merge(path, QStringLiteral("\"a\""));
        ConfigMirrorFixture::notify(util, path);
        ConfigMirrorFixture::notify(other, path);
        fixture->json()->removeRequests({ids.at(1)});
        QVERIFY(util.hasPendingWrites() && !other.hasPendingWrites());
        QCOMPARE(shown(), heldA);
        const int before = refreshes.count();
        fixture->json()->removeRequests({ids.at(0)});
        QVERIFY(!util.hasPendingWrites());
        QCOMPARE(refreshes.count(), before + 1);

        // Unanswered until its wait and its read back's are over: still held, and after its answer
        // until its read back (queued behind it) answers, or for another time-out.
        DeviceConfigUtil::setPendingWriteTimeout(300);
        QStringList afterGiveUp;
        QObject looking;
        connect(&util, &DeviceConfigUtil::writesNotConfirmed, &looking, [&] {   // the read back's time has begun
            QTimer::singleShot(500, Qt::PreciseTimer, &looking, [&] { afterGiveUp << shown(); });
        });
        const QString heldB = QStringLiteral("b/%1").arg(int(TableCell::READ_ONLY));
        for (const char* readBack : {"answered", "unanswered"}) {
            afterGiveUp.clear();
            util.saveConfig(tableOf({changedCell(path, QStringLiteral("b"))}));
            QTRY_VERIFY_WITH_TIMEOUT(!afterGiveUp.isEmpty(), 10000);
            QCOMPARE(afterGiveUp, QStringList{heldB});
            QCOMPARE(fixture->answerWrites(), 1);
            QCOMPARE(shown(), heldB);
            QCOMPARE(fixture->takeQueuedReads(), QStringList{path});
            if (readBack == std::string("answered")) {
                ConfigMirrorFixture::notify(util, path);   // the device kept "a"
                QVERIFY(!util.hasPendingWrites());
            }
            QTRY_VERIFY_WITH_TIMEOUT(!util.hasPendingWrites(), 10000);
            QCOMPARE(shown(), QStringLiteral("a/%1").arg(int(TableCell::EDITABLE)));
        }

        // Refused: let go at its refusal; another writer's refused request of the path is not its.
        DeviceConfigUtil::setPendingWriteTimeout(60000);
        util.saveConfig(tableOf({changedCell(path, QStringLiteral("c"))}));
        const QList<TelegramRequest> mine = fixture->json()->takeRequests(queued());
        QCOMPARE(mine.size(), 1);
        TelegramRequest others = mine.first();
        others.writer = &other;
        util.noteDroppedRequests({others}, false);
        QVERIFY(util.hasPendingWrites());
        util.noteDroppedRequests(mine, false);
        QVERIFY(!util.hasPendingWrites());
        QCOMPARE(refused.count(), 1);
    }

    // A write the device took and has not confirmed, written anew since and never sent, is named
    // once at the session's end, by its last write: not written.
    void aPathWrittenAnewIsNamedByItsLastWrite()
    {
        const QString path = QStringLiteral("$.DISP.T.E.VAL");
        DeviceConfigUtil::setPendingWriteTimeout(60000);
        DeviceConfigUtil util;
        fixture->takeQueuedReads();
        util.saveConfig(tableOf({changedCell(path, QStringLiteral("a"))}));
        QCOMPARE(fixture->answerWrites(), 1);
        QVERIFY(util.hasPendingWrites());
        fixture->json()->requestConfig(path, Json::Value("b"), GlobalEnums::SET, QStringLiteral("Written anew"));
        const JSONUtil::UnwrittenWrites left = fixture->json()->takeUnwrittenWrites();
        QCOMPARE(left.notWritten, QStringList{"Written anew"});
        QCOMPARE(left.notConfirmed, QStringList());
    }

    // A write told unconfirmed that the device confirms after all (by its read back or a late
    // echo) is told too, once no write told unconfirmed is left; another value confirms nothing.
    void aWriteConfirmedAfterAllIsTold()
    {
        const QString e = QStringLiteral("$.DISP.T.E.VAL");
        const QString f = QStringLiteral("$.DISP.T.F.VAL");
        DeviceConfigUtil util;
        QSignalSpy told(&util, SIGNAL(writesNotConfirmed(QStringList)));
        QSignalSpy confirmed(&util, SIGNAL(writesConfirmedAfterAll()));
        const auto echo = [this, &util](const QString& path, const char* json) {
            fixture->merge(path, QString::fromLatin1(json));
            ConfigMirrorFixture::notify(util, path);
        };
        DeviceConfigUtil::setPendingWriteTimeout(300);
        fixture->takeQueuedReads();
        util.saveConfig(tableOf({changedCell(e, QStringLiteral("1")), changedCell(f, QStringLiteral("2"))}));
        QCOMPARE(fixture->answerWrites(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(told.count(), 1, 10000);
        echo(e, "\"0\"");   // the read back: the device holds another value
        echo(e, "1.0");      // then, late, this write's (a number as a number)
        QCOMPARE(confirmed.count(), 0);   // f is still unconfirmed
        QTRY_VERIFY_WITH_TIMEOUT(!util.hasPendingWrites(), 10000);   // f's read back given up
        echo(f, "\"2\"");
        QCOMPARE(confirmed.count(), 1);
        echo(f, "\"2\"");
        QCOMPARE(confirmed.count(), 1);
    }

    // By default a write the device does not confirm is held for 5 s before it is read
    // back: not much earlier (the device may still answer), and not later (the user waits).
    // Timed by two timers of this thread, due at 4.5 s before the save and 5.5 s after it: a
    // busy machine delays them as much as the util's, and due timers fire in the order they are due.
    void unconfirmedWriteIsHeldFiveSeconds()
    {
        DeviceConfigUtil::setPendingWriteTimeout(defaultWriteTimeout);
        fixture->fill(QStringLiteral("$.DISP.E"), QStringLiteral("{\"VAL\":\"x\",\"INP\":{\"MODE\":\"A\",\"AUT\":7}}"));
        DeviceConfigUtil util;
        QStringList order;
        connect(&util, &DeviceConfigUtil::writesNotConfirmed, &util, [&order] { order << QStringLiteral("read back"); });
        QTimer::singleShot(4500, Qt::PreciseTimer, &util, [&order] { order << QStringLiteral("4.5 s"); });
        util.saveConfig(tableOf({changedCell(QStringLiteral("$.DISP.E.VAL"), QStringLiteral("a"))}));
        QTimer::singleShot(5500, Qt::PreciseTimer, &util, [&order] { order << QStringLiteral("5.5 s"); });
        QTRY_VERIFY_WITH_TIMEOUT(order.contains(QStringLiteral("5.5 s")), 60000);
        QCOMPARE(order, (QStringList{"4.5 s", "read back", "5.5 s"}));
    }

    // A change that arrives after the new table's values were read and before its watched
    // paths replace the old table's refreshes when the new table shows it.
    void changeDuringBuildRefreshes()
    {
        fixture->fill(QStringLiteral("$.DISP"),
                      QStringLiteral("{\"A\":{\"ROWS\":[\"E\"],\"E\":{\"VAL\":1}},\"B\":{\"ROWS\":[\"E\"],\"E\":{\"VAL\":2}}}"));
        for (const auto& row : {qMakePair(QStringLiteral("$.DISP.B.E.VAL"), 1), qMakePair(QStringLiteral("$.DISP.C.X"), 0)}) {
            DeviceConfigUtil util;
            ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.A"));
            QSignalSpy spy(&util, SIGNAL(updateConfigTable()));
            connect(&util, QOverload<TableStructure&>::of(&DeviceConfigUtil::updateConfigTable), [&](TableStructure&) {
                Json::Value telegram = SimulatorProcess::setTelegram(row.first, 3);
                fixture->json()->handleReceiveJSON(telegram);
            });
            util.processRequest(QStringLiteral("$.DISP.B"));
            QCOMPARE(spy.count(), row.second);
            QVERIFY(util.getWatchedPaths().contains(QStringLiteral("$.DISP.B.E")));
        }
    }

    void destroyedDuringBuildWhileNotificationsFlow()
    {
        fillBigTable();
        std::atomic<bool> done{false};
        std::atomic<int> sent{0};
        QThread* receiver = QThread::create([&] {
            int k = 0;
            while (!done) {
                Json::Value telegram = SimulatorProcess::setTelegram(QStringLiteral("$.DATA.BIG[%1].V").arg(k % BIG_ROWS), k);
                fixture->json()->handleReceiveJSON(telegram);
                ++k;
                ++sent;
            }
        });
        receiver->start();

        for (int round = 0; round < 50; ++round) {
            auto* task = new DeviceConfigUtilTask();
            task->getConfigTable(true, QStringLiteral("$.DISP.BIG"));
            QTRY_COMPARE_WITH_TIMEOUT(task->queuedRequests(), 0, 10000);
            QTest::qWait(round % 10);
            delete task;
        }

        // A util made afterwards still builds the whole table.
        DeviceConfigUtilTask task;
        std::atomic<int> rows{-1};
        connect(&task, QOverload<TableStructure&>::of(&DeviceConfigUtil::updateConfigTable),
                [&](TableStructure& table) { rows = table.rowCount(); });
        task.getConfigTable(true, QStringLiteral("$.DISP.BIG"));
        QTRY_COMPARE_WITH_TIMEOUT(rows.load(), BIG_ROWS, 60000);

        done = true;
        waitForThread(receiver);
        delete receiver;
        QVERIFY(sent > 0);
    }
};

QTEST_GUILESS_MAIN(TestDeviceConfigUtil)
#include "tst_deviceconfigutil.moc"
