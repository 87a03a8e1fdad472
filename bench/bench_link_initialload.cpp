// The first full load after login, with the real poll (150 ms) and update
// (50 ms) intervals and the device's live values paused: from the start of
// communication until the mirror holds every path the device lists at
// "$.IPTH". Each iteration is a new login and start on the same simulator.
//
// The moment of completion is taken on the receive thread, right after the
// telegram that completed the mirror was applied (a direct slot on
// afterTelegramAvailable). The poll steps are counted from the simulator's
// request log: every poll step that finds the transport free sends exactly
// one request (a telegram or a data request).

#include "LinkSession.h"

#include "util/JSONUtil.h"
#include "util/TevaroApp.h"

#include <benchmark/benchmark.h>

#include <QObject>

#include <cstdio>

using namespace tevarobench;

namespace {

constexpr int pollMs = TevaroApp::DEFAULT_POLL_MS;
constexpr int updateMs = TevaroApp::DEFAULT_UPDATE_MS;
constexpr int loads = 3;

struct RequestCounts
{
    int data = 0;
    int path = 0;
    int other = 0;
    int total() const { return data + path + other; }
};

// The poll thread's requests that reached the device up to untilMs.
RequestCounts pollRequests(SimulatorProcess& simulator, std::int64_t untilMs)
{
    RequestCounts counts;
    for (const Json::Value& request : simulator.requestLog()) {
        if (request["time"].asInt64() > untilMs)
            continue;
        const std::string path = request["path"].asString();
        if (path == "/webservice/data")
            ++counts.data;
        else if (path == "/webservice/path")
            ++counts.path;
        else if (path != "/webservice/login")
            ++counts.other;
    }
    return counts;
}

void BM_InitialLoadAfterLogin(benchmark::State& state)
{
    LinkSession session;
    if (!session.open(pollMs, updateMs)) {
        state.SkipWithError("simulator did not start");
        return;
    }
    const QStringList paths = session.initialPaths();
    if (paths.isEmpty()) {
        state.SkipWithError("the device lists no initial paths");
        return;
    }

    std::atomic<bool> armed{false};
    std::atomic<std::int64_t> completed{-1};
    std::atomic<int> telegrams{0};
    const QMetaObject::Connection afterApply = QObject::connect(session.json(), &JSONUtil::afterTelegramAvailable, [&] {
        if (!armed)
            return;
        ++telegrams;
        if (completed < 0 && session.mirrorHolds(paths))
            completed = nowUs();
    });

    std::vector<double> times;
    std::vector<double> steps;
    RequestCounts counts;
    for (auto _ : state) {
        if (session.app()->isStarted())
            session.app()->stop();
        if (!session.login()) {
            state.SkipWithError("login failed");
            break;
        }
        session.simulator.clearRequestLog();
        completed = -1;
        telegrams = 0;
        armed = true;
        const std::int64_t started = nowUs();
        session.app()->start();
        const bool loaded = LinkSession::runEventsUntil([&] { return completed.load() >= 0; }, 10000);
        armed = false;
        if (!loaded) {
            state.SkipWithError("the mirror did not get every initial path within 10 s");
            break;
        }
        const double ms = (completed - started) / 1000.0;
        state.SetIterationTime(ms / 1000.0);
        times.push_back(ms);
        counts = pollRequests(session.simulator, completed / 1000);
        steps.push_back(counts.total());
    }
    QObject::disconnect(afterApply);

    state.counters["paths"] = paths.size();
    state.counters["load_ms"] = mean(times);
    state.counters["load_max_ms"] = percentile(times, 100);
    state.counters["poll_steps"] = mean(steps);
    state.counters["data_reqs"] = counts.data;
    state.counters["path_reqs"] = counts.path;
    state.counters["telegrams"] = telegrams.load();
    std::printf("\nFirst full load: %d paths (%s)\n  per load, ms:", paths.size(), qPrintable(paths.join(", ")));
    for (double ms : times)
        std::printf(" %.1f", ms);
    std::printf("\n  poll steps of the last load: %d (%d data requests, %d reads, %d others); %.1f poll intervals\n",
                counts.total(), counts.data, counts.path, counts.other, times.empty() ? 0 : times.back() / pollMs);
    std::fflush(stdout);
}

} // namespace

BENCHMARK(BM_InitialLoadAfterLogin)
    ->UseManualTime()
    ->Iterations(loads)
    ->Repetitions(1)
    ->Unit(benchmark::kMillisecond);
