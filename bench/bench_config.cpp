// The device-configuration worker on a small device-shaped mirror with two
// configuration tables added:
//   - a data table of 500 rows x 4 columns (text, number with limits, check,
//     link), built by processRequest, against the floor of one snapshot, one
//     query per column and one plain text cell per value;
//   - a settings list of 500 mixed entries (icons, units, limits, options),
//     against reading each entry's members from a copy of the node into four
//     plain cells;
//   - a batch of 200 change notifications through the change filter of both
//     tables' workers, with 10 writes pending, against applying the same 200
//     SET elements to a mirror.

#include "Ratio.h"
#include "SyntheticMirror.h"

#include "common/CommonJSONUtil.h"
#include "json/JSONObject.h"
#include "util/DeviceConfigUtil.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"

#include "GuiApplication.h"
#include "OfflineClient.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <memory>
#include <string>
#include <vector>

using namespace tevarobench;

namespace {

constexpr int rowCount = 500;
const char* const dataTable = "$.DISP.DT";
const char* const rowsTable = "$.DISP.RW";
const char* const columnPaths[] = {"$.DATA.ROW[*].NAME", "$.DATA.ROW[*].VAL", "$.DATA.ROW[*].ON",
                                   "$.DATA.ROW[*].CFG"};

Json::Value parse(const std::string& text)
{
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

Json::Value dataRows()
{
    Json::Value rows(Json::arrayValue);
    for (int i = 0; i < rowCount; ++i) {
        Json::Value row;
        row["NAME"] = "Kanal " + std::to_string(i);
        row["VAL"] = i * 0.5;
        row["ON"] = i % 2 == 0;
        row["CFG"] = parse("{\"T\":\"Kanal\",\"ROWS\":[\"A\"],\"A\":{\"VAL\":1}}");
        rows.append(row);
    }
    return rows;
}

Json::Value dataTableDescription()
{
    return parse(R"({"T":"Kanaele","TH":[{"T":"Name"},{"T":"Wert"},{"T":"Aktiv"},{"T":""}],"TD":[
        {"PATH":"$.DATA.ROW[*].NAME"},
        {"PATH":"$.DATA.ROW[*].VAL","INP":{"MODE":"Z","AUT":7,"MIN":0,"MAX":1000,"DG":5,"DP":1}},
        {"PATH":"$.DATA.ROW[*].ON","INP":{"MODE":"YC","AUT":7}},
        {"PATH":"$.DATA.ROW[*].CFG","INP":{"MODE":"M","AUT":65543}}]})");
}

// Four kinds of entry in turn: a number with icon, unit and limits (one in
// ten with its maximum elsewhere), a list by index, a text with icon, a list by text.
Json::Value rowsNode()
{
    Json::Value node = parse(R"({"T":"Einstellungen","ID":20001,"AUT":0})");
    Json::Value& keys = node["ROWS"];
    for (int i = 0; i < rowCount; ++i) {
        const std::string key = "E" + std::to_string(i);
        keys.append(key);
        Json::Value entry;
        entry["T"] = "Eintrag " + std::to_string(i);
        entry["ID"] = 21000 + i;
        switch (i % 4) {
        case 0:
            entry["ICON"] = 1;
            entry["VAL"] = i;
            entry["DIM"] = "s";
            entry["INP"] = parse(i % 10 == 0
                                     ? R"({"MODE":"Z","AUT":7,"MIN":1,"MAX":{"PATH":"$.SERV.LIM.RMAX"},"DG":4,"DP":0})"
                                     : R"({"MODE":"Z","AUT":7,"MIN":1,"MAX":3600,"DG":4,"DP":0})");
            break;
        case 1:
            entry["VAL"] = 1;
            entry["INP"] = parse(R"({"MODE":"TI","AUT":7,"TAB":["Deutsch","English","Francais","Cestina"]})");
            break;
        case 2:
            entry["ICON"] = 5;
            entry["VAL"] = "Halle " + std::to_string(i);
            entry["INP"] = parse(R"({"MODE":"A","AUT":7,"REGX":"^.{1,20}$"})");
            break;
        default:
            entry["VAL"] = "K";
            entry["DIM"] = parse(R"({"T":"Einheit","ID":20199})");
            entry["INP"] = parse(R"({"MODE":"TT","AUT":7,"TAB":["°C","°F","K"]})");
            break;
        }
        node[key] = entry;
    }
    return node;
}

