// Filter steps "?(@.NAME op operand)" and "?(@.NAME)".

#include "json/JsonPath.h"

#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <locale>

namespace KORVALIS {
namespace JSON {

using namespace JsonPathDetail;

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view unquote(std::string_view text)
{
    if (text.size() >= 2 && (text.front() == '\'' || text.front() == '"') && text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

// Byte-wise comparison of the upper-cased text with an upper-cased operand.
int compareUpper(const std::ctype<char>& ctype, std::string_view text, std::string_view upperOperand)
{
    // Upper-case in one call; short texts (the usual names) need no heap.
    char shortText[64];
    std::string longText;
    char* upper = shortText;
    if (text.size() > sizeof(shortText)) {
        longText.resize(text.size());
        upper = &longText[0];
    }
    std::copy(text.begin(), text.end(), upper);
    ctype.toupper(upper, upper + text.size());
    const int order = std::string_view(upper, text.size()).compare(upperOperand);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

template <typename T>
bool applyOperator(FilterOp op, const T& left, const T& right)
{
    switch (op) {
    case FilterOp::Equal: return left == right;
    case FilterOp::NotEqual: return left != right;
    case FilterOp::Less: return left < right;
    case FilterOp::Greater: return left > right;
    case FilterOp::LessEqual: return left <= right;
    case FilterOp::GreaterEqual: return left >= right;
    case FilterOp::None:
    case FilterOp::Has:
        break;
    }
    return false;
}

} // namespace

FilterTest JsonPathDetail::parseFilter(std::string_view step)
{
    FilterTest filter;
    const std::string_view body = trim(step.substr(2, step.size() - 3));
    if (body.size() < 2 || body[0] != '@' || body[1] != '.')
        return filter;

    std::size_t end = 2;
    while (end < body.size() && !isBlank(body[end]) && body[end] != '=' && body[end] != '<' && body[end] != '>')
        ++end;
    filter.member = std::string(body.substr(2, end - 2));

    const std::string_view rest = trim(body.substr(end));
    if (rest.empty()) {
        filter.op = FilterOp::Has;
        return filter;
    }
    // Two-character operators first, so "<=" is not read as "<" and "=...".
    static const std::pair<std::string_view, FilterOp> operators[] = {
        {"==", FilterOp::Equal},      {"<>", FilterOp::NotEqual}, {"<=", FilterOp::LessEqual},
        {">=", FilterOp::GreaterEqual}, {"<", FilterOp::Less},    {">", FilterOp::Greater}};
    for (const auto& [text, op] : operators) {
        if (rest.substr(0, text.size()) == text) {
            filter.op = op;
            filter.operand = std::string(unquote(trim(rest.substr(text.size()))));
            filter.upperOperand = filter.operand;
            const std::locale locale;
            std::use_facet<std::ctype<char>>(locale).toupper(&filter.upperOperand[0],
                                                            &filter.upperOperand[0] + filter.upperOperand.size());
            return filter;
        }
    }
    return filter;   // no known operator: selects nothing
}

bool JsonPath::evalFilter(const FilterTest& filter, const Json::Value& value)
{
    if (filter.op == FilterOp::None)
        return false;
    // jsoncpp's find fails on an element that is neither an object nor null.
    const char* name = filter.member.data();
    const Json::Value* field = value.find(name, name + filter.member.size());
    if (filter.op == FilterOp::Has)
        return field != nullptr;
    return compare(field ? *field : Json::Value::nullSingleton(), filter);
}

bool JsonPath::compare(const Json::Value& field, const FilterTest& filter)
{
    switch (field.type()) {
    case Json::intValue:
    case Json::uintValue:
    case Json::realValue:
        if (!filter.numberRead) {
            filter.numericOperand = boost::lexical_cast<double>(filter.operand);
            filter.numberRead = true;
        }
        return applyOperator(filter.op, field.asDouble(), filter.numericOperand);
    case Json::stringValue: {
        const char* begin = nullptr;
        const char* end = nullptr;
        field.getString(&begin, &end);
        const std::string_view text(begin, static_cast<std::size_t>(end - begin));
        spendWork(text.size() / kTextBytesPerWork);   // copied and upper-cased
        return applyOperator(filter.op, compareUpper(textCase, text, filter.upperOperand), 0);
    }
    case Json::booleanValue:
        return applyOperator(filter.op, compareUpper(textCase, field.asBool() ? "true" : "false", filter.upperOperand), 0);
    case Json::nullValue:
        return applyOperator(filter.op, compareUpper(textCase, "", filter.upperOperand), 0);
    default:
        // An object or an array has no text: jsoncpp's conversion fails.
        return applyOperator(filter.op, compareUpper(textCase, field.asString(), filter.upperOperand), 0);
    }
}

} // namespace JSON
} // namespace KORVALIS
