#include "util/HTTPRequestPollTask.h"

#include "util/HTTPRequestPoll.h"

#include <QTimer>

HTTPRequestPollTask::HTTPRequestPollTask(HTTPRequestUtil* httpRequestUtil, JSONUtil* jsonUtil, int intervalMs)
    : QThread(nullptr), intervalMs(intervalMs), httpRequestUtil(httpRequestUtil), jsonUtil(jsonUtil)
{
}

void HTTPRequestPollTask::run()
{
    // Created here, so both live in the poll thread.
    QTimer timer;
    HTTPRequestPoll poll(httpRequestUtil, jsonUtil);
    connect(&timer, SIGNAL(timeout()), &poll, SLOT(poll()));
    timer.start(intervalMs);
    exec();
}
