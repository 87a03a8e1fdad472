// The sensor-list worker on the simulator's tree with 64 devices in
// $.DATA.DEV (two description paths make up a device's name: ADR and NAME):
//   - the device list (SensorListUtil::readDeviceList: the device count and
//     one name per device), against the two bare wildcard queries of the
//     description paths;
//   - the worker's filter of change notifications: 1,000 live-value
//     notifications queued to its notification slot, as the mirror sends
//     them from its receive thread, against the same queued to an empty slot.
//     Once for a worker that never read anything (its screen never shown) and
//     once for one that read the description and the device list.

#include "Ratio.h"

#include "common/GlobalEnums.h"
#include "util/JSONUtil.h"
#include "util/SensorListUtil.h"
#include "util/TevaroApp.h"

#include "GuiApplication.h"
#include "OfflineClient.h"
#include "LiveNotifications.h"
#include "SimulatorTree.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStringList>
#include <QVector>

#include <memory>

using namespace tevarobench;

namespace {

constexpr int deviceCount = 64;

const char* const descriptionPaths[] = {"$.DATA.DEV[*].ADR", "$.DATA.DEV[*].NAME"};

// The simulator's devices repeated to deviceCount, each with an address and a name of its own.
Json::Value devices(const Json::Value& own)
{
    Json::Value list(Json::arrayValue);
    for (int i = 0; i < deviceCount; ++i) {
        Json::Value device = own[Json::ArrayIndex(i) % own.size()];
        device["ADR"] = std::to_string(17 + i);
        device["NAME"] = QStringLiteral("Anlage %1").arg(i + 1).toStdString();
        list.append(device);
    }
    return list;
}

// A client without a session whose mirror holds the simulator's tree with
// 64 devices; one worker that read the description and the device list, and
// one that never read anything.
struct SensorListBench
{
    SensorListBench()
    {
        app = offlineClient(false);
        const Json::Value tree = simulatorTree();
        JSONUtil* json = app->getJSONUtil();
        appendTree(json, tree);
        json->appendJson(devices(tree["DATA"]["DEV"]), QStringLiteral("$.DATA.DEV"));
        json->appendJson(Json::Value(deviceCount), QStringLiteral("$.DATA.DEVCNT"));

        worker.reset(new SensorListUtil(nullptr));
        worker->readSensorList();
        worker->readDeviceList();
        idleWorker.reset(new SensorListUtil(nullptr));
    }

    JSONUtil* json() { return app->getJSONUtil(); }

    std::unique_ptr<TevaroApp> app;
    std::unique_ptr<SensorListUtil> worker;
    std::unique_ptr<SensorListUtil> idleWorker;
};

SensorListBench& bench()
{
    static SensorListBench instance;
    return instance;
}

// ------------------------------------------------------------ device list

void BM_DeviceList(benchmark::State& state)
{
    SensorListUtil& worker = *bench().worker;
    if (!worker.isInitialised()) {
        state.SkipWithError("the description was not read");
        return;
    }
    QStringList shown;
    const auto connection =
        QObject::connect(&worker, &SensorListUtil::updateDeviceList, [&](QStringList& names) { shown = names; });
    for (auto _ : state)
        worker.readDeviceList();
    QObject::disconnect(connection);
    if (shown.size() != deviceCount || shown.last() != QStringLiteral(" 80 Anlage 64"))
        state.SkipWithError("the device list is not complete");
    state.SetItemsProcessed(state.iterations() * deviceCount);
}
BENCHMARK(BM_DeviceList)->Unit(benchmark::kMicrosecond);

void BM_DescriptionQueriesFloor(benchmark::State& state)
{
    JSONUtil* json = bench().json();
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const char* path : descriptionPaths) {
            QVector<Json::Value> values;
            json->getMasterJSONbyPath(QLatin1String(path), values, true);
            found += values.size();
        }
    }
    if (found != 2 * deviceCount)
        state.SkipWithError("the queries found another number of devices");
    state.SetItemsProcessed(state.iterations() * deviceCount);
}
BENCHMARK(BM_DescriptionQueriesFloor)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------- notifications

void BM_SensorListNotify(benchmark::State& state)
{
    queueLiveValues(state, bench().worker.get(), &SensorListUtil::jsonTelegramm);
}
BENCHMARK(BM_SensorListNotify)->Unit(benchmark::kMicrosecond);

void BM_SensorListNotifyIdle(benchmark::State& state)
{
    queueLiveValues(state, bench().idleWorker.get(), &SensorListUtil::jsonTelegramm);
}
BENCHMARK(BM_SensorListNotifyIdle)->Unit(benchmark::kMicrosecond);

void BM_EmptySlotNotifyFloor(benchmark::State& state)
{
    bench();   // the same application as the workers' runs
    EmptyReceiver receiver;
    queueLiveValues(state, &receiver, &EmptyReceiver::onTelegram);
}
BENCHMARK(BM_EmptySlotNotifyFloor)->Unit(benchmark::kMicrosecond);

} // namespace

TEVARO_BENCH_RATIO("BM_DeviceList", "BM_DescriptionQueriesFloor", 1.5);
TEVARO_BENCH_RATIO("BM_SensorListNotify", "BM_EmptySlotNotifyFloor", 2.0);
TEVARO_BENCH_RATIO("BM_SensorListNotifyIdle", "BM_EmptySlotNotifyFloor", 2.0);
