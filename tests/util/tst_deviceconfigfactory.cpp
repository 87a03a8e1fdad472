// The configuration cell factory against a mirror filled by hand: every
// input mode, limits and their "PATH" targets, rights, "PATH" chains that
// loop, and the local index of a selection table.
#include "../common/LogCapture.h"
#include "ConfigMirrorFixture.h"

#include <QDateTime>
#include <QtTest>

namespace {

const QString entryPath = QStringLiteral("$.DISP.T.E");

} // namespace

class TestDeviceConfigFactory : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;

private slots:
    void initTestCase() { fixture.reset(new ConfigMirrorFixture()); }
    void cleanupTestCase() { fixture.reset(); }

    void init()
    {
        fixture->reset();
        fixture->login();
        fixture->fill(QStringLiteral("$.SERV.LIST"), QStringLiteral("{\"DMOD\":[\"a\",\"b\"]}"));
    }

    void modes_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("data");
        QTest::addColumn<int>("rights");

        const QString inp = QStringLiteral("{\"VAL\":%1,\"INP\":{\"MODE\":\"%2\",\"AUT\":7%3}}");
        auto entry = [&](const char* value, const char* mode, const char* more = "") {
            return inp.arg(QString::fromUtf8(value), QString::fromUtf8(mode), QString::fromUtf8(more));
        };
        // Defaults: no value, no data, editable for the role.
        const auto row = [](const char* name, const QString& entry, int type, const QVariant& value = QString(""),
                            const QVariant& data = QString(""), int rights = 2) {
            QTest::newRow(name) << entry << type << value << data << rights;
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

    void modes()
    {
        QFETCH(QString, entry);
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(QVariant, data);
        QFETCH(int, rights);

        fixture->fill(entryPath, entry);
        DeviceConfigUtil util;
        TableCell cell;
        util.setInputCell(parse(entry), entryPath, cell);

        QCOMPARE(int(cell.getCellType()), type);
        QCOMPARE(cell.getValue(), value);
        QCOMPARE(cell.getData(), data);
        QCOMPARE(cell.getRights(), rights);
        QCOMPARE(cell.getPath(), type == 18 ? QString() : entryPath + ".VAL");
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

    void rights_data()
    {
        QTest::addColumn<qint64>("role");
        QTest::addColumn<qint64>("deactivated");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<int>("rights");

        const QString number = "{\"VAL\":5,\"INP\":{\"MODE\":\"Z\",\"AUT\":%1}}";
        const QString link = "{\"INP\":{\"MODE\":\"M\",\"AUT\":65543}}";
        QTest::newRow("may change") << qint64(1) << qint64(256) << number.arg(7) << false << 2;
        QTest::newRow("mask not a number") << qint64(1) << qint64(256) << number.arg("\"7\"") << false << 1;
        QTest::newRow("deactivated for role 3") << qint64(4) << qint64(1024) << number.arg(1031) << false << 3;
        QTest::newRow("no deactivation mask") << qint64(4) << qint64(0) << number.arg(1031) << false << 2;
        QTest::newRow("read only while a write is pending") << qint64(1) << qint64(256) << number.arg(7) << true << 1;
        QTest::newRow("links stay usable while a write is pending") << qint64(1) << qint64(256) << link << true << 2;
    }

    void rights()
    {
        QFETCH(qint64, role);
        QFETCH(qint64, deactivated);
        QFETCH(QString, entry);
        QFETCH(bool, pending);
        QFETCH(int, rights);

        fixture->login(role, deactivated);
        fixture->fill(entryPath, entry);
        DeviceConfigUtil util;
        if (pending) {
            TableCell edited;
            edited.setCellType(TableCell::TEXT_EDIT);
            edited.setRights(TableCell::EDITABLE);
            edited.setChanged(true);
            edited.setPath(QStringLiteral("$.DISP.OTHER.VAL"));
            edited.setValue(QStringLiteral("x"));
            TableStructure table;
            table.setRows({{edited}});
            util.saveConfig(table);
            QVERIFY(util.hasPendingWrites());
        }
        TableCell cell;
        util.setInputCell(parse(entry), entryPath, cell);
        QCOMPARE(cell.getRights(), rights);
    }

    void pathChainsEnd_data()
    {
        QTest::addColumn<QString>("links");
        QTest::addColumn<QString>("warning");

        // Each member of $.L points at the next one.
        QString chain;
        for (int i = 0; i < 20; ++i)
            chain += QStringLiteral("\"P%1\":{\"PATH\":\"$.L.P%2\"},").arg(i).arg(i + 1);
        chain += QStringLiteral("\"P20\":{\"VAL\":\"end\"}");
        QTest::newRow("loop") << "{\"P0\":{\"PATH\":\"$.L.P1\"},\"P1\":{\"PATH\":\"$.L.P0\"}}"
                              << "stop at a repeated path or after 16 links: $.L.P0";
        QTest::newRow("too long") << "{" + chain + "}" << "stop at a repeated path or after 16 links: $.L.P16";
    }

    void pathChainsEnd()
    {
        QFETCH(QString, links);
        QFETCH(QString, warning);

        fixture->fill(QStringLiteral("$.L"), links);
        DeviceConfigUtil util;
        LogCapture log;
        Json::Value value = parse(QStringLiteral("{\"PATH\":\"$.L.P0\"}"));
        QString path = QStringLiteral("$.START");
        util.resolvePathNode(value, path);
        QVERIFY(value.isObject() && value.isMember("PATH"));
        QVERIFY2(log.matching(warning).size() == 1, qPrintable(log.all()));

        QStringList options;
        util.readOptionList(parse(QStringLiteral("{\"PATH\":\"$.L.P0\"}")), options);
        QVERIFY(options.isEmpty());

        fixture->fill(QStringLiteral("$.O"), QStringLiteral("{\"A\":[\"a\",{\"PATH\":\"$.O.B\"}],\"B\":[\"b\",{\"PATH\":\"$.O.A\"}]}"));
        util.readOptionList(parse(QStringLiteral("{\"PATH\":\"$.O.A\"}")), options);
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
};

QTEST_GUILESS_MAIN(TestDeviceConfigFactory)
#include "tst_deviceconfigfactory.moc"
