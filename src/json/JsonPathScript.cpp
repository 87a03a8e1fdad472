// Script steps "(...)": a nested path or the length expression.

#include "json/JsonPath.h"

#include <boost/lexical_cast.hpp>
#include <boost/regex.hpp>

#include <stdexcept>

namespace KORVALIS {
namespace JSON {

using namespace JsonPathDetail;

namespace {

const boost::regex& parenthesisRegex()
{
    static const boost::regex re(R"('?\('?|\)'?)", boost::regex::perl | boost::regex::no_mod_m);
    return re;
}

// Runs a nested path: hits go to nestedHits and the outer path is put aside.
class NestedScope
{
public:
    NestedScope(int& mode, std::vector<PathPart>& pathParts)
        : mode(mode), outerMode(mode), pathParts(pathParts)
    {
        outerPath.swap(pathParts);
        PathPart root;
        root.text = "$";
        pathParts.push_back(root);
        mode = 2;
    }
    ~NestedScope()
    {
        mode = outerMode;
        pathParts.swap(outerPath);
    }
    NestedScope(const NestedScope&) = delete;
    NestedScope& operator=(const NestedScope&) = delete;

private:
    int& mode;
    const int outerMode;
    std::vector<PathPart>& pathParts;
    std::vector<PathPart> outerPath;
};

} // namespace

// A nested path runs on the whole tree, so its key is the same on every node,
// and so is a length script's offset: each text is read once per query.
std::string JsonPath::evalScript(std::string_view script, const Json::Value& value)
{
    auto known = scripts.find(script);
    if (known == scripts.end()) {
        // The text goes through several regular expressions.
        spendWork(kScriptWork + kScriptCharWork * script.size());
        ScriptValue read = readScript(script);
        known = scripts.emplace(std::string(script), std::move(read)).first;
    }
    if (!known->second.length)
        return known->second.key;
    const long long size = value.size();
    return std::to_string(size - known->second.offset);
}

JsonPath::ScriptValue JsonPath::readScript(std::string_view script)
{
    std::string text(script);
    removeMatches(text, parenthesisRegex());

    ScriptValue read;
    if (!text.empty() && text.front() == '$') {
        if (++scriptDepth > kMaxScriptDepth) {
            --scriptDepth;
            throw std::runtime_error("JSONPath scripts nested deeper than "
                                     + std::to_string(kMaxScriptDepth) + " levels");
        }
        struct Leave { int& depth; ~Leave() { --depth; } } leave{scriptDepth};

        // The tree is unchanged for the whole query, so the nested path runs
        // on it directly.
        std::list<FilterTest> nestedFilters;
        const StepList steps = prepareSteps(text, nestedFilters);
        const std::size_t before = nestedHits.size();
        {
            const NestedScope nested(mode, pathParts);
            trace(steps, 0, *queryRoot);
        }
        if (nestedHits.size() > before)
            read.key = nestedHits.back()->asString();   // throws for an object or an array
        nestedHits.resize(before);
        return read;
    }

    const std::vector<std::string> tokens = tokenize(text);
    if (tokens.size() == 4 && tokens[0] == "@" && tokens[1] == "length" && tokens[2] == "-") {
        read.length = true;
        read.offset = boost::lexical_cast<int>(tokens[3]);
        return read;
    }
    throw std::invalid_argument("Invalid Argument/Not Supported: " + text);
}

} // namespace JSON
} // namespace KORVALIS
