#pragma once

#include <json/json.h>

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

class JSONUtil;
class MeasureDisplayUtil;

// Builds the measured-value display's channel list (concrete paths and
// names of the channels the display path selects) on the util's thread.
//
// A build works on a copy of its inputs taken under the mutex when it was
// requested, and hands its result to the util under the same mutex before
// it clears working: once isWorking() is false the result is there.
class MeasureDisplayUtilGetTableDataWorker : public QObject
{
    Q_OBJECT

public:
    MeasureDisplayUtilGetTableDataWorker(MeasureDisplayUtil* util, JSONUtil* jsonUtil);

    // Starts a build of displayPath, naming channels by descriptionWays;
    // false (nothing started) while one runs. generation is handed back with
    // the result, so the util can drop a result of an earlier session.
    bool requestWork(const QString& displayPath, const QStringList& descriptionWays, quint64 generation);
    bool isWorking();
    // Ends a running build without a result.
    void abort();
    // Guards the worker's state and the util's channel list.
    QMutex& mutex() { return lock; }

    // A channel's name: its description parts that are strings, each followed by a blank.
    static QString channelName(const Json::Value& channel, const QStringList& descriptionWays);

signals:
    void workRequested();
    void finished();

public slots:
    void doWork();

private:
    bool isAborted();

    QMutex lock;   // non-recursive
    bool working = false;
    bool aborted = false;
    QString displayPath;
    QStringList descriptionWays;
    quint64 generation = 0;
    MeasureDisplayUtil* util;
    JSONUtil* jsonUtil;
};