// One client without a session, with the administrator's rights and both
// tables in its mirror, made once.
struct ConfigBench
{
    ConfigBench()
    {
        app = offlineClient(true);

        JSONUtil* json = app->getJSONUtil();
        const Json::Value& base = mirror(MirrorSize::Small);
        appendTree(json, base);
        json->appendJson(dataRows(), QStringLiteral("$.DATA.ROW"));
        json->appendJson(parse(R"({"LIM":{"RMAX":3600}})"), QStringLiteral("$.SERV"));
        json->appendJson(parse(R"({"DTAB":{"PATH":"$.DISP.DTD"}})"), dataTable);
        json->appendJson(dataTableDescription(), QStringLiteral("$.DISP.DTD"));
        json->appendJson(rowsNode(), rowsTable);
    }

    JSONUtil* json() { return app->getJSONUtil(); }

    std::unique_ptr<TevaroApp> app;
};

ConfigBench& bench()
{
    static ConfigBench instance;
    return instance;
}

QString textOf(const Json::Value& value)
{
    if (value.isString())
        return QString::fromStdString(value.asString());
    if (value.isNumeric() || value.isBool())
        return QString::fromStdString(value.asString());
    return QString();
}

TableCell plainCell(const Json::Value& value)
{
    TableCell cell;
    cell.setCellType(TableCell::TEXT);
    cell.setValue(textOf(value));
    return cell;
}

// Builds one configuration table per iteration through DeviceConfigUtil;
// cellsPerRow counts the items processed.
void runConfigTable(benchmark::State& state, const char* request, const char* failure, int cellsPerRow)
{
    bench();
    DeviceConfigUtil util;
    int rows = 0;
    QObject::connect(&util, QOverload<TableStructure&>::of(&DeviceConfigUtil::updateConfigTable),
                     [&](TableStructure& table) { rows = table.rowCount(); });
    for (auto _ : state)
        util.processRequest(request);
    if (rows != rowCount)
        state.SkipWithError(failure);
    state.SetItemsProcessed(state.iterations() * rowCount * cellsPerRow);
}

void BM_ConfigDataTable(benchmark::State& state)
{
    runConfigTable(state, dataTable, "the data table was not built", 4);
}
BENCHMARK(BM_ConfigDataTable)->Unit(benchmark::kMillisecond);

void BM_ConfigDataTableFloor(benchmark::State& state)
{
    JSONUtil* json = bench().json();
    for (auto _ : state) {
        Json::Value tree = json->getSnapshot();
        auto* document = new KORVALIS::JSON::JSONObject();
        document->swapJSON(tree);
        CommonJSONUtil copy(document, nullptr);
        QVector<QVector<TableCell>> rows(rowCount, QVector<TableCell>(4));
        for (int c = 0; c < 4; ++c) {
            QVector<Json::Value> values;
            QVector<QString> paths;
            copy.getJSONbyPath(QString::fromLatin1(columnPaths[c]), values, paths);
            for (int r = 0; r < values.size() && r < rowCount; ++r)
                rows[r][c] = plainCell(values[r]);
        }
        TableStructure table;
        table.setRows(rows);
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * rowCount * 4);
}
BENCHMARK(BM_ConfigDataTableFloor)->Unit(benchmark::kMillisecond);

void BM_ConfigRowsTable(benchmark::State& state)
{
    runConfigTable(state, rowsTable, "the settings list was not built", 1);
}
BENCHMARK(BM_ConfigRowsTable)->Unit(benchmark::kMillisecond);

