#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>

// A running or stored measurement. Times are milliseconds since the epoch.
class Measure
{
public:
    qint64 getStart() const { return start; }
    void setStart(qint64 ms) { start = ms; }
    qint64 getStop() const { return stop; }
    void setStop(qint64 ms) { stop = ms; }
    QString getFileName() const { return fileName; }
    void setFileName(const QString& name) { fileName = name; }
    int getId() const { return id; }
    void setId(int value) { id = value; }

private:
    QString fileName;
    int id = -1;
    qint64 start = 0;
    qint64 stop = 0;
};

Q_DECLARE_METATYPE(Measure)
