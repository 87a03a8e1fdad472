#include "ValueForm.h"

#include <QByteArray>

#include <cmath>
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
    // With a decimal point whatever locale the process runs under.
    return QByteArray::number(rounded, 'f', decimals).toStdString();
}

} // namespace devicesim