void BM_ConfigRowsTableFloor(benchmark::State& state)
{
    JSONUtil* json = bench().json();
    for (auto _ : state) {
        Json::Value node;
        json->getMasterJSONbyPath(rowsTable, node, false);
        QVector<QVector<TableCell>> rows;
        rows.reserve(rowCount);
        for (const Json::Value& key : node["ROWS"]) {
            const Json::Value& entry = node[key.asString()];
            rows.append({plainCell(entry["ICON"]), plainCell(entry["T"]), plainCell(entry["VAL"]),
                         plainCell(entry["DIM"])});
        }
        TableStructure table;
        table.setRows(rows);
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * rowCount);
}
BENCHMARK(BM_ConfigRowsTableFloor)->Unit(benchmark::kMillisecond);

// 100 changes in the data table, 50 in the settings list, 50 elsewhere.
QStringList notificationPaths()
{
    QStringList paths;
    for (int i = 0; i < 100; ++i)
        paths << QStringLiteral("$.DATA.ROW[%1].VAL").arg(i * 5);
    for (int i = 0; i < 50; ++i)
        paths << QStringLiteral("$.DISP.RW.E%1.VAL").arg(i * 7);
    for (int i = 0; i < 50; ++i)
        paths << QStringLiteral("$.DATA.CH[%1].MVTB[%2].MW").arg(i % 4).arg(i % 13);
    return paths;
}

void BM_ConfigChangeFilter(benchmark::State& state)
{
    bench();
    DeviceConfigUtil dataUtil;
    DeviceConfigUtil rowsUtil;
    dataUtil.processRequest(dataTable);
    rowsUtil.processRequest(rowsTable);
    // Ten writes of the settings list wait for their confirmation.
    TableStructure edited;
    QVector<TableCell> cells;
    for (int i = 0; i < 10; ++i) {
        TableCell cell;
        cell.setCellType(TableCell::TEXT_EDIT);
        cell.setRights(TableCell::EDITABLE);
        cell.setChanged(true);
        cell.setPath(QStringLiteral("$.DISP.RW.E%1.VAL").arg(490 + i));
        cell.setValue(QStringLiteral("x"));
        cells << cell;
    }
    edited.setRows({cells});
    rowsUtil.saveConfig(edited);
    bench().json()->clearRequests();

    const QStringList paths = notificationPaths();
    for (auto _ : state) {
        for (DeviceConfigUtil* util : {&dataUtil, &rowsUtil}) {
            util->beforeJsonTelegramm();
            for (const QString& path : paths)
                util->jsonTelegramm(GlobalEnums::SET, path);
            util->afterJsonTelegramm();
        }
    }
    if (rowsUtil.getPendingWritePaths().size() != 10 || rowsUtil.getWatchedPaths().size() < rowCount)
        state.SkipWithError("the filter did not see the tables' state");
    state.SetItemsProcessed(state.iterations() * paths.size());
}
BENCHMARK(BM_ConfigChangeFilter)->Unit(benchmark::kMicrosecond);

void BM_ConfigApplySetFloor(benchmark::State& state)
{
    KORVALIS::JSON::JSONObject document(bench().json()->getSnapshot());
    Json::Value telegram;
    int k = 0;
    for (const QString& path : notificationPaths()) {
        Json::Value element;
        element["DEST"]["PATH"] = path.toStdString();
        element["VAL"] = ++k;
        telegram["INST"]["SET"]["VAL"].append(element);
    }
    for (auto _ : state) {
        std::vector<KORVALIS::JSON::TelegramResult> results;
        document.applyTelegram(telegram, document.getJSON(), &results);
        benchmark::DoNotOptimize(results);
    }
    state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_ConfigApplySetFloor)->Unit(benchmark::kMicrosecond);

} // namespace

// The builder makes typed cells with rights, limits and options, and looks
// up link targets and limit paths; a few times the floor is expected.
TEVARO_BENCH_RATIO("BM_ConfigDataTable", "BM_ConfigDataTableFloor", 4.0);
TEVARO_BENCH_RATIO("BM_ConfigRowsTable", "BM_ConfigRowsTableFloor", 4.0);
// The filter runs in the receive thread for every applied element, so it
// must cost less than applying the element.
TEVARO_BENCH_RATIO("BM_ConfigChangeFilter", "BM_ConfigApplySetFloor", 1.0);
