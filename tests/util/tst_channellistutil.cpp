// The channel list's worker: channel rows and the status each value column
// keeps, the description read from a mirror, a refused display path, the
// change filter, the refresh-cycle setting and the build protocol.
#include "../common/LogCapture.h"
#include "ConfigMirrorFixture.h"

#include "util/ChannelListUtil.h"
#include "util/ChannelListUtilGetTableDataWorker.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QString DESCRIPTION = QStringLiteral(
    "{'DISP':{'PATH':'$.DATA.MK[*]'},'UPD':{'PATH':'$.DATA.MK'},'DESC':[{'WAY':'ADR'},{'WAY':'MV.T'}],"
    " 'MVTB':{'ITEM':['MW','MAW','MIW','MTW'],'MW':{'T':'Messwert','WAY':'MV.MW'},"
    "         'MAW':{'T':'Maximalwert','WAY':'MV.MAW'},'MIW':{'T':'Minimalwert','WAY':'MV.MIW'},"
    "         'MTW':{'T':'Mittelwert','WAY':'MV.MTW'}}," " 'FL':{'WAY':'MV.STF'}}");

ChannelListBuildInput inputFor(const QStringList& columnWays)
{
    ChannelListBuildInput input;
    input.displayPath = QStringLiteral("$.DATA.MK[*]");
    input.descriptionWays = QStringList{QStringLiteral("ADR"), QStringLiteral("MV.T")};
    input.columnWays = columnWays;
    input.flagWay = QStringLiteral("MV.STF");
    input.valueWay = QStringLiteral("MV.MW");
    input.maximumWay = QStringLiteral("MV.MAW");
    input.minimumWay = QStringLiteral("MV.MIW");
    return input;
}

// A cell as "text", "value|unit|status bits", or "-" for an empty default cell.
QString describe(const TableCell& cell)
{
    if (cell.getCellType() == TableCell::TEXT)
        return cell.getValue().toString();
    if (cell.getCellType() == TableCell::MEASURE) {
        const QVector<QString> texts = cell.getValue().value<QVector<QString>>();
        return QStringList(texts.toList()).join(QLatin1Char('|')) + QLatin1Char('|')
               + QString::number(cell.getData().toInt(), 16);
    }
    return cell.getValue().toString().isEmpty() ? QStringLiteral("-") : QStringLiteral("?");
}

} // namespace

class TestChannelListUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;

    void fill(const QString& path, const QString& text) { fixture->json()->appendJson(parseQuoted(text), path); }

