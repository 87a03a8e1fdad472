#include "common/ExportDestination.h"

#include <cmath>

ExportDestination::ExportDestination(int id, const QString& uncPath, const QString& deviceText,
                                     const int& deviceTextId, double available, const QString& unit, double factor,
                                     bool sizeValid)
    : id(id),
      uncPath(uncPath),
      deviceText(deviceText),
      deviceTextId(deviceTextId),
      sizeValid(sizeValid),
      available(std::isfinite(available) && available > 0.0 ? available : 0.0),
      factor(factor),
      unit(unit)
{
}

QString ExportDestination::getAvailableText() const
{
    return QString::number(available, 'f', 2) + QLatin1Char(' ') + unit;
}
