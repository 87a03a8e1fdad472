// The measured-value display on 64 channels shaped like the simulator's
// (value, extremes, status letters, function flags, range, compensations,
// two functions with a setting):
//   - one refresh of the shown channel after the device changed it (a new
//     value every time, a new maximum every fourth time, another status
//     every eighth): MeasureDisplayUtil::buildChannelData and the screen's
//     update (value, unit, status, flags, compensation table, channel box),
//     against the floor of reading the channel's node and setting value,
//     unit and status on a value widget of the same kind;
//   - the same refresh with the channel's functions (the function dialog is
//     open) against without;
//   - for information, a switch to the next channel (every text and the
//     table's rows change), with no target.
// Every iteration paints (offscreen) before the next one; the change of the
// mirror before it is not timed.

#include "Ratio.h"

#include "common/ChannelDataFlags.h"
#include "util/JSONUtil.h"
#include "util/MeasureDisplayUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"
#include "view/MeasureDisplay.h"
#include "widgets/ZMeasureDisplayWidget.h"

#include "GuiApplication.h"
#include "OfflineClient.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QEvent>

#include <cstdio>
#include <memory>
#include <string>

using namespace tevarobench;

namespace {

constexpr int channelCount = 64;

Json::Value parse(const std::string& text)
{
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

// A value as the device's text of five characters ("20.00", "107.7"), with a
// decimal point whatever locale the benchmark runs under.
Json::Value valueText(double value)
{
    return QByteArray::number(value, 'f', 6).left(5).toStdString();
}

Json::Value description()
{
    return parse(R"({
      "DISP": {"PATH": "$.DATA.MK[*]"}, "UPD": {"PATH": "$.DATA.MK"},
      "DESC": [{"WAY": "ADR"}, {"WAY": "MV.T"}],
      "MVTB": {"ITEM": ["MW", "MAW", "MIW", "MTW"],
               "MW": {"T": "Messwert", "ID": 220, "WAY": "MV.MW"}, "MAW": {"T": "Maximalwert", "ID": 221, "WAY": "MV.MAW"},
               "MIW": {"T": "Minimalwert", "ID": 222, "WAY": "MV.MIW"}, "MTW": {"T": "Mittelwert", "ID": 223, "WAY": "MV.MTW"}},
      "FL": {"WAY": "MV.STF"}, "BE": {"WAY": "MV.BE"}, "FR": {"WAY": "MV.FR"},
      "COMP": [{"WAY": "MV.CJ"}, {"WAY": "MV.CT"}, {"WAY": "MV.CP"}],
      "MADJ": {"ITEM": ["CLMX", "TARA"], "CLMX": {"WAY": "FCT.CLMX", "ADD": []},
               "TARA": {"WAY": "FCT.TARA", "ADD": [{"WAY": "FCT.TARA.OFFS"}]}},
      "CLNT": [{"WAY": "IDX", "PATH": "$.CLNT.CH"}]})");
}

// Channel i in the simulator's shapes: string and number values, an object
// unit now and then, the status and flag variations, CJ, CT and CTP.
Json::Value channel(int i)
{
    static const char* const status[] = {"[]", R"(["H","h"])", R"(["L","l"])", R"(["O","h"])", R"(["U"])",
                                         R"(["X"])", R"(["I"])", R"(["-"])"};
    static const char* const flags[] = {R"({"CJ":true,"DAMP":true})", R"({"CT":true,"AFA":true})",
                                        R"({"AFMI":true})", R"({"CTP":true,"KORR":true})", R"({"MT":true})"};
    Json::Value node = parse(R"({
      "MV": {"MW": {"T": "Messwert", "ID": 220, "DIM": "°C"}, "MAW": {"T": "Max", "ID": 221, "DIM": "°C"},
             "MIW": {"T": "Min", "ID": 222, "DIM": "°C"}, "MTW": {"T": "Mittel", "ID": 223, "VAL": 21.0, "DIM": {"T": "°C"}},
             "BE": "-200.0 ... 850.0 °C",
             "CJ": {"T": "Vergleichsstelle", "VAL": "23.4", "DIM": "°C"},
             "CT": {"T": "Temperaturkompensation", "VAL": "20.0", "DIM": "°C"},
             "CP": {"T": "Druckkompensation", "VAL": "1013", "DIM": "mbar"}},
      "FCT": {"CLMX": {"T": "Max/Min löschen", "ID": 20140, "VAL": 0, "INP": {"MODE": "Z", "AUT": 65543, "MIN": 0, "MAX": 1}},
              "TARA": {"T": "Nullsetzen", "ID": 20141, "VAL": 0, "INP": {"MODE": "Z", "AUT": 3, "MIN": 0, "MAX": 1},
                       "OFFS": {"T": "Offset", "VAL": "0.00", "DIM": "°C",
                                "INP": {"MODE": "Z", "AUT": 3, "MIN": -100, "MAX": 100, "DG": 8, "DP": 2}}}}})");
    char address[8];
    std::snprintf(address, sizeof address, "CH%02d", i + 1);
    node["IDX"] = i;
    node["ADR"] = address;
    node["MV"]["T"] = "Kanal " + std::to_string(i + 1);
    const double value = 20.0 + i * 1.37;
    if (i % 3 == 0) {
        node["MV"]["MW"]["VAL"] = value;   // a number now and then
    } else {
        node["MV"]["MW"]["VAL"] = valueText(value);
    }
    node["MV"]["MAW"]["VAL"] = valueText(value + 3.1);
    node["MV"]["MIW"]["VAL"] = valueText(value - 2.9);
    if (i % 5 == 4)
        node["MV"]["MW"]["DIM"] = parse(R"({"T":"Pa","ID":20301})");
    node["MV"]["STF"]["VAL"] = parse(status[i % 8]);
    node["MV"]["FR"] = parse(flags[i % 5]);
    return node;
}

