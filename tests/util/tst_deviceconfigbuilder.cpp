// The configuration table builder against a mirror filled by hand: the row
// layout of ROWS tables, hidden and linked entries, selection and data
// tables with their row counts and write-back paths, the reads the builder
// asks the device for (each once) and malformed descriptions.
#include "../common/LogCapture.h"
#include "ConfigMirrorFixture.h"

#include <QImage>
#include <QtTest>

class TestDeviceConfigBuilder : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;

    QStringList reads() { return fixture->takeQueuedReads(); }

    // A ROWS node at $.DISP.N holding the one entry E.
    TableStructure buildEntry(DeviceConfigUtil& util, const QString& entry)
    {
        fixture->fill(QStringLiteral("$.DISP.N"), QStringLiteral("{\"T\":\"Node\",\"ROWS\":[\"E\"],\"E\":%1}").arg(entry));
        return ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.N"));
    }

    // A table node at $.DISP.N of the kind ("STAB" or "DTAB") whose description is $.DISP.D.
    TableStructure buildColumns(DeviceConfigUtil& util, const char* kind, const QString& description,
                                bool* emitted = nullptr)
    {
        fixture->fill(QStringLiteral("$.DISP.N"), QStringLiteral("{\"%1\":{\"PATH\":\"$.DISP.D\"}}").arg(kind));
        fixture->fill(QStringLiteral("$.DISP.D"), description);
        return ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.N"), emitted);
    }

    // The texts (or write paths) of one column, top to bottom.
    static QStringList columnTexts(const TableStructure& table, int column, bool paths = false)
    {
        QStringList texts;
        for (int r = 0; r < table.rowCount(); ++r)
            texts << (paths ? table.cellAt(r, column).getPath() : table.cellAt(r, column).getValue().toString());
        return texts;
    }

