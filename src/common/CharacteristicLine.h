#pragma once

#include "common/ChartPoints.h"

#include <QMetaType>
#include <QString>

// One channel of a measurement and, at the same time, one block of that
// channel's chart points. Built from the measurement state (attribute -1,
// source 1, no points), from a chart data block (no unit or designation)
// and from the stored-measurement list.
class CharacteristicLine
{
public:
    CharacteristicLine();
    CharacteristicLine(const QString& file, const QString& channel, const QString& dimension,
                       const QString& designation, const int& measureId, int source, int attribute);
    CharacteristicLine(const QString& file, const QString& channel, const int& measureId, int source, int attribute);

    QString getFile() const { return file; }
    QString getChannel() const { return channel; }
    QString getDimension() const { return dimension; }
    QString getDesignation() const { return designation; }
    int getAttribute() const { return attribute; }
    void setAttribute(const int& value) { attribute = value; }
    int getMeasureId() const { return measureId; }
    int getSource() const { return source; }
    int getGraphIndex() const { return graphIndex; }
    void setGraphIndex(int value) { graphIndex = value; }

    // Sorted by time, one value per time.
    ChartPoints getPoints() const { return points; }
    const ChartPoints& pointsRef() const { return points; }
    // Replaces the points; they are sorted and a later point of the same time wins.
    void setPoints(const ChartPoints& value);
    void setPoints(ChartPoints&& value);

private:
    QString file;
    QString channel;
    QString dimension;
    QString designation;
    int attribute = -1;
    int measureId = 0;
    int source = 0;
    ChartPoints points;
    int graphIndex = -1;
};

Q_DECLARE_METATYPE(CharacteristicLine)