// A client without a session, with the administrator's rights, the 64
// channels in its mirror and the display shown with its channel list built.
struct DisplayBench
{
    DisplayBench()
    {
        app = offlineClient(true);

        JSONUtil* json = app->getJSONUtil();
        json->appendJson(description(), QStringLiteral("$.DATA.CH"));
        Json::Value channels(Json::arrayValue);
        for (int i = 0; i < channelCount; ++i)
            channels.append(channel(i));
        json->appendJson(channels, QStringLiteral("$.DATA.MK"));

        display.reset(new MeasureDisplay(nullptr));
        display->resize(screenWidth, screenHeight);
        display->show();
        MeasureDisplayUtil* util = display->getUtil();
        util->readChannelDescription();
        util->requestChannelList();
        QElapsedTimer clock;
        clock.start();
        // The list is built, and the timers of the first show have run.
        while (util->isWorking() || clock.elapsed() < 500)
            settleEvents();
        paths = util->getChannelPaths();
        floorWidget.reset(new ZMeasureDisplayWidget());
        floorWidget->resize(800, 140);
        floorWidget->show();
        settleEvents();
    }

    std::unique_ptr<TevaroApp> app;
    std::unique_ptr<MeasureDisplay> display;
    std::unique_ptr<ZMeasureDisplayWidget> floorWidget;
    QVector<QString> paths;
};

DisplayBench& bench()
{
    static DisplayBench instance;
    return instance;
}

// The device's change before refresh number i of the shown channel.
void changeChannel(JSONUtil* json, const QString& path, int i)
{
    json->appendJson(valueText(20.0 + (i % 997) * 0.01), path + ".MV.MW.VAL");
    if (i % 4 == 0)
        json->appendJson(valueText(30.0 + (i % 89) * 0.1), path + ".MV.MAW.VAL");
    if (i % 8 == 0)
        json->appendJson(parse(i % 16 == 0 ? R"(["H","h"])" : "[]"), path + ".MV.STF.VAL");
}

// Calls show(path) once per iteration; liveChanges: the device changes the
// first channel before each call, else each call shows the next channel.
template <typename Show>
void run(benchmark::State& state, bool liveChanges, Show show)
{
    DisplayBench& setup = bench();
    if (setup.paths.size() != channelCount) {
        state.SkipWithError("the channel list was not built");
        return;
    }
    JSONUtil* json = setup.app->getJSONUtil();
    int i = 0;
    for (auto _ : state) {
        QString path = setup.paths.at(i % channelCount);
        if (liveChanges) {
            path = setup.paths.first();
            state.PauseTiming();
            changeChannel(json, path, i);
            state.ResumeTiming();
        }
        show(path);
        settleEvents();
        ++i;
    }
}

void refresh(benchmark::State& state, bool liveChanges, bool withFunctions)
{
    MeasureDisplayUtil* util = bench().display->getUtil();
    int delivered = 0;
    const auto connection = QObject::connect(
        util, QOverload<ChannelData&, bool&>::of(&MeasureDisplayUtil::updateChannelData),
        [&](ChannelData& data, bool&) { delivered += data.getFunctionList().size() + 1; });
    run(state, liveChanges, [&](const QString& path) { util->buildChannelData(path, withFunctions); });
    QObject::disconnect(connection);
    if (delivered != int(state.iterations()) * (withFunctions ? 3 : 1))
        state.SkipWithError("a refresh did not deliver its channel");
}

void BM_DisplayRefresh(benchmark::State& state)
{
    refresh(state, true, false);
}
BENCHMARK(BM_DisplayRefresh)->Unit(benchmark::kMicrosecond);

void BM_DisplayRefreshWithFunctions(benchmark::State& state)
{
    refresh(state, true, true);
}
BENCHMARK(BM_DisplayRefreshWithFunctions)->Unit(benchmark::kMicrosecond);

void BM_DisplayChannelSwitch(benchmark::State& state)
{
    refresh(state, false, false);
}
BENCHMARK(BM_DisplayChannelSwitch)->Unit(benchmark::kMicrosecond);

QString text(const Json::Value& value)
{
    if (value.isString())
        return QString::fromStdString(value.asString());
    return value.isNumeric() ? QString::number(value.asDouble(), 'g', 6) : QString();
}

void BM_DisplayRefreshFloor(benchmark::State& state)
{
    JSONUtil* json = bench().app->getJSONUtil();
    ZMeasureDisplayWidget* widget = bench().floorWidget.get();
    run(state, true, [&](const QString& path) {
        Json::Value node;
        json->getMasterJSONbyPath(path, node, false);
        const Json::Value& value = node["MV"]["MW"];
        widget->setMeasureValue(text(value["VAL"]));
        widget->setMeasureUnit(value["DIM"].isString() ? text(value["DIM"]) : text(value["DIM"]["T"]));
        widget->setMeasureStatus(ChannelDataFlags::parseLeftFlags(node["MV"]["STF"]["VAL"]));
    });
}
BENCHMARK(BM_DisplayRefreshFloor)->Unit(benchmark::kMicrosecond);

} // namespace

// Beyond the floor a refresh builds the ChannelData (value, extremes, flags,
// compensation table) and rebuilds the compensation table's changed cells
// (a measured-value widget for a new maximum).
TEVARO_BENCH_RATIO("BM_DisplayRefresh", "BM_DisplayRefreshFloor", 3.0);
// Functions add an input cell per function and setting (rights, limits).
TEVARO_BENCH_RATIO("BM_DisplayRefreshWithFunctions", "BM_DisplayRefresh", 2.0);
