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

    // Whatever arrived for this session and was not handled is dropped with it.
    jsonUtil->clearReceiveJSON();
    emit finishedReceiveTask();
}
