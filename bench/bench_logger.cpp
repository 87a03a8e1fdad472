// The logger screen and the stored-measurement lists on the simulator's tree
// with a memory table ($.MEM.MTAB) of many recordings, 8 channels each:
//   - the memory-status refresh (LoggerUtil::updateMemoryTable) with 5,000
//     recordings in the memory, against reading the eleven watched values
//     with getMasterJSONbyPath into a copy of the worker's template;
//   - the reload of 2,000 recordings for the delete list (list mode 1,
//     HistMeasureListUtil::getHistMeasures), against one locked copy of the
//     memory table and a plain loop filling the same Measure records;
//   - showing those 2,000 records in the delete list (setHistMeasure on the
//     real widget, offscreen, with the deletion of the previous rows),
//     against a plain QTableWidget with the same texts and one QPushButton
//     per row;
//   - select all and none, with the repaint that follows, on 2,000 rows
//     against the same on 200 rows.

#include "Ratio.h"

#include "common/CharacteristicLine.h"
#include "common/Measure.h"
#include "common/TableStructure.h"
#include "util/HistMeasureListUtil.h"
#include "util/JSONUtil.h"
#include "util/LoggerUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"
#include "view/HistMeasureList.h"
#include "widgets/ZCheckButton.h"

#include "GuiApplication.h"
#include "OfflineClient.h"
#include "SimulatorTree.h"

#include <benchmark/benchmark.h>

#include <QPushButton>
#include <QTableWidget>

#include <map>
#include <memory>
#include <string>

using namespace tevarobench;

namespace {

constexpr int refreshRecordings = 5000;
constexpr int listRecordings = 2000;
constexpr int fewRows = 200;
constexpr int channelsPerRecording = 8;

const char* const memoryTablePath = "$.MEM.MTAB";
const char* const timeFormat = "dd.MM.yyyy HH.mm.ss";   // the list's own
const char* const units[] = {("\xC2\xB0" "C"), "%rF", "hPa", "V"};

// The worker's eleven watched values (see LoggerUtil.cpp).
const char* const watchedPaths[] = {"$.SERV.STAT.MEAS.FILE", "$.SERV.STAT.MEAS.STAT", "$.MEM.TRE.DIM",
                                    "$.MEM.TRE.VAL", "$.MEM.SF.DIM", "$.MEM.SF.VAL", "$.MEM.SFP.VAL",
                                    "$.MEM.SFP.DIM", "$.MEM.SG.DIM", "$.MEM.SG.VAL", "$.MEM.RING"};

// Recordings shaped like the simulator's, one hour apart, with their channels.
Json::Value recordings(int count)
{
    Json::Value table(Json::arrayValue);
    const Json::Int64 first = 1709288100000LL;
    for (int i = 0; i < count; ++i) {
        Json::Value recording(Json::objectValue);
        const Json::Int64 start = first + Json::Int64(i) * Json::Int64(3600000);
        recording["ID"] = 100 + i;
        recording["FILE"] = QStringLiteral("Messung_%1").arg(100 + i, 5, 10, QLatin1Char('0')).toStdString();
        recording["STAT"] = start;
        recording["STOT"] = Json::Int64(start + 1800000LL);
        recording["SIZE"]["VAL"] = 0.25 + (i % 40) * 0.05;
        recording["SIZE"]["DIM"]["T"] = "MB";
        Json::Value& addresses = recording["ADR"];
        Json::Value& dimensions = recording["DIM"];
        Json::Value& designations = recording["KB"];
        for (int k = 0; k < channelsPerRecording; ++k) {
            addresses.append(QStringLiteral("CH%1").arg(k + 1, 2, 10, QLatin1Char('0')).toStdString());
            dimensions.append(units[k % 4]);
            designations.append("Kanal " + std::to_string(k + 1) + " Halle " + std::to_string(i % 7));
        }
        table.append(recording);
    }
    return table;
}

// One client without a session, logged in with the right on the memory
// table, whose mirror holds the simulator's tree; the memory table is
// replaced by as many recordings as a benchmark wants.
struct LoggerBench
{
    LoggerBench()
    {
        app = offlineClient(true);
        const Json::Value tree = simulatorTree();
        appendTree(json(), tree);
    }

    JSONUtil* json() { return app->getJSONUtil(); }

    void useRecordings(int count)
    {
        if (count == recordingCount)
            return;
        json()->appendJson(recordings(count), QString::fromLatin1(memoryTablePath));
        recordingCount = count;
    }

