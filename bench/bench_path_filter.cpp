// A user looked up by name with a filter, "$.USMG.USLI[?(@.NAME==user500)]",
// over 1,000 users, against a hand-written loop with the same
// case-insensitive comparison. Measured on the 1 MB mirror, where the users
// live, and on a document holding the users alone.

#include "MirrorDocument.h"
#include "Ratio.h"
#include "SyntheticMirror.h"

#include "json/JSONObject.h"

#include <benchmark/benchmark.h>

#include <cctype>
#include <string>
#include <vector>

using namespace tevarobench;

namespace {

const std::string filterPath = "$.USMG.USLI[?(@.NAME==user500)]";

bool equalsIgnoringCase(const std::string& a, const std::string& upperB)
{
    if (a.size() != upperB.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != static_cast<unsigned char>(upperB[i]))
            return false;
    }
    return true;
}

void findUser(const Json::Value& tree, const std::string& upperName, std::vector<Json::Value>& out)
{
    for (const Json::Value& u : tree["USMG"]["USLI"]) {
        if (u.isObject() && equalsIgnoringCase(u["NAME"].asString(), upperName))
            out.push_back(u);
    }
}

const Json::Value& usersOnly()
{
    static const Json::Value tree = [] {
        Json::Value t;
        t["USMG"]["USLI"] = mirror(MirrorSize::Medium)["USMG"]["USLI"];
        return t;
    }();
    return tree;
}

KORVALIS::JSON::JSONObject& usersOnlyDocument()
{
    static KORVALIS::JSON::JSONObject doc(usersOnly());
    return doc;
}

const Json::Value& treeFor(bool whole)
{
    return whole ? mirror(MirrorSize::Medium) : usersOnly();
}

void BM_UserFilter(benchmark::State& state, bool wholeMirror)
{
    KORVALIS::JSON::JSONObject& doc = wholeMirror ? mirrorDocument(MirrorSize::Medium) : usersOnlyDocument();
    std::vector<Json::Value> values;
    std::vector<Json::Value> expected;
    findUser(treeFor(wholeMirror), "USER500", expected);
    if (!doc.query(filterPath, values) || values != expected || expected.size() != 1) {
        state.SkipWithError("the filter and the hand-written loop disagree");
        return;
    }
    for (auto _ : state) {
        values.clear();
        doc.query(filterPath, values);
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["users"] = static_cast<double>(treeFor(wholeMirror)["USMG"]["USLI"].size());
}

void BM_UserLoop(benchmark::State& state, bool wholeMirror)
{
    const Json::Value& tree = treeFor(wholeMirror);
    std::vector<Json::Value> values;
    for (auto _ : state) {
        values.clear();
        findUser(tree, "USER500", values);
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["users"] = static_cast<double>(tree["USMG"]["USLI"].size());
}

} // namespace

BENCHMARK_CAPTURE(BM_UserFilter, mirror1MB, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_UserLoop, mirror1MB, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_UserFilter, usersOnly, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_UserLoop, usersOnly, false)->Unit(benchmark::kMicrosecond);

TEVARO_BENCH_RATIO("BM_UserFilter/mirror1MB", "BM_UserLoop/mirror1MB", 3.0);
TEVARO_BENCH_RATIO("BM_UserFilter/usersOnly", "BM_UserLoop/usersOnly", 3.0);
