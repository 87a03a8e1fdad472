#pragma once

#include "json/JsonPathStep.h"

#include <json/json.h>

#include <boost/regex.hpp>

#include <cstdint>
#include <functional>
#include <list>
#include <locale>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace KORVALIS {
namespace JSON {

// Evaluates a JSONPath expression over a Json::Value tree. One evaluator per
// query; hits are pointers into the queried tree and stay valid while the tree
// is unchanged. Failures are exceptions (std::exception), turned into a false
// result by JSONObject::query.
//
// The expression is normalised into ";"-separated steps which trace consumes
// one at a time. Every query is bounded: the expression length, the number of
// steps, the script nesting, the recursion depth and the total work are
// limited, and exceeding a limit fails the query. The work budget grows with
// the queried tree (see kWorkPerNode).
class JsonPath
{
public:
    JsonPath();
    virtual ~JsonPath();

    JsonPath(const JsonPath&) = delete;
    JsonPath& operator=(const JsonPath&) = delete;

    bool query(const Json::Value& tree, const std::string& expression,
               std::vector<const Json::Value*>* hitSink,
               std::vector<std::string>* pathSink);

    // Charges copying the hits of the last query, as JSONObject::query does,
    // to that query's work budget; throws when they would exceed it.
    void spendOnCopies(const std::vector<const Json::Value*>& hits);

private:
    using Step = JsonPathDetail::Step;
    using StepList = JsonPathDetail::StepList;
    using PathPart = JsonPathDetail::PathPart;
    using FilterTest = JsonPathDetail::FilterTest;
    using WalkStep = void (JsonPath::*)(const PathPart& name, const Json::Value& child,
                                        const Step& loc, const StepList& steps, std::size_t next);

    // Normalisation (JsonPathNormalize.cpp)
    std::string& normalize(std::string& expression);
    std::string saveSubExpression(const boost::smatch& match);
    std::string restoreSubExpression(const boost::smatch& match);
    static void removeMatches(std::string& text, const boost::regex& pattern);
    static std::vector<std::string> tokenize(const std::string& text);
    // Normalises an expression and drops its root marker; the views of the
    // result point into expression, its filters into filterStore.
    StepList prepareSteps(std::string& expression, std::list<FilterTest>& filterStore);
    void appendSteps(const std::vector<std::string_view>& parts,
                     std::list<FilterTest>& filterStore, StepList& steps);
    // storage receives the parsed filter of a filter step; the step points to it.
    Step classify(std::string_view text, FilterTest& storage);

    // Tracing (JsonPath.cpp)
    void trace(const StepList& steps, std::size_t first, const Json::Value& value);
    void traceStep(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value);
    void traceScript(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value);
    void traceUnion(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value);
    void traceKey(std::string_view key, const StepList& steps, std::size_t next, const Json::Value& value);
    void walk(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value,
              WalkStep callback);
    void starStep(const PathPart& name, const Json::Value& child, const Step& loc,
                  const StepList& steps, std::size_t next);
    void descendStep(const PathPart& name, const Json::Value& child, const Step& loc,
                     const StepList& steps, std::size_t next);
    void filterStep(const PathPart& name, const Json::Value& child, const Step& loc,
                    const StepList& steps, std::size_t next);
    void slice(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value);
    void store(const Json::Value& value);
    void buildPath(std::string& path) const;
    void spendWork(std::uint64_t units = 1);
    void sizeBudget();

    // Scripts and filters (JsonPathScript.cpp, JsonPathFilter.cpp)
    // What a script's text says: a nested path's key, or a length script's offset.
    struct ScriptValue
    {
        bool length = false;
        long long offset = 0;
        std::string key;
    };
    std::string evalScript(std::string_view script, const Json::Value& value);
    ScriptValue readScript(std::string_view script);
    bool evalFilter(const FilterTest& filter, const Json::Value& value);
    bool compare(const Json::Value& field, const FilterTest& filter);

    const Json::Value* queryRoot = nullptr;     // nested paths in scripts run against it
    std::unique_ptr<std::vector<std::string>> subExpressions;
    std::vector<const Json::Value*> nestedHits;
    int mode = 1;                               // 1: hits to the caller, 2: to nestedHits
    std::vector<const Json::Value*>* hitSink = nullptr;
    std::vector<std::string>* pathSink = nullptr;
    const std::locale textLocale;               // the default locale, for upper-casing
    const std::ctype<char>& textCase;

    std::vector<PathPart> pathParts;            // path of the value being traced
    std::string pathText;                       // the path of the latest hit
    std::list<FilterTest> filters;              // parsed filters of the steps in use
    std::map<std::string, ScriptValue, std::less<>> scripts;   // scripts read in this query
    int traceDepth = 0;
    int scriptDepth = 0;
    std::uint64_t work = 0;
    std::uint64_t workLimit = JsonPathDetail::kMinWork;
    bool budgetSized = false;                   // workLimit set from the tree's size
    std::uint64_t hits = 0;
    std::uint64_t pathBytes = 0;
};

} // namespace JSON
} // namespace KORVALIS
