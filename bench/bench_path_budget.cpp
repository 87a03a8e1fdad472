// The work budget of JSONPath queries, through JSONObject::query with paths
// as the system asks:
// - every query the system makes succeeds on the 10 MB mirror; one that runs
//   out of its budget fails its benchmark;
// - no expression costs much more than a walk over the whole tree: the
//   costliest expressions known (most of them end on the budget) against
//   "$..*" on the 10 KB mirror, each with a ratio target of 100.

#include "MirrorDocument.h"
#include "Ratio.h"
#include "SyntheticMirror.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace tevarobench;

namespace {

void BM_SystemQuery(benchmark::State& state, const char* path)
{
    KORVALIS::JSON::JSONObject& doc = mirrorDocument(MirrorSize::Large);
    std::vector<Json::Value> values;
    std::vector<std::string> paths;
    if (!doc.query(path, values, &paths)) {
        state.SkipWithError("the query fails on the 10 MB mirror");
        return;
    }
    const std::size_t hits = values.size();
    for (auto _ : state) {
        values.clear();
        paths.clear();
        doc.query(path, values, &paths);
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["hits"] = static_cast<double>(hits);
    state.SetLabel(byteLabel(mirrorText(MirrorSize::Large).size()));
}

void runOnSmallMirror(benchmark::State& state, const std::string& expression)
{
    KORVALIS::JSON::JSONObject& doc = mirrorDocument(MirrorSize::Small);
    std::vector<Json::Value> values;
    std::vector<std::string> paths;
    for (auto _ : state) {
        values.clear();
        paths.clear();
        benchmark::DoNotOptimize(doc.query(expression, values, &paths));
    }
    state.SetLabel(byteLabel(mirrorText(MirrorSize::Small).size()));
}

void BM_WalkAll(benchmark::State& state)
{
    runOnSmallMirror(state, "$..*");
}

// count times text, joined by separator.
std::string repeated(const std::string& text, int count, const std::string& separator = ",")
{
    std::string list = text;
    for (int i = 1; i < count; ++i)
        list += separator + text;
    return list;
}

void BM_CostlyQuery(benchmark::State& state, const std::string& expression)
{
    runOnSmallMirror(state, expression);
}

// Each union takes every null hit eight times over.
std::string nullUnions(int count)
{
    std::string expression = "$.DATA.CH[999]";   // beyond the end: null
    for (int i = 0; i < count; ++i)
        expression += "[0,0,0,0,0,0,0,0]";
    return expression;
}

} // namespace

BENCHMARK_CAPTURE(BM_SystemQuery, IPTH, "$.IPTH")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SystemQuery, DEV, "$.DEV")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SystemQuery, channels, "$.DATA.CH")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SystemQuery, users, "$.USMG.USLI")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SystemQuery, selfTest, "$.SERV.FCT.STST.VAL")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SystemQuery, recordings, "$.MEM.MTAB")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SystemQuery, everyVAL, "$..VAL")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SystemQuery, oneValue, "$.DATA.CH[3].MVTB[12].MW")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SystemQuery, userByName, "$.USMG.USLI[?(@.NAME == user500)]")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SystemQuery, userById, "$.USMG.USLI[?(@.ID==7)]")->Unit(benchmark::kMillisecond);

BENCHMARK(BM_WalkAll)->Unit(benchmark::kMillisecond);
// Found by the query fuzzer: seven nested descents, then a slice.
BENCHMARK_CAPTURE(BM_CostlyQuery, descents, std::string("$.$...$.$...$..$.[]$']..$..$..,:"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CostlyQuery, unionNames, "$..[" + repeated("a", 250) + "]")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CostlyQuery, unionStars, "$..[" + repeated("*", 250) + "]")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CostlyQuery, unionSliceKeys, "$..[" + repeated("0:0:0", 84) + "]")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CostlyQuery, slicesThenStars, "$..[" + repeated(":", 100) + "]..[" + repeated("*", 100) + "]")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CostlyQuery, nullUnions, nullUnions(27))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CostlyQuery, longIndex, nullUnions(5) + "[" + std::string(400, '0') + "].x")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CostlyQuery, longPaths, "$..[" + repeated("*", 100) + "]..*..*..*")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CostlyQuery, scriptOnEveryNode, "$..[($.." + repeated("A", 100, "..") + ")]")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CostlyQuery, copies, "$[" + repeated("DATA", 100) + "]")->Unit(benchmark::kMillisecond);

TEVARO_BENCH_RATIO("BM_CostlyQuery/descents", "BM_WalkAll", 100.0);
TEVARO_BENCH_RATIO("BM_CostlyQuery/unionNames", "BM_WalkAll", 100.0);
TEVARO_BENCH_RATIO("BM_CostlyQuery/unionStars", "BM_WalkAll", 100.0);
TEVARO_BENCH_RATIO("BM_CostlyQuery/unionSliceKeys", "BM_WalkAll", 100.0);
TEVARO_BENCH_RATIO("BM_CostlyQuery/slicesThenStars", "BM_WalkAll", 100.0);
TEVARO_BENCH_RATIO("BM_CostlyQuery/nullUnions", "BM_WalkAll", 100.0);
TEVARO_BENCH_RATIO("BM_CostlyQuery/longIndex", "BM_WalkAll", 100.0);
TEVARO_BENCH_RATIO("BM_CostlyQuery/longPaths", "BM_WalkAll", 100.0);
TEVARO_BENCH_RATIO("BM_CostlyQuery/scriptOnEveryNode", "BM_WalkAll", 100.0);
TEVARO_BENCH_RATIO("BM_CostlyQuery/copies", "BM_WalkAll", 100.0);
