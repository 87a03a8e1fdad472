// Recursive descent "$..VAL" over a whole mirror, against a hand-written
// walk that collects the same values in the same order.

#include "MirrorDocument.h"
#include "Ratio.h"
#include "SyntheticMirror.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace tevarobench;

namespace {

const std::string descentPath = "$..VAL";

// Pre-order, members in the tree's own order: the order of the path's hits.
void collectVal(const Json::Value& node, std::vector<Json::Value>& out)
{
    if (node.isObject()) {
        static const char key[] = "VAL";
        if (const Json::Value* hit = node.find(key, key + 3))
            out.push_back(*hit);
    } else if (!node.isArray()) {
        return;
    }
    for (const Json::Value& child : node)
        collectVal(child, out);
}

void BM_RecursiveDescent(benchmark::State& state, MirrorSize size)
{
    KORVALIS::JSON::JSONObject& doc = mirrorDocument(size);
    std::vector<Json::Value> values;
    std::vector<Json::Value> expected;
    collectVal(mirror(size), expected);
    if (!doc.query(descentPath, values) || values != expected) {
        state.SkipWithError("the path and the hand-written walk disagree");
        return;
    }
    for (auto _ : state) {
        values.clear();
        doc.query(descentPath, values);
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["hits"] = static_cast<double>(expected.size());
    state.SetLabel(byteLabel(mirrorText(size).size()));
}

void BM_HandWalk(benchmark::State& state, MirrorSize size)
{
    const Json::Value& tree = mirror(size);
    std::vector<Json::Value> values;
    for (auto _ : state) {
        values.clear();
        collectVal(tree, values);
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["hits"] = static_cast<double>(values.size());
    state.SetLabel(byteLabel(mirrorText(size).size()));
}

} // namespace

BENCHMARK_CAPTURE(BM_RecursiveDescent, 1MB, MirrorSize::Medium)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HandWalk, 1MB, MirrorSize::Medium)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecursiveDescent, 10MB, MirrorSize::Large)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HandWalk, 10MB, MirrorSize::Large)->Unit(benchmark::kMillisecond);

TEVARO_BENCH_RATIO("BM_RecursiveDescent/10MB", "BM_HandWalk/10MB", 3.0);
TEVARO_BENCH_RATIO("BM_RecursiveDescent/1MB", "BM_HandWalk/1MB", 3.0);
