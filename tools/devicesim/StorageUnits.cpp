#include "StorageUnits.h"

#include "JsonText.h"

#include <cctype>
#include <cmath>

namespace devicesim {

bool StorageUnits::bytesPer(const std::string& unit, double& bytes)
{
    std::string upper;
    for (const char c : unit)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
    double factor = 1;
    for (const char* known : units) {
        if (upper == known) {
            bytes = factor;
            return true;
        }
        factor *= 1024;
    }
    return false;
}

bool StorageUnits::bytesOf(const Json::Value& size, double& bytes)
{
    const Json::Value& value = memberOf(size, "VAL");
    double perUnit = 0;
    if (!value.isNumeric() || !std::isfinite(value.asDouble()) || !bytesPer(unitOf(size), perUnit))
        return false;
    bytes = value.asDouble() * perUnit;
    return true;
}

std::string StorageUnits::unitOf(const Json::Value& size)
{
    const Json::Value& unit = memberAt(size, {"DIM", "T"});
    return unit.isString() ? unit.asString() : std::string();
}

double StorageUnits::rounded(double value)
{
    return std::round(value * 1000.0) / 1000.0;
}

} // namespace devicesim
