#include "ValueForm.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace devicesim {

int decimalsOf(const Json::Value& value)
{
    if (!value.isString())
        return 2;
    const std::string text = value.asString();
    const auto point = text.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

Json::Value inFormOf(const Json::Value& like, double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale + 0.0;   // + 0.0 turns -0 into 0
    if (!like.isString())
        return rounded;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, rounded);
    return text;
}

} // namespace devicesim
