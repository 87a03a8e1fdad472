#include "util/ReceiveJSONTask.h"

#include "util/JSONUtil.h"

#include <QThread>

ReceiveJSONTask::ReceiveJSONTask(JSONUtil* jsonUtil, int intervalMs, QObject* parent)
    : QObject(parent), stopped(false), intervalMs(intervalMs), jsonUtil(jsonUtil)
{
}

void ReceiveJSONTask::stop()
{
    stopped = true;
}

void ReceiveJSONTask::executeReceiveTask()
{
    do {
        Json::Value telegram;
        while (!stopped && jsonUtil->takeReceiveJSON(telegram))
            jsonUtil->handleReceiveJSON(telegram);
        QThread::msleep(static_cast<unsigned long>(qMax(0, intervalMs)));
    } while (!stopped);

    // The received list is left alone: a new session may already have put its
    // first answers there when this loop ends late. The start of every session
    // empties it before its threads run.
    emit finishedReceiveTask();
}
