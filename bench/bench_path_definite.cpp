// A definite path on mirrors of about 10 KB, 1 MB and 10 MB. One node is
// looked up, so the time should hardly depend on the mirror's size.

#include "MirrorDocument.h"
#include "Ratio.h"
#include "SyntheticMirror.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace tevarobench;

namespace {

const std::string definitePath = "$.DATA.CH[3].MVTB[12].MW";

void BM_DefinitePath(benchmark::State& state, MirrorSize size)
{
    KORVALIS::JSON::JSONObject& doc = mirrorDocument(size);
    std::vector<Json::Value> values;
    if (!doc.query(definitePath, values) || values.size() != 1
        || values[0] != mirror(size)["DATA"]["CH"][3]["MVTB"][12]["MW"]) {
        state.SkipWithError("the definite path does not give its one node");
        return;
    }
    for (auto _ : state) {
        values.clear();
        doc.query(definitePath, values);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetLabel(byteLabel(mirrorText(size).size()));
}

// The floor: the same node read with jsoncpp's own accessors.
void BM_DirectAccess(benchmark::State& state, MirrorSize size)
{
    const Json::Value& tree = mirror(size);
    std::vector<Json::Value> values;
    for (auto _ : state) {
        values.clear();
        values.push_back(tree["DATA"]["CH"][3]["MVTB"][12]["MW"]);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetLabel(byteLabel(mirrorText(size).size()));
}

} // namespace

BENCHMARK_CAPTURE(BM_DefinitePath, 10KB, MirrorSize::Small)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DefinitePath, 1MB, MirrorSize::Medium)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DefinitePath, 10MB, MirrorSize::Large)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DirectAccess, 10MB, MirrorSize::Large)->Unit(benchmark::kMicrosecond);

TEVARO_BENCH_RATIO("BM_DefinitePath/10MB", "BM_DefinitePath/10KB", 2.0);