    std::unique_ptr<TevaroApp> app;
    int recordingCount = -1;
};

LoggerBench& bench()
{
    static LoggerBench instance;
    return instance;
}

// ------------------------------------------------------ memory-status table

void BM_LoggerMemoryRefresh(benchmark::State& state)
{
    bench().useRecordings(refreshRecordings);
    LoggerUtil util;
    int filled = 0;
    QString remaining;
    QObject::connect(&util, QOverload<TableStructure>::of(&LoggerUtil::updateLogger), [&](TableStructure table) {
        ++filled;
        remaining = LoggerUtil::getCell(table, 6, LoggerUtil::VALUE_COLUMN).getValue().toString();
    });
    for (auto _ : state)
        util.updateMemoryTable();
    if (filled != int(state.iterations()) || !remaining.startsWith(QStringLiteral("01:02:03")))
        state.SkipWithError("the memory table was not filled from the mirror");
}
BENCHMARK(BM_LoggerMemoryRefresh)->Unit(benchmark::kMicrosecond);

QString plainText(const Json::Value& value)
{
    if (value.isString())
        return QString::fromStdString(value.asString());
    if (value.isNumeric())
        return QString::number(value.asDouble(), 'g', 16);
    return QString();
}

void BM_LoggerMemoryReadFloor(benchmark::State& state)
{
    bench().useRecordings(refreshRecordings);
    JSONUtil* json = bench().json();
    const LoggerUtil util;
    // Row and column of each watched value's text in the template.
    const int rows[] = {3, 4, 6, 6, 2, 2, 0, 0, 1, 1, 0};
    const int columns[] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0};
    QVector<QString> paths;
    for (const char* path : watchedPaths)
        paths.append(QString::fromLatin1(path));
    for (auto _ : state) {
        TableStructure table = util.getMemoryTemplate();
        for (int i = 0; i < paths.size(); ++i) {
            Json::Value value;
            json->getMasterJSONbyPath(paths.at(i), value, true);
            LoggerUtil::setCellValue(table, rows[i], columns[i], plainText(value.isObject() ? value["VAL"] : value));
        }
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_LoggerMemoryReadFloor)->Unit(benchmark::kMicrosecond);

// ------------------------------------------------------ reload of the list

// The records the delete list is given, read once by the worker.
const QVector<Measure>& listRecords()
{
    static const QVector<Measure> records = [] {
        bench().useRecordings(listRecordings);
        HistMeasureListUtil util(HistMeasureList::DELETE_RECORDINGS);
        QVector<Measure> read;
        QObject::connect(&util, QOverload<QVector<Measure>, bool>::of(&HistMeasureListUtil::updateHistMeasure),
                         [&](QVector<Measure> measures, bool) { read = measures; });
        util.getHistMeasures();
        return read;
    }();
    return records;
}

void BM_HistMeasureReload(benchmark::State& state)
{
    bench().useRecordings(listRecordings);
    HistMeasureListUtil util(HistMeasureList::DELETE_RECORDINGS);
    int rows = 0;
    int channels = 0;
    bool editable = false;
    QObject::connect(&util, QOverload<QVector<Measure>, bool>::of(&HistMeasureListUtil::updateHistMeasure),
                     [&](QVector<Measure> measures, bool canEdit) {
                         rows = measures.size();
                         channels = measures.isEmpty() ? 0 : measures.constLast().getChannels().size();
                         editable = canEdit;
                     });
    for (auto _ : state)
        util.getHistMeasures();
    if (rows != listRecordings || channels != channelsPerRecording || !editable)
        state.SkipWithError("the worker did not read the editable memory table");
    state.SetItemsProcessed(state.iterations() * listRecordings);
}
BENCHMARK(BM_HistMeasureReload)->Unit(benchmark::kMillisecond);

QString textAt(const Json::Value& list, Json::ArrayIndex k)
{
    return QString::fromStdString(list[k].asString());
}

void BM_HistMeasureReadFloor(benchmark::State& state)
{
    bench().useRecordings(listRecordings);
    JSONUtil* json = bench().json();
    const QString path = QString::fromLatin1(memoryTablePath);
    int rows = 0;
    for (auto _ : state) {
        QVector<Json::Value> found;
        json->getMasterJSONbyPath(path, found, false);
        const Json::Value& table = found.first();
        QVector<Measure> records;
        for (const Json::Value& element : table) {
            const QString name = QString::fromStdString(element["FILE"].asString());
            const int id = element["ID"].asInt();
            const Json::Value& size = element["SIZE"];
            Measure measure(name, id, element["STAT"].asInt64(), element["STOT"].asInt64(), size["VAL"].asDouble(),
                            QString::fromStdString(size["DIM"]["T"].asString()));
            const Json::Value& addresses = element["ADR"];
            const Json::Value& dimensions = element["DIM"];
            const Json::Value& designations = element["KB"];
            for (Json::ArrayIndex k = 0; k < addresses.size(); ++k)
                measure.addChannel(CharacteristicLine(name, textAt(addresses, k), textAt(dimensions, k),
                                                      textAt(designations, k), id, 2, -1));
            records.append(measure);
        }
        rows = records.size();
        benchmark::DoNotOptimize(records);
    }
    if (rows != listRecordings)
        state.SkipWithError("the memory table was not read");
    state.SetItemsProcessed(state.iterations() * listRecordings);
}
BENCHMARK(BM_HistMeasureReadFloor)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ shown list

// A delete list shown offscreen at the screen's size.
std::unique_ptr<HistMeasureList> shownDeleteList()
{
    bench();   // the application first
    std::unique_ptr<HistMeasureList> list(new HistMeasureList(HistMeasureList::DELETE_RECORDINGS));
    list->resize(screenWidth, screenHeight);
    list->show();
    settleEvents();
    return list;
}

QTableWidget* tableOf(HistMeasureList& list)
{
    return list.findChild<QTableWidget*>(QStringLiteral("tblHistMeasureList"));
}

void BM_HistMeasureListFill(benchmark::State& state)
{
    const QVector<Measure>& records = listRecords();
    std::unique_ptr<HistMeasureList> list = shownDeleteList();
    for (auto _ : state) {
        list->setHistMeasure(records, true);
        settleEvents();   // paints, and deletes the previous rows' buttons
    }
    QTableWidget* table = tableOf(*list);
    if (!table || table->rowCount() != listRecordings || !table->cellWidget(listRecordings - 1, 3))
        state.SkipWithError("the list does not show the records");
    state.SetItemsProcessed(state.iterations() * records.size());
}
BENCHMARK(BM_HistMeasureListFill)->Unit(benchmark::kMillisecond);

void BM_PlainTableFill(benchmark::State& state)
{
    const QVector<Measure>& records = listRecords();
    const QString format = QString::fromLatin1(timeFormat);
    const QString separator = QStringLiteral("-");
    QTableWidget table;
    showPlainTable(table, 4);
    for (auto _ : state) {
        table.setRowCount(0);
        table.setUpdatesEnabled(false);
        table.setRowCount(records.size());
        for (int row = 0; row < records.size(); ++row) {
            const Measure& record = records.at(row);
            table.setItem(row, 0, new QTableWidgetItem(record.getName()));
            table.setItem(row, 1, new QTableWidgetItem(record.getPeriodText(format, separator)));
            table.setItem(row, 2, new QTableWidgetItem(record.getSizeText()));
            table.setCellWidget(row, 3, new QPushButton());
        }
        table.setUpdatesEnabled(true);
        settleEvents();
    }
    state.SetItemsProcessed(state.iterations() * records.size());
}
BENCHMARK(BM_PlainTableFill)->Unit(benchmark::kMillisecond);

// -------------------------------------------------------------- select all

// Delete lists showing the first rows of the records, one per row count.
HistMeasureList& listOfRows(int rows)
{
    static std::map<int, std::unique_ptr<HistMeasureList>> lists;
    std::unique_ptr<HistMeasureList>& list = lists[rows];
    if (!list) {
        list = shownDeleteList();
        list->setHistMeasure(listRecords().mid(0, rows), true);
        settleEvents();
    }
    return *list;
}

int checkedRows(HistMeasureList& list)
{
    int checked = 0;
    for (const ZCheckButton* button : tableOf(list)->viewport()->findChildren<ZCheckButton*>())
        checked += button->getButtonCheckState() == ZCheckButton::Checked ? 1 : 0;
    return checked;
}

void BM_HistMeasureSelectAll(benchmark::State& state)
{
    const int rows = int(state.range(0));
    HistMeasureList& list = listOfRows(rows);
    list.selectAll(true);
    const int allChecked = checkedRows(list);
    list.selectAll(false);
    if (allChecked != rows || checkedRows(list) != 0) {
        state.SkipWithError("select all did not reach every row");
        return;
    }
    for (auto _ : state) {
        list.selectAll(true);
        list.selectAll(false);
        settleEvents();
    }
    state.SetItemsProcessed(state.iterations() * rows * 2);
}
BENCHMARK(BM_HistMeasureSelectAll)->Arg(fewRows)->Arg(listRecordings)->Unit(benchmark::kMicrosecond);

} // namespace

// The refresh makes its texts (units, date, duration, the name's input cell)
// from the same eleven reads.
TEVARO_BENCH_RATIO("BM_LoggerMemoryRefresh", "BM_LoggerMemoryReadFloor", 2.0);
// The worker checks every element's shape; the copy of the table dominates.
TEVARO_BENCH_RATIO("BM_HistMeasureReload", "BM_HistMeasureReadFloor", 1.5);
// A check button per row instead of a plain push button.
TEVARO_BENCH_RATIO("BM_HistMeasureListFill", "BM_PlainTableFill", 1.5);
// Ten times the rows: ten times the work, with room for the fixed part.
TEVARO_BENCH_RATIO("BM_HistMeasureSelectAll/2000", "BM_HistMeasureSelectAll/200", 15.0);
