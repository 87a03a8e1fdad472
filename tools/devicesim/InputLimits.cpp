#include "InputLimits.h"

#include "JsonText.h"
#include "SecretMask.h"

#include <QByteArray>
#include <QtGlobal>

#include <cmath>
#include <regex>
#include <vector>

namespace devicesim {

namespace {

const std::string valueSuffix = ".VAL";

const char* const tableDescriptions = "$.DISP";

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// True when value is a text matching pattern as a whole; a pattern that is no
// text, or no regular expression, lets everything through.
bool matches(const Json::Value& pattern, const Json::Value& value, const std::string& path, ValueRefusal& refusal)
{
    if (!pattern.isString())
        return true;
    try {
        if (value.isString() && std::regex_match(value.asString(), std::regex(pattern.asString())))
            return true;
    } catch (const std::regex_error&) {
        qWarning("The pattern \"%s\" of \"%s\" is no regular expression; not checked", pattern.asCString(),
                 path.c_str());
        return true;
    }
    refusal = ValueRefusal::invalid(SecretMask::logText(value) + " does not match \"" + pattern.asString() + "\"");
    return false;
}

// Adds the "INP" of every table column below node whose "PATH" has the pattern.
void collectColumnInputs(const Json::Value& node, const std::string& pattern, std::vector<const Json::Value*>& inputs)
{
    if (!node.isObject() && !node.isArray())
        return;
    if (node.isObject() && node["TD"].isArray()) {
        for (const Json::Value& column : node["TD"]) {
            if (column.isObject() && column["PATH"].isString() && column["INP"].isObject()
                && DeviceTree::patternOf(column["PATH"].asString()) == pattern)
                inputs.push_back(&column["INP"]);
        }
    }
    for (const Json::Value& child : node)
        collectColumnInputs(child, pattern, inputs);
}

} // namespace

bool InputLimits::toNumber(const Json::Value& value, double& number)
{
    if (value.isNumeric() && !value.isBool()) {
        number = value.asDouble();
        return true;
    }
    if (!value.isString())
        return false;
    // Read in the C locale whatever locale the process runs under: the device
    // writes a decimal point. Blanks around the number are allowed.
    const QByteArray text = QByteArray::fromStdString(value.asString()).trimmed();
    bool ok = false;
    const double parsed = text.toDouble(&ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    number = parsed;
    return true;
}

bool InputLimits::limit(DeviceTree& tree, const Json::Value& node, double& number)
{
    if (node.isObject() && node["PATH"].isString()) {
        std::vector<DeviceTree::Hit> hits;
        if (!tree.find(node["PATH"].asString(), hits) || hits.size() != 1)
            return false;
        return toNumber(hits.front().value, number);
    }
    return toNumber(node, number);
}

bool InputLimits::withinLimits(DeviceTree& tree, const Json::Value& input, const Json::Value& value,
                               ValueRefusal& refusal)
{
    if (!input.isObject())
        return true;
    double minimum = 0;
    double maximum = 0;
    const bool hasMinimum = limit(tree, input["MIN"], minimum);
    const bool hasMaximum = limit(tree, input["MAX"], maximum);
    if (!hasMinimum && !hasMaximum)
        return true;
    double number = 0;
    if (!toNumber(value, number)) {
        refusal = ValueRefusal::invalid(SecretMask::logText(value) + " is not a number, the input has limits");
        return false;
    }
    if ((hasMinimum && number < minimum) || (hasMaximum && number > maximum)) {
        refusal = ValueRefusal::outOfRange(SecretMask::logText(value) + " is outside the limits "
                                               + toCompactText(input["MIN"]) + " ... " + toCompactText(input["MAX"]),
                                           hasMinimum ? &minimum : nullptr, hasMaximum ? &maximum : nullptr);
        return false;
    }
    return true;
}

bool InputLimits::fitsEntry(DeviceTree& tree, const std::string& path, const Json::Value& value,
                            ValueRefusal& refusal)
{
    if (!endsWith(path, valueSuffix))
        return true;
    const Json::Value input = tree.valueAt(path.substr(0, path.size() - valueSuffix.size()) + ".INP");
    return withinLimits(tree, input, value, refusal) && matches(memberOf(input, "REGX"), value, path, refusal);
}

bool InputLimits::fitsColumns(DeviceTree& tree, const std::string& path, const Json::Value& value,
                              ValueRefusal& refusal)
{
    const Json::Value descriptions = tree.valueAt(tableDescriptions);
    std::vector<const Json::Value*> inputs;
    collectColumnInputs(descriptions, DeviceTree::patternOf(path), inputs);
    for (const Json::Value* input : inputs) {
        if (!withinLimits(tree, *input, value, refusal) || !matches((*input)["REGX"], value, path, refusal))
            return false;
    }
    return true;
}

bool InputLimits::keepsShape(DeviceTree& tree, const std::string& path, const Json::Value& value,
                             std::string& reason)
{
    bool exists = false;
    const Json::Value current = tree.valueAt(path, &exists);
    if (exists && current.isObject() && !value.isObject()) {
        reason = "the object node would become " + SecretMask::logText(value);
        return false;
    }
    return true;
}

bool InputLimits::admit(DeviceTree& tree, const std::string& path, Json::Value& value, ValueRefusal& refusal)
{
    bool exists = false;
    const Json::Value current = tree.valueAt(path, &exists);
    if (value.isNull()) {
        if (!exists || !(current.isNumeric() || current.isString() || current.isBool()))
            return true;
        refusal = ValueRefusal::invalid("null would empty a setting");
        return false;
    }

    if (exists && current.isNumeric() && !current.isBool() && value.isString()) {
        double number = 0;
        if (!toNumber(value, number)) {
            refusal = ValueRefusal::invalid("\"" + value.asString() + "\" is not a number");
            return false;
        }
        const bool integerNode = current.type() == Json::intValue || current.type() == Json::uintValue;
        const bool integral = (integerNode && number == std::floor(number) && std::fabs(number) < 9.0e18);
        value = integral ? Json::Value(Json::Int64(number)) : Json::Value(number);
    }

    return fitsEntry(tree, path, value, refusal) && fitsColumns(tree, path, value, refusal);
}

} // namespace devicesim