private slots:
    void initTestCase() { fixture.reset(new ConfigMirrorFixture()); }
    void init() { fixture->reset(); }

    // A row per channel: its description and, per value column, "value|unit|status bits" with the marks that column keeps.
    void rows()
    {
        const auto check = [this](const QString& channel, const QStringList& columnWays, const QStringList& shown) {
            const ChannelListUtilRows builder(inputFor(columnWays), fixture->json());
            QVector<TableCell> row;
            QCOMPARE(builder.buildRow(parseQuoted(channel), QStringLiteral("$.DATA.MK[4]"), row), !shown.isEmpty());
            QStringList described;
            for (const TableCell& cell : row) {
                described << describe(cell);
                if (cell.getCellType() == TableCell::TEXT || cell.getCellType() == TableCell::MEASURE)
                    QCOMPARE(cell.getPath(), QStringLiteral("$.DATA.MK[4]"));
            }
            QCOMPARE(described, shown);
        };
        const QStringList maxMin{"MV.MW", "MV.MAW", "MV.MIW"};
        check("{'ADR':'M01','MV':{'T':'Kessel','MW':{'VAL':'21.53','DIM':'°C'},'MAW':{'VAL':'25.10','DIM':'°C'},"
              " 'MIW':{'VAL':'18.02','DIM':'°C'},'STF':{'VAL':['O','h','l','Z',5]}}}",
              maxMin, {"M01 Kessel ", "21.53|°C|1", "25.10|°C|1000", "18.02|°C|2000"});
        check("{'ADR':'M03','MV':{'MW':{'VAL':1234567},'MAW':{'VAL':0.000012345},'MIW':{'VAL':25.0}}}", maxMin,
              {"M03 ", "1.23457e+06||0", "1.2345e-05||0", "25||0"});
        check("{'ADR':7,'MV':{'T':'Außen','MW':{'VAL':true,'DIM':5},'MAW':{'VAL':{'x':1}},'MIW':{},'STF':{'VAL':'h'}}}",
              maxMin, {"Außen ", "---||0", "---||0", "---||0"});   // mistyped members
        check("{'ADR':'M04','MV':{'MW':'12.5','STF':7}}", {"MV.MW", "MV.XX", ""}, {"M04 ", "-", "-", "-"});
        check("null", maxMin, {});
    }

    void descriptionKeepsWhatTheDeviceDoesNotReplace()
    {
        fill(QStringLiteral("$.DATA.CH"), DESCRIPTION);
        ChannelListUtil util;
        util.readChannelDescription();
        const QStringList ways{"MV.MW", "MV.MAW", "MV.MIW", "MV.MTW"};
        QCOMPARE(util.getItemWays(), ways);
        const ChannelListBuildInput read = util.buildInput();

        // A mistyped description, or mistyped parts of it, change nothing.
        fixture->reset();
        fill(QStringLiteral("$.DATA.CH"), QStringLiteral("5"));
        util.readChannelDescription();
        fixture->reset();
        fill(QStringLiteral("$.DATA.CH"), QStringLiteral("{'DISP':3,'DESC':{},'MVTB':{'ITEM':'MW'}}"));
        util.readChannelDescription();
        QCOMPARE(util.getItemWays(), ways);
        QCOMPARE(util.buildInput().displayPath, read.displayPath);

        // A new item list replaces the old one; entries without an object are skipped.
        fixture->reset();
        fill(QStringLiteral("$.DATA.CH"), DESCRIPTION);
        fill(QStringLiteral("$.DATA.CH.MVTB.ITEM"), QStringLiteral("['MAW', 3, 'XX', 'MW']"));
        util.readChannelDescription();
        QCOMPARE(util.getItemNames(), QStringList({"Maximalwert", "Messwert"}));
    }

    // The description and the channels that another screen's reads left in part are read whole, once.
    void partlyHeldNodesAreReadOnce()
    {
        fill(QStringLiteral("$.DATA.CH"), DESCRIPTION);
        fill(QStringLiteral("$.DATA.MK"), QStringLiteral("[{'ADR':'M01'},{'ADR':'M02'}]"));
        fixture->acceptRead(QStringLiteral("$.DATA.MK[*].ADR"));
        ChannelListUtil util;
        QSignalSpy tables(&util, SIGNAL(updateTableData(TableStructure&)));
        for (int build = 1; build <= 2; ++build) {
            util.readChannelDescription();
            util.requestTableData();
            QTRY_COMPARE(tables.size(), build);
        }
        QCOMPARE(fixture->takeQueuedReads(), QStringList({"$.DATA.CH", "$.DATA.CH.MVTB.MW", "$.DATA.CH.MVTB.MAW",
                                                          "$.DATA.CH.MVTB.MIW", "$.DATA.MK[*]"}));
    }

    void refusedDisplayPathIsReportedOnce()
    {
        fill(QStringLiteral("$.DATA.CH"), DESCRIPTION);
        fill(QStringLiteral("$.DATA.CH.DISP.PATH"), QStringLiteral("'$.DATA.MK[(@.ADR)]'"));
        fill(QStringLiteral("$.DATA.MK"), QStringLiteral("[{'ADR':'M01'}]"));
        ChannelListUtil util;
        QSignalSpy tables(&util, SIGNAL(updateTableData(TableStructure&)));
        LogCapture log;
        const auto build = [&](int count) {
            util.readChannelDescription();
            util.requestTableData();
            QTRY_COMPARE(tables.size(), count);
            QCOMPARE(util.getTable().rowCount(), 0);
        };
        build(1);
        build(2);
        QCOMPARE(log.matching(QStringLiteral("display path is refused")).size(), 1);
    }

    void changeFilter()
    {
        const int set = GlobalEnums::SET;
        const struct { const char* updatePath; int type; const char* path; int dataSignals, headerSignals; } rows[] = {
                    {"$.DATA.MK", set, "$.DATA.CH", 1, 1},                  // the description
                    {"$.DATA.MK", set, "$.DATA.CH.MVTB", 0, 0},             // inside the description
                    {"$.DATA.MK", GlobalEnums::DEL, "$.MEM.RING", 1, 0},    // a deletion anywhere
                    {"$.DATA.MK[*].MV", set, "$.DATA.MK", 1, 0},            // channels arrive above the update path
                    {"$.DATA.MK[*].MV", set, "$.DATA.MK[2].ADR", 0, 0}};    // beside the update path
        for (const auto& row : rows) {
            fixture->reset();
            fill(QStringLiteral("$.DATA.CH"), DESCRIPTION);
            fixture->json()->appendJson(Json::Value(row.updatePath), QStringLiteral("$.DATA.CH.UPD.PATH"));
            ChannelListUtil util;
            util.readChannelDescription();
            QSignalSpy data(&util, SIGNAL(updateTableData()));
            QSignalSpy header(&util, SIGNAL(updateTableHeader()));
            ConfigMirrorFixture::notify(util, row.path, GlobalEnums::InstructionType(row.type));
            QVERIFY2(data.size() == row.dataSignals && header.size() == row.headerSignals, row.path);
        }
    }

    // Whole numbers from the least cycle on; anything else warns and keeps a default.
    void cycleTime()
    {
        const struct { const char* setting; int cycle; bool warned; } rows[] = {{"", 200, false}, {" 1000 ", 1000, false}, {"12.5", 200, true}, {"10", 50, true}, {"50", 50, false}};
        for (const auto& row : rows) {
            LogCapture log;
            QCOMPARE(ChannelListUtil::cycleTimeFromSetting(row.setting), row.cycle);
            QCOMPARE(!log.matching(QStringLiteral("Config/Channellist/CycleTime")).isEmpty(), row.warned);
        }
    }

    void requestDuringBuildIsBuiltAfterIt()
    {
        fill(QStringLiteral("$.DATA.MK"), QStringLiteral("[{'ADR':'M01','MV':{'MW':{'VAL':'1'},'MTW':{'VAL':'2'}}}]"));
        ChannelListUtilGetTableDataWorker worker(fixture->json());
        QSignalSpy built(&worker, &ChannelListUtilGetTableDataWorker::tableBuilt);
        QVERIFY(worker.takeRequest(inputFor({"MV.MW", "", ""})));
        // Two requests while it works: the newest is built once, right after.
        QVERIFY(!worker.takeRequest(inputFor({"MV.MIW", "", ""})));
        QVERIFY(!worker.takeRequest(inputFor({"MV.MTW", "", ""})));
        worker.doWork();
        QCOMPARE(built.size(), 2);
        QCOMPARE(describe(built.at(1).first().value<TableStructure>().cellAt(0, 1)), QStringLiteral("2||0"));

        // An aborted build publishes nothing, not even the request it kept.
        QVERIFY(worker.takeRequest(inputFor({"MV.MW", "", ""})));
        QVERIFY(!worker.takeRequest(inputFor({"MV.MTW", "", ""})));
        worker.abort();
        worker.doWork();
        QCOMPARE(built.size(), 2);
        QVERIFY(worker.takeRequest(inputFor({"MV.MW", "", ""})));
    }
};

QTEST_MAIN(TestChannelListUtil)
#include "tst_channellistutil.moc"
