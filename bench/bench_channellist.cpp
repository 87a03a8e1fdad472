// The channel list on a mirror shaped like the simulator's: its description
// ("$.DATA.CH") and its eight channels repeated to 64 ("$.DATA.MK").
//   - building the rows (the worker's build: the display-path query, a row of
//     four cells per channel) against the floor of the same query (the
//     mirror's thread-safe read: the channels are copied out under its lock)
//     and a hand-written walk over those channels reading the same texts and
//     status letters into plain strings. The walk alone, in place and without
//     the lock, is measured too, to show what the copying costs;
//   - ChannelList::setTableData of those 64 rows showing other channels than
//     before (so every cell is built anew: a text item and three measured-value
//     widgets per row) against the table benchmark's floor of one plain QLabel
//     per cell, at 64 x 4; and, for comparison, the same rows with new values
//     (the texts are updated where they are shown).
// The widgets are shown offscreen; each iteration includes the layout, the
// paint and the deletion of the previous content.

#include "Ratio.h"

#include "common/ChannelDataFlags.h"
#include "util/ChannelListUtilGetTableDataWorker.h"
#include "util/JSONUtil.h"
#include "view/ChannelList.h"
#include "view/TableObject.h"

#include "GuiApplication.h"
#include "SimulatorTree.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTableWidget>

#include <cstdio>
#include <cstdlib>

using namespace tevarobench;

