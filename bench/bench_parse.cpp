// Parsing a whole mirror's text with JSONObject::parse (which cleans the text
// first) against jsoncpp's own Json::Reader on the same text.

#include "Ratio.h"
#include "SyntheticMirror.h"

#include "json/JSONObject.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tevarobench;

namespace {

void BM_ParseDocument(benchmark::State& state, MirrorSize size)
{
    const std::string& text = mirrorText(size);
    KORVALIS::JSON::JSONObject doc;
    std::string copy = text;
    if (!doc.parse(copy) || doc.snapshot() != mirror(size)) {
        state.SkipWithError("the document does not parse into the mirror");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        copy = text;   // parse cleans its argument in place
        state.ResumeTiming();
        doc.parse(copy);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.SetLabel(byteLabel(text.size()));
}

void BM_JsoncppReader(benchmark::State& state, MirrorSize size)
{
    const std::string& text = mirrorText(size);
    for (auto _ : state) {
        Json::Reader reader;
        Json::Value tree;
        const bool ok = reader.parse(text, tree);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.SetLabel(byteLabel(text.size()));
}

} // namespace

BENCHMARK_CAPTURE(BM_ParseDocument, 1MB, MirrorSize::Medium)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JsoncppReader, 1MB, MirrorSize::Medium)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParseDocument, 10MB, MirrorSize::Large)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JsoncppReader, 10MB, MirrorSize::Large)->Unit(benchmark::kMillisecond);

TEVARO_BENCH_RATIO("BM_ParseDocument/10MB", "BM_JsoncppReader/10MB", 1.3);
TEVARO_BENCH_RATIO("BM_ParseDocument/1MB", "BM_JsoncppReader/1MB", 1.3);
