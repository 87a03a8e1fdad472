#include "common/Measure.h"

#include <QDateTime>

Measure::Measure() = default;

Measure::Measure(const QString& name, const int& id, const qint64& start, const qint64& stop)
    : name(name), id(id), start(start), stop(stop)
{
}

Measure::Measure(const QString& name, const int& id, const qint64& start, const qint64& stop, const double& size,
                 const QString& unit)
    : name(name), id(id), start(start), stop(stop), size(size), unit(unit)
{
}

Measure::Measure(const QString& name, const int& id, const qint64& start, const qint64& stop, const double& size,
                 const QString& unit, const int& destinationId)
    : name(name), id(id), destinationId(destinationId), start(start), stop(stop), size(size), unit(unit)
{
}

QString Measure::getStartText(const QString& format) const
{
    return QDateTime::fromMSecsSinceEpoch(start).toString(format);
}

QString Measure::getPeriodText(const QString& format, const QString& separator) const
{
    return getStartText(format) + QLatin1Char(' ') + separator + QLatin1Char(' ')
           + QDateTime::fromMSecsSinceEpoch(stop).toString(format);
}

QString Measure::getSizeText() const
{
    return QString::number(size, 'f', 2) + QLatin1Char(' ') + unit;
}

bool measureLessThan(const Measure& a, const Measure& b)
{
    return a.getStart() < b.getStart();
}