namespace {

constexpr int channelCount = 64;
constexpr int columnCount = 4;

// The mirror: the description and the channels repeated to channelCount.
JSONUtil& mirror()
{
    static JSONUtil* json = nullptr;
    if (json)
        return *json;
    guiApplication();
    const Json::Value tree = simulatorTree();
    const Json::Value& own = tree["DATA"]["MK"];
    Json::Value channels(Json::arrayValue);
    for (int i = 0; i < channelCount; ++i) {
        Json::Value channel = own[Json::ArrayIndex(i) % own.size()];
        channel["IDX"] = i;
        channel["ADR"] = QStringLiteral("CH%1").arg(i + 1, 3, 10, QLatin1Char('0')).toStdString();
        channels.append(channel);
    }
    json = new JSONUtil();
    json->appendJson(tree["DATA"]["CH"], QStringLiteral("$.DATA.CH"));
    json->appendJson(channels, QStringLiteral("$.DATA.MK"));
    return *json;
}

// What ChannelListUtil hands a build for the simulator's description with the default choice.
ChannelListBuildInput buildInput()
{
    ChannelListBuildInput input;
    input.displayPath = QStringLiteral("$.DATA.MK[*]");
    input.descriptionWays = QStringList{QStringLiteral("ADR"), QStringLiteral("MV.T")};
    input.columnWays = QStringList{QStringLiteral("MV.MW"), QStringLiteral("MV.MAW"), QStringLiteral("MV.MIW")};
    input.flagWay = QStringLiteral("MV.STF");
    input.valueWay = QStringLiteral("MV.MW");
    input.maximumWay = QStringLiteral("MV.MAW");
    input.minimumWay = QStringLiteral("MV.MIW");
    return input;
}

TableStructure builtTable()
{
    return ChannelListUtilGetTableDataWorker::buildTable(&mirror(), buildInput(), [] { return false; });
}

void BM_ChannelListBuild(benchmark::State& state)
{
    JSONUtil& json = mirror();
    const ChannelListBuildInput input = buildInput();
    for (auto _ : state) {
        TableStructure table = ChannelListUtilGetTableDataWorker::buildTable(&json, input, [] { return false; });
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * channelCount);
}
BENCHMARK(BM_ChannelListBuild)->Unit(benchmark::kMicrosecond);

// The same texts read by hand: description, value, unit and status of three
// items per channel, and the channel's path.
struct PlainRow
{
    QString path;
    QString description;
    QString texts[3][2];
    int status = 0;
};

QString plainText(const Json::Value& value)
{
    if (value.isString())
        return QString::fromStdString(value.asString());
    if (value.isDouble())
        return QString::number(value.asDouble(), 'g', 6);
    return QStringLiteral("---");
}

PlainRow walkChannel(const Json::Value& channel, const QString& path)
{
    static const char* const items[] = {"MW", "MAW", "MIW"};
    const Json::Value& mv = channel["MV"];
    PlainRow row;
    row.path = path;
    row.description = QString::fromStdString(channel["ADR"].asString()) + QLatin1Char(' ')
                      + QString::fromStdString(mv["T"].asString()) + QLatin1Char(' ');
    for (int c = 0; c < 3; ++c) {
        const Json::Value& item = mv[items[c]];
        row.texts[c][0] = plainText(item["VAL"]);
        const Json::Value& dim = item["DIM"];
        row.texts[c][1] = QString::fromStdString(dim.isObject() ? dim["T"].asString() : dim.asString());
    }
    row.status = ChannelDataFlags::parseLeftFlags(mv["STF"]["VAL"]);
    return row;
}

void BM_QueryAndHandWalk(benchmark::State& state)
{
    JSONUtil& json = mirror();
    const QString displayPath = buildInput().displayPath;
    for (auto _ : state) {
        QVector<Json::Value> channels;
        QVector<QString> paths;
        json.getMasterJSONbyPath(displayPath, channels, paths, true);
        std::vector<PlainRow> rows;
        rows.reserve(channels.size());
        for (int i = 0; i < channels.size(); ++i)
            rows.push_back(walkChannel(channels.at(i), paths.at(i)));
        benchmark::DoNotOptimize(rows);
    }
    state.SetItemsProcessed(state.iterations() * channelCount);
}
BENCHMARK(BM_QueryAndHandWalk)->Unit(benchmark::kMicrosecond);

void BM_InPlaceHandWalk(benchmark::State& state)
{
    const Json::Value& channels = (*mirror().getJSON())["DATA"]["MK"];
    for (auto _ : state) {
        std::vector<PlainRow> rows;
        rows.reserve(channels.size());
        for (Json::ArrayIndex i = 0; i < channels.size(); ++i)
            rows.push_back(walkChannel(channels[i], QStringLiteral("$.DATA.MK[%1]").arg(i)));
        benchmark::DoNotOptimize(rows);
    }
    state.SetItemsProcessed(state.iterations() * channelCount);
}
BENCHMARK(BM_InPlaceHandWalk)->Unit(benchmark::kMicrosecond);

TableStructure headerTable()
{
    const QStringList items{QStringLiteral("Messwert"), QStringLiteral("Maximalwert"),
                            QStringLiteral("Minimalwert"), QStringLiteral("Mittelwert")};
    QVector<TableEntry> entries{TableEntry(QStringLiteral("Messkanal"))};
    for (int column = 1; column < columnCount; ++column) {
        TableEntry entry;
        entry.setData(items);
        entry.setValue(column - 1);
        entries.append(entry);
    }
    TableStructure header;
    header.setHeader(entries);
    header.setHeaderVisible(true);
    return header;
}

// The same rows in another order: every row shows another channel.
TableStructure rotated(const TableStructure& table)
{
    QVector<QVector<TableCell>> rows = table.getRows();
    rows.append(rows.takeFirst());
    TableStructure other = table;
    other.setRows(rows);
    return other;
}

// The same rows with new values in the first value column, as live values bring them.
TableStructure withNewValues(const TableStructure& table, int round)
{
    TableStructure other = table;
    for (int r = 0; r < other.rowCount(); ++r) {
        TableCell& cell = other.getRow(r)[1];
        const QVector<QString> texts{QString::number(r + round * 0.01, 'g', 6), QStringLiteral("°C")};
        cell.setValue(QVariant::fromValue(texts));
    }
    return other;
}

// Showing rows of other channels: every cell is built anew.
void BM_ChannelListShow(benchmark::State& state)
{
    guiApplication();
    TableStructure tables[2] = {builtTable(), rotated(builtTable())};
    TableStructure header = headerTable();
    ChannelList list;
    list.resize(screenWidth, screenHeight);
    list.show();
    list.setTableHeader(header);
    settleEvents();
    int round = 0;
    for (auto _ : state) {
        list.setTableData(tables[++round % 2]);
        settleEvents();
    }
    if (list.tableObject()->rowCount() != channelCount)
        state.SkipWithError("the channel list shows another number of rows");
    state.SetItemsProcessed(state.iterations() * channelCount * columnCount);
}
BENCHMARK(BM_ChannelListShow)->Unit(benchmark::kMillisecond);

// The same channels with a new value each: the texts change where they are shown.
void BM_ChannelListLiveValues(benchmark::State& state)
{
    guiApplication();
    TableStructure tables[2] = {withNewValues(builtTable(), 1), withNewValues(builtTable(), 2)};
    TableStructure header = headerTable();
    ChannelList list;
    list.resize(screenWidth, screenHeight);
    list.show();
    list.setTableHeader(header);
    list.setTableData(tables[0]);
    settleEvents();
    int round = 0;
    for (auto _ : state) {
        list.setTableData(tables[++round % 2]);
        settleEvents();
    }
    state.SetItemsProcessed(state.iterations() * channelCount);
}
BENCHMARK(BM_ChannelListLiveValues)->Unit(benchmark::kMillisecond);

// A cell's text as the floor shows it: value and unit of a measured value.
QString shownText(const TableCell& cell)
{
    const QVariant value = cell.getValue();
    if (value.userType() == qMetaTypeId<QVector<QString>>())
        return QStringList(value.value<QVector<QString>>().toList()).join(QLatin1Char(' '));
    return value.toString();
}

// The table benchmark's floor at 64 x 4: one plain QLabel per cell.
void BM_PlainQLabelTableFloor(benchmark::State& state)
{
    guiApplication();
    const TableStructure table = builtTable();
    QTableWidget widget;
    showPlainTable(widget, columnCount);
    for (auto _ : state) {
        renewRows(widget, channelCount);
        for (int r = 0; r < channelCount; ++r) {
            const QVector<TableCell>& cells = table.rowAt(r);
            for (int c = 0; c < cells.size(); ++c)
                widget.setCellWidget(r, c, new QLabel(shownText(cells.at(c))));
        }
        settleEvents();
    }
    state.SetItemsProcessed(state.iterations() * channelCount * columnCount);
}
BENCHMARK(BM_PlainQLabelTableFloor)->Unit(benchmark::kMillisecond);

} // namespace

// Both copy the channels out of the mirror; the build then follows the
// description's ways and makes table cells, the walk reads fixed members.
TEVARO_BENCH_RATIO("BM_ChannelListBuild", "BM_QueryAndHandWalk", 2.0);
// Each value cell is a container with a measured-value widget (value, unit
// and a status overlay of its own); the floor makes one label per cell.
TEVARO_BENCH_RATIO("BM_ChannelListShow", "BM_PlainQLabelTableFloor", 6.0);
