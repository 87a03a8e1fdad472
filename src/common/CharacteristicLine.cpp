#include "common/CharacteristicLine.h"

#include <utility>

CharacteristicLine::CharacteristicLine() = default;

CharacteristicLine::CharacteristicLine(const QString& file, const QString& channel, const QString& dimension,
                                       const QString& designation, const int& measureId, int source, int attribute)
    : file(file),
      channel(channel),
      dimension(dimension),
      designation(designation),
      attribute(attribute),
      measureId(measureId),
      source(source)
{
}

CharacteristicLine::CharacteristicLine(const QString& file, const QString& channel, const int& measureId, int source,
                                       int attribute)
    : CharacteristicLine(file, channel, QString(), QString(), measureId, source, attribute)
{
}

void CharacteristicLine::setPoints(const ChartPoints& value)
{
    points = value;
    normalizeChartPoints(points);
}

void CharacteristicLine::setPoints(ChartPoints&& value)
{
    points = std::move(value);
    normalizeChartPoints(points);
}
