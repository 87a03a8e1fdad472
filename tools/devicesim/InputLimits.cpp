#include "InputLimits.h"

#include "JsonText.h"
#include "SecretMask.h"

#include <QtGlobal>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <regex>

namespace devicesim {

namespace {

const std::string valueSuffix = ".VAL";

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
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
    const std::string text = value.asString();
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE || !std::isfinite(parsed))
        return false;
    while (*end == ' ')
        ++end;
    if (*end != '\0')
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

bool InputLimits::admitShape(DeviceTree& tree, const std::string& path, const Json::Value& value,
                             std::string& reason)
{
    bool exists = false;
    const Json::Value current = tree.valueAt(path, &exists);
    if (exists && current.isObject() && !value.isObject()) {
        reason = "the object node would become " + SecretMask::logText(value);
        return false;
    }
    if (!endsWith(path, valueSuffix))
        return true;
    const Json::Value pattern = tree.valueAt(path.substr(0, path.size() - valueSuffix.size()) + ".INP.REGX");
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
    reason = SecretMask::logText(value) + " does not match \"" + pattern.asString() + "\"";
    return false;
}

bool InputLimits::admit(DeviceTree& tree, const std::string& path, Json::Value& value, std::string& reason)
{
    bool exists = false;
    const Json::Value current = tree.valueAt(path, &exists);

    double number = 0;
    const bool numeric = toNumber(value, number);
    if (exists && current.isNumeric() && !current.isBool() && value.isString()) {
        if (!numeric) {
            reason = "\"" + value.asString() + "\" is not a number";
            return false;
        }
        const bool integerNode = current.type() == Json::intValue || current.type() == Json::uintValue;
        const bool integral = (integerNode && number == std::floor(number) && std::fabs(number) < 9.0e18);
        value = integral ? Json::Value(Json::Int64(number)) : Json::Value(number);
    }

    if (!endsWith(path, valueSuffix) || value.isNull())
        return true;
    const std::string entry = path.substr(0, path.size() - valueSuffix.size());
    const Json::Value input = tree.valueAt(entry + ".INP");
    if (!input.isObject())
        return true;
    double minimum = 0;
    double maximum = 0;
    const bool hasMinimum = limit(tree, input["MIN"], minimum);
    const bool hasMaximum = limit(tree, input["MAX"], maximum);
    if (!hasMinimum && !hasMaximum)
        return true;
    if (!numeric) {
        reason = SecretMask::logText(value) + " is not a number, the entry has limits";
        return false;
    }
    if ((hasMinimum && number < minimum) || (hasMaximum && number > maximum)) {
        reason = SecretMask::logText(value) + " is outside the limits " + toCompactText(input["MIN"]) + " ... "
                 + toCompactText(input["MAX"]);
        return false;
    }
    return true;
}

} // namespace devicesim
