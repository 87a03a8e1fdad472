// Turning an expression into steps: normalisation, tokens and step kinds.

#include "json/JsonPath.h"

#include <boost/regex.hpp>

#include <stdexcept>

namespace KORVALIS {
namespace JSON {

using namespace JsonPathDetail;

namespace {

// Perl syntax with ^ and $ at the ends of the text, as Perl has them.
constexpr auto kSyntax = boost::regex::perl | boost::regex::no_mod_m;

const boost::regex& subExpressionRegex()
{
    static const boost::regex re(R"([\['](\??\(.*?\))[\]'])", kSyntax);
    return re;
}

const boost::regex& separatorRegex()
{
    static const boost::regex re(R"('?\.'?|\['?)", kSyntax);
    return re;
}

const boost::regex& doubleSeparatorRegex()
{
    static const boost::regex re(R"(;;;|;;)", kSyntax);
    return re;
}

const boost::regex& closingRegex()
{
    static const boost::regex re(R"(;$|'?\]|'$)", kSyntax);
    return re;
}

const boost::regex& markerRegex()
{
    static const boost::regex re(R"(#([0-9]+))", kSyntax);
    return re;
}

const boost::regex& rootMarkerRegex()
{
    static const boost::regex re(R"('?\$;'?)", kSyntax);
    return re;
}

const boost::regex& tokenRegex()
{
    static const boost::regex re(
        R"(((((?<=[-+*/(])|(?<=^))-)?\d+(\.\d+)?)|(\$[a-zA-Z][a-zA-Z0-9]*)|([a-zA-Z][a-zA-Z0-9]+|[-*/+|?:@&^<>'`=%#])|([()]))",
        kSyntax);
    return re;
}

// Skips an optional '-' (when allowed) and the digits after it.
std::size_t skipNumber(std::string_view text, std::size_t at, bool sign)
{
    if (sign && at < text.size() && text[at] == '-')
        ++at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    return at;
}

} // namespace

// One pass over the text: unions of long keys recognise every member as a
// slice or not on each node they meet.
bool JsonPathDetail::isSliceText(std::string_view text)
{
    std::size_t at = skipNumber(text, 0, true);
    if (at == text.size() || text[at] != ':')
        return false;
    at = skipNumber(text, at + 1, true);
    if (at < text.size() && text[at] == ':')
        at = skipNumber(text, at + 1, false);
    return at == text.size();
}

std::vector<std::string_view> JsonPathDetail::splitSteps(std::string_view text)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(';', start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

bool JsonPathDetail::isAllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::string& JsonPath::normalize(std::string& expression)
{
    // Sub-expressions are restored only into the text they were taken from,
    // so a marker inside a restored script never reaches an older list.
    subExpressions->clear();
    expression = boost::regex_replace(expression, subExpressionRegex(),
                                      [this](const boost::smatch& m) { return saveSubExpression(m); });
    expression = boost::regex_replace(expression, separatorRegex(), ";");
    expression = boost::regex_replace(expression, doubleSeparatorRegex(), ";..;");
    expression = boost::regex_replace(expression, closingRegex(), "");
    expression = boost::regex_replace(expression, markerRegex(),
                                      [this](const boost::smatch& m) { return restoreSubExpression(m); });
    return expression;
}

std::string JsonPath::saveSubExpression(const boost::smatch& match)
{
    subExpressions->push_back(match.str(1));
    return "[#" + std::to_string(subExpressions->size() - 1) + "]";
}

std::string JsonPath::restoreSubExpression(const boost::smatch& match)
{
    std::size_t index = 0;
    for (const char c : match.str(1)) {
        if (index > subExpressions->size())
            break;   // already out of range; also keeps the number from overflowing
        index = index * 10 + static_cast<std::size_t>(c - '0');
    }
    if (index >= subExpressions->size())
        throw std::out_of_range("JSONPath: no sub-expression #" + match.str(1));
    return (*subExpressions)[index];
}

void JsonPath::removeMatches(std::string& text, const boost::regex& pattern)
{
    text = boost::regex_replace(text, pattern, "");
}

std::vector<std::string> JsonPath::tokenize(const std::string& text)
{
    std::vector<std::string> tokens;
    const boost::sregex_iterator end;
    for (boost::sregex_iterator it(text.begin(), text.end(), tokenRegex()); it != end; ++it)
        tokens.push_back(it->str());
    return tokens;
}

JsonPath::StepList JsonPath::prepareSteps(std::string& expression, std::list<FilterTest>& filterStore)
{
    if (expression.size() > kMaxExpressionLength)
        throw std::length_error("JSONPath expression longer than "
                                + std::to_string(kMaxExpressionLength) + " characters");
    normalize(expression);
    removeMatches(expression, rootMarkerRegex());
    // Restoring repeated markers could inflate the text.
    if (expression.size() > 2 * kMaxExpressionLength)
        throw std::length_error("JSONPath expression too long after normalisation");

    const std::vector<std::string_view> parts = splitSteps(expression);
    if (parts.size() > kMaxSteps)
        throw std::length_error("JSONPath expression with more than "
                                + std::to_string(kMaxSteps) + " steps");
    StepList steps;
    steps.reserve(parts.size());
    appendSteps(parts, filterStore, steps);
    return steps;
}

void JsonPath::appendSteps(const std::vector<std::string_view>& parts,
                           std::list<FilterTest>& filterStore, StepList& steps)
{
    for (const std::string_view part : parts) {
        FilterTest filter;
        Step step = classify(part, filter);
        if (step.kind == StepKind::Filter) {
            filterStore.push_back(std::move(filter));
            step.filter = &filterStore.back();
        }
        steps.push_back(step);
    }
}

JsonPath::Step JsonPath::classify(std::string_view text, FilterTest& storage)
{
    Step step;
    step.text = text;
    step.digits = isAllDigits(text);
    if (step.digits)
        step.kind = StepKind::Name;
    else if (text.empty())
        step.kind = StepKind::Empty;
    else if (text == "*")
        step.kind = StepKind::Star;
    else if (text == "..")
        step.kind = StepKind::Descend;
    else if (text.size() > 2 && text.front() == '(' && text.back() == ')')
        step.kind = StepKind::Script;
    else if (text.size() > 3 && text[0] == '?' && text[1] == '(' && text.back() == ')') {
        step.kind = StepKind::Filter;
        storage = parseFilter(text);
        step.filter = &storage;
    } else if (text.find(':') != std::string_view::npos && isSliceText(text))
        step.kind = StepKind::Slice;
    else if (text.find(',') != std::string_view::npos)
        step.kind = StepKind::Union;
    else
        step.kind = StepKind::Name;
    return step;
}

} // namespace JSON
} // namespace KORVALIS
