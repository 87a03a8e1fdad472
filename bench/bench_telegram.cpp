// A telegram of 10,000 "SET" elements applied to the 1 MB mirror, against
// the same changes made by splitting the same path texts and assigning with
// jsoncpp directly.

#include "Ratio.h"
#include "SyntheticMirror.h"

#include "json/MasterJSON.h"
#include "json/TelegramResult.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace tevarobench;

namespace {

constexpr int elementCount = 10000;

// Existing nodes of the mirror: every entry's "VAL", "MW", "DIM" and "INP"."MIN".
Json::Value setTelegram(int count)
{
    const MirrorShape shape = shapeFor(MirrorSize::Medium);
    const int entries = shape.channels * shape.entriesPerChannel;
    static const char* const fields[] = {"VAL", "MW", "DIM", "INP.MIN"};
    Json::Value telegram(Json::objectValue);
    Json::Value& list = telegram["INST"]["SET"]["VAL"];
    list = Json::Value(Json::arrayValue);
    for (int i = 0; i < count; ++i) {
        const int channel = i % shape.channels;
        const int entry = (i / shape.channels) % shape.entriesPerChannel;
        const int field = (i / entries) % 4;
        Json::Value element(Json::objectValue);
        element["DEST"]["PATH"] = "$.DATA.CH[" + std::to_string(channel) + "].MVTB[" + std::to_string(entry) + "]."
                                  + fields[field];
        element["VAL"] = field == 2 ? Json::Value("unit" + std::to_string(i)) : Json::Value(i * 0.5);
        list.append(element);
    }
    return telegram;
}

// What a caller would write by hand: split at ".", "NAME[n]" selects element n.
void assignDirectly(const Json::Value& telegram, Json::Value& tree)
{
    for (const Json::Value& element : telegram["INST"]["SET"]["VAL"]) {
        const std::string& path = element["DEST"]["PATH"].asString();
        Json::Value* node = &tree;
        std::size_t start = path.find('.');   // skips "$"
        while (start != std::string::npos) {
            ++start;
            const std::size_t end = path.find('.', start);
            const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
            const std::size_t bracket = part.find('[');
            if (bracket == std::string::npos) {
                node = &(*node)[part];
            } else {
                node = &(*node)[part.substr(0, bracket)];
                node = &(*node)[static_cast<Json::ArrayIndex>(std::stoi(part.substr(bracket + 1)))];
            }
            start = end;
        }
        *node = element["VAL"];
    }
}

const Json::Value& telegram()
{
    static const Json::Value t = setTelegram(elementCount);
    return t;
}

void BM_ApplyTelegram(benchmark::State& state)
{
    KORVALIS::HighLevelCommunication::MasterJSON doc;
    doc.setJSON(mirror(MirrorSize::Medium));
    Json::Value sent = telegram();
    std::vector<KORVALIS::JSON::TelegramResult> results;
    Json::Value expected = mirror(MirrorSize::Medium);
    assignDirectly(telegram(), expected);
    if (!doc.applyTelegram(sent, doc.getJSON(), &results) || results.size() != elementCount
        || doc.snapshot() != expected) {
        state.SkipWithError("the telegram and the direct assignments disagree");
        return;
    }
    // Setting the same values again changes nothing, so every round does the same work.
    for (auto _ : state) {
        results.clear();
        doc.applyTelegram(sent, doc.getJSON(), &results);
        benchmark::DoNotOptimize(results.data());
    }
    state.SetItemsProcessed(state.iterations() * elementCount);
}

void BM_DirectAssign(benchmark::State& state)
{
    Json::Value tree = mirror(MirrorSize::Medium);
    const Json::Value& sent = telegram();
    for (auto _ : state) {
        assignDirectly(sent, tree);
        benchmark::DoNotOptimize(&tree);
    }
    state.SetItemsProcessed(state.iterations() * elementCount);
}

} // namespace

BENCHMARK(BM_ApplyTelegram)->Name("BM_ApplyTelegram/10k")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectAssign)->Name("BM_DirectAssign/10k")->Unit(benchmark::kMillisecond);

TEVARO_BENCH_RATIO("BM_ApplyTelegram/10k", "BM_DirectAssign/10k", 3.0);
