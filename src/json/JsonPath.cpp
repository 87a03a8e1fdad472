// Tracing the steps of an expression through a tree.

#include "json/JsonPath.h"

#include <boost/lexical_cast.hpp>
#include <boost/regex.hpp>

#include <algorithm>
#include <stdexcept>

namespace KORVALIS {
namespace JSON {

using namespace JsonPathDetail;

namespace {

// Counts one level of recursion and fails beyond the limit.
class DepthGuard
{
public:
    DepthGuard(int& depth, int limit, const char* failure)
        : depth(depth)
    {
        if (++depth > limit) {
            --depth;
            throw std::runtime_error(failure);
        }
    }
    ~DepthGuard() { --depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth;
};

// Adds one part to the path of the value being traced for the scope.
class PathScope
{
public:
    PathScope(std::vector<PathPart>& parts, const PathPart& part)
        : parts(parts)
    {
        parts.push_back(part);
    }
    ~PathScope() { parts.pop_back(); }
    PathScope(const PathScope&) = delete;
    PathScope& operator=(const PathScope&) = delete;

private:
    std::vector<PathPart>& parts;
};

PathPart namePart(std::string_view text)
{
    PathPart part;
    part.text = text;
    return part;
}

PathPart indexPart(std::uint64_t index)
{
    PathPart part;
    part.index = index;
    part.isIndex = true;
    return part;
}

Json::ArrayIndex toArrayIndex(std::string_view digits)
{
    std::uint64_t index = 0;
    for (const char c : digits) {
        index = index * 10 + static_cast<std::uint64_t>(c - '0');
        if (index > Json::Value::maxUInt)
            throw std::out_of_range("JSONPath: array index out of range: " + std::string(digits));
    }
    return static_cast<Json::ArrayIndex>(index);
}

long long toSliceNumber(std::string_view text)
{
    return boost::lexical_cast<long long>(text.data(), text.size());
}

// Python-like clamping of a slice bound into 0..size.
long long clampBound(long long bound, long long size)
{
    return bound < 0 ? std::max(0LL, bound + size) : std::min(bound, size);
}

// Counts the nodes of value (value itself included), stopping at limit.
std::uint64_t countNodes(const Json::Value& value, std::uint64_t limit)
{
    std::uint64_t count = 1;
    std::vector<const Json::Value*> pending{&value};
    while (!pending.empty() && count < limit) {
        const Json::Value* node = pending.back();
        pending.pop_back();
        for (auto it = node->begin(); it != node->end() && count < limit; ++it) {
            ++count;
            if (it->isObject() || it->isArray())
                pending.push_back(&*it);
        }
    }
    return count;
}

} // namespace

JsonPath::JsonPath()
    : subExpressions(std::make_unique<std::vector<std::string>>())
    , textCase(std::use_facet<std::ctype<char>>(textLocale))
{
}

JsonPath::~JsonPath() = default;

bool JsonPath::query(const Json::Value& tree, const std::string& expression,
                     std::vector<const Json::Value*>* hitSink,
                     std::vector<std::string>* pathSink)
{
    this->hitSink = hitSink;
    this->pathSink = pathSink;
    subExpressions->clear();
    nestedHits.clear();
    filters.clear();
    scripts.clear();
    pathParts.clear();
    queryRoot = &tree;
    mode = 1;
    traceDepth = 0;
    scriptDepth = 0;
    work = 0;
    workLimit = kMinWork;
    budgetSized = false;
    hits = 0;
    pathBytes = 0;

    std::string text(expression);
    const StepList steps = prepareSteps(text, filters);
    pathParts.push_back(namePart("$"));
    trace(steps, 0, tree);
    return true;
}

void JsonPath::trace(const StepList& steps, std::size_t first, const Json::Value& value)
{
    // A last empty step stands for a trailing ";", which ends the steps as well.
    if (first >= steps.size() || (first + 1 == steps.size() && steps[first].kind == StepKind::Empty)) {
        store(value);
        return;
    }
    traceStep(steps[first], steps, first + 1, value);
}

void JsonPath::traceStep(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value)
{
    spendWork();
    const DepthGuard depth(traceDepth, kMaxTraceDepth, "JSONPath query nested too deeply");

    if (loc.kind != StepKind::Empty && loc.kind != StepKind::Star && loc.kind != StepKind::Descend) {
        if (value.isObject()) {
            const char* name = loc.text.data();
            if (const Json::Value* member = value.find(name, name + loc.text.size())) {
                const PathScope scope(pathParts, namePart(loc.text));
                trace(steps, next, *member);
                return;
            }
        }
        if (loc.digits) {
            spendWork(loc.text.size() / kTextBytesPerWork);   // every digit, leading zeros too
            // jsoncpp's const access: null beyond an array's end or on null,
            // an exception on an object or a scalar.
            const Json::Value& element = value[toArrayIndex(loc.text)];
            const PathScope scope(pathParts, namePart(loc.text));
            trace(steps, next, element);
            return;
        }
    }

    switch (loc.kind) {
    case StepKind::Star:
        walk(loc, steps, next, value, &JsonPath::starStep);
        return;
    case StepKind::Descend:
        trace(steps, next, value);
        walk(loc, steps, next, value, &JsonPath::descendStep);
        return;
    case StepKind::Script:
        traceScript(loc, steps, next, value);
        return;
    case StepKind::Filter:
        walk(loc, steps, next, value, &JsonPath::filterStep);
        return;
    case StepKind::Slice:
        slice(loc, steps, next, value);
        return;
    case StepKind::Union:
        traceUnion(loc, steps, next, value);
        return;
    case StepKind::Empty:
    case StepKind::Name:
        return;
    }
}

// The rarer steps live apart from traceStep to keep its stack frame small:
// descending a deep tree nests one traceStep per level.
void JsonPath::traceScript(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value)
{
    spendWork(1 + loc.text.size() / kTextBytesPerWork);   // looked up among the scripts read
    const std::string key = evalScript(loc.text, value);
    traceKey(key, steps, next, value);
}

void JsonPath::traceUnion(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value)
{
    spendWork(loc.text.size() / kTextBytesPerWork);
    std::size_t start = 0;
    while (start <= loc.text.size()) {
        std::size_t end = loc.text.find(',', start);
        if (end == std::string_view::npos)
            end = loc.text.size();
        if (end > start)
            traceKey(loc.text.substr(start, end - start), steps, next, value);
        start = end + 1;
    }
}

// Traces key + ";" + the steps from next on.
void JsonPath::traceKey(std::string_view key, const StepList& steps, std::size_t next, const Json::Value& value)
{
    // Classifying reads the key a few times; a filter is parsed.
    spendWork(kKeyWork + key.size() / kTextBytesPerWork);
    if (key.find(';') == std::string_view::npos) {
        FilterTest filter;
        const Step step = classify(key, filter);
        if (step.kind == StepKind::Filter)
            spendWork(kFilterParseWork);
        traceStep(step, steps, next, value);
        return;
    }
    // A script's text with separators becomes several steps.
    const std::vector<std::string_view> parts = splitSteps(key);
    spendWork(kKeyWork * parts.size());
    std::list<FilterTest> keyFilters;
    StepList combined;
    appendSteps(parts, keyFilters, combined);
    spendWork(kFilterParseWork * keyFilters.size());
    if (next >= steps.size()) {
        FilterTest unused;
        combined.push_back(classify(std::string_view(), unused));
    } else {
        combined.insert(combined.end(), steps.begin() + static_cast<std::ptrdiff_t>(next), steps.end());
    }
    spendWork(combined.size());
    trace(combined, 0, value);
}

void JsonPath::walk(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value,
                    WalkStep callback)
{
    if (value.isArray()) {
        Json::ArrayIndex expected = 0;
        for (auto it = value.begin(); it != value.end(); ++it) {
            const Json::ArrayIndex index = it.index();
            for (; expected < index; ++expected) {   // positions jsoncpp holds no element for
                spendWork();
                (this->*callback)(indexPart(expected), Json::Value::nullSingleton(), loc, steps, next);
            }
            spendWork();
            (this->*callback)(indexPart(index), *it, loc, steps, next);
            expected = index + 1;
        }
    } else if (value.isObject()) {
        for (auto it = value.begin(); it != value.end(); ++it) {
            const char* end = nullptr;
            const char* name = it.memberName(&end);
            spendWork();
            (this->*callback)(namePart(std::string_view(name, static_cast<std::size_t>(end - name))), *it,
                              loc, steps, next);
        }
    }
}

// The wildcard and filter steps continue on the child itself, so a member's
// name is never read as a step.
void JsonPath::starStep(const PathPart& name, const Json::Value& child, const Step&,
                        const StepList& steps, std::size_t next)
{
    const PathScope scope(pathParts, name);
    trace(steps, next, child);
}

void JsonPath::descendStep(const PathPart& name, const Json::Value& child, const Step& loc,
                           const StepList& steps, std::size_t next)
{
    const PathScope scope(pathParts, name);
    traceStep(loc, steps, next, child);
}

void JsonPath::filterStep(const PathPart& name, const Json::Value& child, const Step& loc,
                          const StepList& steps, std::size_t next)
{
    spendWork(kFilterWork);
    if (!evalFilter(*loc.filter, child))
        return;
    const PathScope scope(pathParts, name);
    trace(steps, next, child);
}

void JsonPath::slice(const Step& loc, const StepList& steps, std::size_t next, const Json::Value& value)
{
    if (!value.isArray())
        return;
    spendWork(kSliceWork);
    std::string_view parts[3];
    std::size_t count = 0;
    std::size_t start = 0;
    while (count < 3) {
        const std::size_t end = loc.text.find(':', start);
        parts[count++] = loc.text.substr(start, end == std::string_view::npos ? end : end - start);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }

    const long long size = value.size();
    const long long first = parts[0].empty() ? 0 : toSliceNumber(parts[0]);
    const long long last = (count < 2 || parts[1].empty()) ? size : toSliceNumber(parts[1]);
    const long long step = (count < 3 || parts[2].empty()) ? 1 : toSliceNumber(parts[2]);
    if (step <= 0)
        return;   // a step of 0 selects nothing

    const long long end = clampBound(last, size);
    for (long long i = clampBound(first, size); i < end;) {
        {
            const PathScope scope(pathParts, indexPart(static_cast<std::uint64_t>(i)));
            trace(steps, next, value[static_cast<Json::ArrayIndex>(i)]);
        }
        if (end - i <= step)
            break;
        i += step;
    }
}

void JsonPath::store(const Json::Value& value)
{
    if (++hits > kMaxHits)
        throw std::runtime_error("JSONPath query yields more than " + std::to_string(kMaxHits) + " hits");
    spendWork();
    if (mode == 2) {
        nestedHits.push_back(&value);
        return;
    }
    // Every hit pays for its path text, asked for or not: asking for paths
    // must not change a query's verdict.
    buildPath(pathText);
    spendWork(pathParts.size() + pathText.size() / kTextBytesPerWork);
    pathBytes += pathText.size() + sizeof(std::string);
    if (pathBytes > kMaxPathBytes)
        throw std::runtime_error("JSONPath query yields too much path text");
    if (hitSink)
        hitSink->push_back(&value);
    if (pathSink)
        pathSink->push_back(pathText);
}

// "$;A;0;B" is written "$.A[0].B"; an all-digit part is an index.
void JsonPath::buildPath(std::string& path) const
{
    path.clear();
    path.append(pathParts.front().text);
    path += '.';
    for (std::size_t i = 1; i < pathParts.size(); ++i) {
        const PathPart& part = pathParts[i];
        if (part.isIndex || isAllDigits(part.text)) {
            if (path.back() == '.')
                path.pop_back();
            path += '[';
            if (part.isIndex)
                path += std::to_string(part.index);
            else
                path.append(part.text);
            path += "].";
        } else {
            path.append(part.text);
            path += '.';
        }
    }
    if (!path.empty() && path.back() == '.')
        path.pop_back();
}

void JsonPath::spendOnCopies(const std::vector<const Json::Value*>& hits)
{
    for (const Json::Value* hit : hits) {
        // Counting stops where the copy would exceed the budget anyway.
        const std::uint64_t budget = budgetSized ? workLimit : kMaxWork;
        const std::uint64_t left = budget > work ? (budget - work) / kCopyWork : 0;
        spendWork(kCopyWork * countNodes(*hit, left + 1));
    }
}

void JsonPath::spendWork(std::uint64_t units)
{
    work += units;
    if (work <= workLimit)
        return;
    if (!budgetSized)
        sizeBudget();
    if (work > workLimit)
        throw std::runtime_error("JSONPath query exceeded its work limit of "
                                 + std::to_string(workLimit) + " units");
}

// kWorkPerNode units per node of the tree, within kMinWork..kMaxWork. The
// count stops where the budget reaches kMaxWork and costs a unit a node.
void JsonPath::sizeBudget()
{
    budgetSized = true;
    const std::uint64_t nodes = countNodes(*queryRoot, kMaxWork / kWorkPerNode);
    workLimit = std::clamp(nodes * kWorkPerNode, kMinWork, kMaxWork);
    work += nodes;
}

} // namespace JSON
} // namespace KORVALIS
