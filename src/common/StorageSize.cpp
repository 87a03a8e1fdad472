#include "common/StorageSize.h"

namespace StorageSize {

bool bytesPerUnit(const QString& unit, double& bytes)
{
    static const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
    const QString key = unit.trimmed().toUpper();
    double factor = 1.0;
    for (const char* name : units) {
        if (key == QLatin1String(name)) {
            bytes = factor;
            return true;
        }
        factor *= 1024.0;
    }
    return false;
}

bool convert(double value, const QString& from, const QString& to, double& result)
{
    if (from == to) {
        result = value;
        return true;
    }
    double fromBytes = 0.0;
    double toBytes = 0.0;
    if (!bytesPerUnit(from, fromBytes) || !bytesPerUnit(to, toBytes))
        return false;
    result = value * fromBytes / toBytes;
    return true;
}

} // namespace StorageSize