private slots:
    void initTestCase() { fixture.reset(new ConfigMirrorFixture()); }
    void cleanupTestCase() { fixture.reset(); }

    void init()
    {
        fixture->reset();
        fixture->login();
    }

    // The four cells of a ROWS entry: types, column spans, write paths and texts.
    void rowLayout()
    {
        const auto check = [this](const QString& entry, const QVector<int>& types, const QVector<int>& spans,
                                  const QStringList& paths, const QStringList& texts) {
            DeviceConfigUtil util;
            const QVector<TableCell> row = buildEntry(util, entry).rowAt(0);
            for (int c = 0; c < 4; ++c) {
                QCOMPARE(int(row[c].getCellType()), types[c]);
                QCOMPARE(row[c].getColumnSpan(), spans[c]);
                QCOMPARE(row[c].getPath(), paths[c]);
                if (types[c] == int(TableCell::ICON))   // a known icon number carries its picture
                    QVERIFY(!row[c].getValue().value<QImage>().isNull());
                else
                    QCOMPARE(row[c].getValue().toString(), texts[c]);
            }
        };
        const QString e = QStringLiteral("$.DISP.N.E");
        check("{\"T\":\"Rate\",\"ICON\":9901,\"VAL\":10,\"DIM\":\"s\",\"INP\":{\"MODE\":\"Z\",\"AUT\":7}}", {4, 0, 2, 0},
              {1, 1, 1, 1}, {e + ".ICON", e + ".T", e + ".VAL", e + ".DIM"}, {"", "Rate", "10", "s"});
        // A link opens the sub-node.
        check("{\"T\":\"Allgemein\",\"INP\":{\"MODE\":\"M\",\"AUT\":65543},\"MEN\":{\"ROWS\":[]}}", {0, 18, 8, 18},
              {2, 1, 2, 1}, {e + ".T", "", e + ".VAL", ""}, {"Allgemein", "", e + ".MEN", ""});
        // A value linked elsewhere makes no text input.
        check("{\"T\":\"Name\",\"VAL\":{\"PATH\":\"$.SERV.NAME\"},\"INP\":{\"MODE\":\"A\",\"AUT\":7}}", {0, 18, 18, 18},
              {2, 1, 2, 1}, {e + ".T", "", "", ""}, {"Name", "", "", ""});
    }

    // Unknown icons give no picture. "HIDD": null shows the entry; booleans and numbers by their
    // value (a fraction by its whole part); anything else hides it.
    void unknownIconsAndHiddenEntries()
    {
        DeviceConfigUtil util;
        const TableStructure without = buildEntry(util, QStringLiteral("{\"T\":\"A\",\"ICON\":\"x\"}"));
        QCOMPARE(without.cellAt(0, 0).getValue().userType(), int(QMetaType::QString));
        const QVector<std::pair<const char*, bool>> cases{
            {"null", true}, {"0.5", true}, {"1", false}, {"\"no\"", false}};
        for (const auto& hidden : cases) {
            DeviceConfigUtil util;
            const TableStructure table =
                buildEntry(util, QStringLiteral("{\"T\":\"x\",\"HIDD\":%1}").arg(hidden.first));
            QVERIFY2(table.rowCount() == (hidden.second ? 1 : 0), hidden.first);
            QCOMPARE(util.getWatchedPaths().contains(QStringLiteral("$.DISP.N.E")), hidden.second);
        }
    }

    // Linked entries the device has not given whole in this session are read: one that is
    // missing, and one that is there but came as a change, so may be only a part.
    void linkedAndMissingEntries()
    {
        fixture->fill(QStringLiteral("$.SERV.INFO.FW"),
                      QStringLiteral("{\"T\":\"Firmware\",\"ID\":20070,\"VAL\":\"2.4.1\"}"));
        fixture->merge(QStringLiteral("$.SERV.INFO.HW"),
                       QStringLiteral("{\"T\":\"Hardware\",\"ID\":20071,\"VAL\":\"B\"}"));
        fixture->fill(QStringLiteral("$.DISP.N"),
                      QStringLiteral("{\"ROWS\":[\"FW\",\"HW\",\"GONE\",\"NONE\"],\"FW\":{\"PATH\":\"$.SERV.INFO.FW\"},"
                                     "\"HW\":{\"PATH\":\"$.SERV.INFO.HW\"},\"GONE\":{\"PATH\":\"$.SERV.INFO.GONE\"}}"));
        DeviceConfigUtil util;
        const TableStructure table = ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.N"));

        QCOMPARE(table.rowCount(), 4);
        QCOMPARE(table.cellAt(0, 2).getValue().toString(), QStringLiteral("2.4.1"));
        QCOMPARE(columnTexts(table, 0).mid(2) + columnTexts(table, 2).mid(2), QStringList({"", "", "", ""}));
        QVERIFY(util.getWatchedPaths().contains(QStringLiteral("$.SERV.INFO.GONE")));
        QCOMPARE(reads(), QStringList({"$.SERV.INFO.HW", "$.SERV.INFO.GONE"}));

        ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.N"));
        QCOMPARE(reads(), QStringList());

        util.resetRequestedReads();
        ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.N"));
        QCOMPARE(reads(), QStringList({"$.SERV.INFO.HW", "$.SERV.INFO.GONE"}));
    }

    // A node the device gave whole but that holds no table is not asked for again, nor a missing
    // one read once, until a change above it came; a missing description is read and watched.
    void nodesWithoutATableAreReadOnce()
    {
        const QStringList self{"$.DISP.N"};
        const struct { const char* node; bool emitted; QStringList read, watched; } rows[] = {
            {"", false, self, self},
            {"{\"T\":\"x\",\"ROWS\":\"GEN\"}", true, {}, self},
            {"{\"STAB\":{\"PATH\":\"$.DISP.NOWHERE\"}}", true, {"$.DISP.NOWHERE"}, {"$.DISP.N", "$.DISP.NOWHERE"}}};
        for (const auto& row : rows) {
            fixture->reset();
            if (*row.node)
                fixture->fill(QStringLiteral("$.DISP.N"), row.node);
            DeviceConfigUtil util;
            for (int round = 0; round < 2; ++round) {
                bool got = false;
                const TableStructure table = ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.N"), &got);
                QCOMPARE(got, row.emitted);
                if (got)   // an emitted table names the node it was asked for
                    QCOMPARE(table.getPath(), QStringLiteral("$.DISP.N"));
                QCOMPARE(table.rowCount(), 0);
                QCOMPARE(reads(), round == 0 ? row.read : QStringList());
            }
            QCOMPARE(util.getWatchedPaths(), row.watched);
            ConfigMirrorFixture::notify(util, QStringLiteral("$.DISP"));
            ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.N"));
            QCOMPARE(reads(), row.read);
        }
    }

    // The list came in parts, as changes, never read whole.
    void selectionTableFollowsItsRowCount()
    {
        fixture->merge(QStringLiteral("$.DATA"),
                       QStringLiteral("{\"AIN\":[{\"NR\":1,\"KB\":\"a\",\"CFG\":{\"T\":\"x\"}},{\"NR\":2,\"KB\":\"b\",\"CFG\":{\"T\":\"y\"}},"
                                      "{\"NR\":3,\"CFG\":{}}]}"));
        const QString description = QStringLiteral(
            "{\"T\":\"Analog\",\"AUT\":3,\"IDX\":{\"PATH\":\"$.CLNT.IDX.AIN\"},\"CONT\":{\"PATH\":\"$.DATA.AIN[($.CLNT.IDX.AIN)]\"},"
            "\"RCNT\":{\"PATH\":\"$.DATA.AINCNT\"},\"TH\":[{\"T\":\"Nr.\"},{\"T\":\"Name\"},{\"T\":\"\"}],"
            "\"TD\":[{\"PATH\":\"$.DATA.AIN[*].NR\"},{\"PATH\":\"$.DATA.AIN[*].KB\"},"
            "{\"PATH\":\"$.DATA.AIN[*].CFG\",\"INP\":{\"MODE\":\"M\",\"AUT\":65543}}]}");
        DeviceConfigUtil util;
        LogCapture log;

        TableStructure table = buildColumns(util, "STAB", description);
        QCOMPARE(table.rowCount(), 0);   // no count yet: no column is filled
        QVERIFY(util.getWatchedPaths().contains(QStringLiteral("$.DATA.AINCNT")));
        // The count is missing; the entries of the link column may be parts.
        QCOMPARE(reads(), QStringList({"$.DATA.AINCNT", "$.DATA.AIN[*].CFG"}));

        fixture->fill(QStringLiteral("$.DATA.AINCNT"), QStringLiteral("3"));
        table = buildColumns(util, "STAB", description);
        QCOMPARE(columnTexts(table, 0), QStringList({"1", "2", "3"}));
        // Two names for three rows: the column stays empty and is read again, once.
        QCOMPARE(int(table.cellAt(0, 1).getCellType()), int(TableCell::NONE));
        QCOMPARE(reads(), QStringList{"$.DATA.AIN[*].KB"});
        QCOMPARE(table.cellAt(1, 2).getValue().toString(), QStringLiteral("$.DATA.AIN[1].CFG"));

        ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.N"));
        QCOMPARE(reads(), QStringList());
        QCOMPARE(log.matching(QStringLiteral("Reload column")).size(), 1);
    }

    // Data tables: as long as their longest column, cells writing where their value is, and
    // empty lists not read again.
    void dataTables()
    {
        fixture->fill(QStringLiteral("$.SERV.E"), QStringLiteral("{\"VAL\":\"y\",\"INP\":{\"MODE\":\"A\",\"AUT\":7}}"));
        fixture->merge(QStringLiteral("$.DATA"),
                       QStringLiteral("{\"A\":[{\"X\":0},{\"X\":1},{\"X\":2},{\"X\":3},{\"X\":4}],"
                                      "\"B\":[{\"Y\":\"a\"},{\"Y\":\"b\"},{\"Y\":\"c\"},{\"Y\":\"d\"},{\"Y\":\"e\"},{\"Y\":\"f\"},{\"Y\":\"g\"}],"
                                      "\"EVT\":[],\"CNT\":0,"
                                      "\"E\":[{\"V\":{\"VAL\":\"x\",\"INP\":{\"MODE\":\"A\",\"AUT\":7}}},"
                                      "{\"V\":{\"PATH\":\"$.SERV.E\"}},{\"V\":[1]},{\"V\":{\"T\":\"label\"}}]}"));
        DeviceConfigUtil util;
        TableStructure table = buildColumns(util, "DTAB",
            QStringLiteral("{\"T\":\"Daten\",\"TH\":[{\"T\":\"X\"},{\"T\":\"Y\"}],\"TD\":[{\"PATH\":\"$.DATA.A[*].X\"},"
                           "{\"PATH\":\"$.DATA.B[*].Y\"}]}"));
        QCOMPARE(columnTexts(table, 1), QStringList({"a", "b", "c", "d", "e", "f", "g"}));
        QCOMPARE(reads(), QStringList());

        table = buildColumns(util, "DTAB", QStringLiteral("{\"TH\":[{\"T\":\"V\"}],\"TD\":[{\"PATH\":\"$.DATA.E[*].V\"}]}"));
        QCOMPARE(columnTexts(table, 0), QStringList({"x", "y", "No valid path! $.DATA.E[2].V", "label"}));
        QCOMPARE(columnTexts(table, 0, true).mid(0, 2), QStringList({"$.DATA.E[0].V.VAL", "$.SERV.E.VAL"}));
        QCOMPARE(table.cellAt(3, 0).getRights(), int(TableCell::NO_RIGHTS_INFO));
        QVERIFY(util.getWatchedPaths().contains(QStringLiteral("$.SERV.E")));
        reads();

        for (const char* kind : {"DTAB", "STAB"}) {
            table = buildColumns(util, kind,
                QStringLiteral("{\"RCNT\":{\"PATH\":\"$.DATA.CNT\"},\"TH\":[{\"T\":\"T\"},{\"T\":\"U\"}],"
                               "\"TD\":[{\"PATH\":\"$.DATA.EVT[*].T\"},{\"PATH\":\"$.DATA.NOEVT[*].U\"}]}"));
            QCOMPARE(table.rowCount(), 0);
            QVERIFY(util.getWatchedPaths().contains(QStringLiteral("$.DATA.EVT[")));
        }
        QCOMPARE(reads(), QStringList{"$.DATA.NOEVT[*].U"});
    }

    // A column past the header is skipped; row counts out of range and a TD that is no list give no rows.
    void malformedColumnTables()
    {
        fixture->fill(QStringLiteral("$.DATA"),
                      QStringLiteral("{\"L\":[{\"A\":1,\"B\":2},{\"A\":3,\"B\":4},{\"A\":5,\"B\":6}],\"CNEG\":-1,\"CBIG\":20000}"));
        const QString th = QStringLiteral("\"TH\":[{\"T\":\"A\"}]");
        const QString td = QStringLiteral("\"TD\":[{\"PATH\":\"$.DATA.L[*].A\"},{\"PATH\":\"$.DATA.L[*].B\"}]");
        const QString rcnt = QStringLiteral("\"RCNT\":{\"PATH\":\"$.DATA.C%1\"}");
        const QList<QPair<QString, int>> rows{{"{\"AUT\":4294967296," + th + "," + td + "}", 3},
                                              {"{" + rcnt.arg("NEG") + "," + th + "," + td + "}", 0},
                                              {"{" + rcnt.arg("BIG") + "," + th + "," + td + "}", 0},
                                              {"{" + th + ",\"TD\":{\"PATH\":\"$.DATA.L[*].A\"}}", 0}};
        for (const auto& row : rows) {
            DeviceConfigUtil util;
            bool emitted = false;
            const TableStructure table = buildColumns(util, row.first.contains("RCNT") ? "STAB" : "DTAB", row.first, &emitted);
            QVERIFY(emitted);
            QCOMPARE(table.rowCount(), row.second);
            QCOMPARE(table.getAut(), 0);   // a level beyond int counts as none
            for (int r = 0; r < table.rowCount(); ++r)
                QCOMPARE(table.rowAt(r).size(), table.getHeader().size());
            QCOMPARE(reads(), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestDeviceConfigBuilder)
#include "tst_deviceconfigbuilder.moc"
