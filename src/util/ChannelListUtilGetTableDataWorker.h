#pragma once

#include "common/TableStructure.h"
#include "util/ChannelListUtilRows.h"

#include <QMutex>
#include <QObject>

#include <functional>

class JSONUtil;

// Builds the channel list's rows on the thread it is moved to. A build works
// on the input handed over with its request; a request made while a build
// runs is kept (the newest one) and built once right after it, so no request
// is lost and a burst of them costs one extra build.
//
// Protocol (ChannelListUtil::requestTableData): takeRequest under the mutex;
// when it returns true the caller starts the thread (workRequested), whose
// started() runs doWork(); finished() ends the thread.
class ChannelListUtilGetTableDataWorker : public QObject
{
    Q_OBJECT

public:
    explicit ChannelListUtilGetTableDataWorker(JSONUtil* jsonUtil);

    // Idle: the worker is working from now on with input; true, the caller
    // starts the thread. Busy: input replaces the one kept for the next build; false.
    bool takeRequest(const ChannelListBuildInput& input);
    // Stops a running build before its next channel; neither its rows nor the
    // build kept for after it are published.
    void abort();
    bool isWorking();

    // One build, on the calling thread: a row for every channel object at the
    // input's display path, until aborted returns true. refused tells whether
    // the path evaluator refused the display path.
    static TableStructure buildTable(JSONUtil* jsonUtil, const ChannelListBuildInput& input,
                                     const std::function<bool()>& aborted, bool* refused = nullptr);

signals:
    void workRequested();
    // The rows of one build that was not aborted.
    void tableBuilt(TableStructure table, quint64 session);
    // Before tableBuilt: the build's display path was refused.
    void displayPathRefused(QString path);
    void finished();

public slots:
    void doWork();

private:
    bool isAborting();

    QMutex mutex;                    // guards everything below
    bool working = false;
    bool aborting = false;
    bool rerun = false;              // next holds a request made during the build
    ChannelListBuildInput input;     // of the build the thread starts with
    ChannelListBuildInput next;
    JSONUtil* const jsonUtil;        // not owned
};
