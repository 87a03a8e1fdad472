#pragma once

#include "common/CharacteristicLine.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVector>
#include <QtGlobal>

// One measurement on the instrument: a recording in its memory ($.MEM.MTAB),
// an exported file ($.EXP.MTAB) or the running measurement. Times are
// milliseconds since the epoch; copied by value everywhere.
class Measure
{
public:
    Measure();
    // The running measurement.
    Measure(const QString& name, const int& id, const qint64& start, const qint64& stop);
    // A recording.
    Measure(const QString& name, const int& id, const qint64& start, const qint64& stop, const double& size,
            const QString& unit);
    // An exported file.
    Measure(const QString& name, const int& id, const qint64& start, const qint64& stop, const double& size,
            const QString& unit, const int& destinationId);

    int getId() const { return id; }
    QString getName() const { return name; }
    qint64 getStart() const { return start; }
    qint64 getStop() const { return stop; }
    double getSize() const { return size; }
    QString getUnit() const { return unit; }
    int getDestinationId() const { return destinationId; }
    void setSize(const double& value) { size = value; }
    void setUnit(const QString& value) { unit = value; }

    QList<CharacteristicLine> getChannels() const { return channels; }
    void addChannel(const CharacteristicLine& channel) { channels.append(channel); }

    // Local time in the Qt date-time format.
    QString getStartText(const QString& format) const;
    // "start - stop" with the separator between blanks; both local.
    QString getPeriodText(const QString& format, const QString& separator) const;
    // The size with two decimals, a blank, the unit.
    QString getSizeText() const;

private:
    QString name;
    int id = 0;
    int destinationId = 0;
    qint64 start = 0;
    qint64 stop = 0;
    double size = 0.0;
    QString unit;
    QList<CharacteristicLine> channels;
};

// Ascending by start time.
bool measureLessThan(const Measure& a, const Measure& b);

Q_DECLARE_METATYPE(Measure)
Q_DECLARE_METATYPE(QVector<Measure>)
