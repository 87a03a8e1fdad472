#pragma once

#include <QThread>

class HTTPRequestUtil;
class JSONUtil;

// The poll thread: runs its own event loop with a timer that drives one
// HTTPRequestPoll step per tick. Ended with exit(0); the poll object and its
// transport are destroyed with the loop.
class HTTPRequestPollTask : public QThread
{
    Q_OBJECT

public:
    HTTPRequestPollTask(HTTPRequestUtil* httpRequestUtil, JSONUtil* jsonUtil, int intervalMs);
    int getIntervalMs() const { return intervalMs; }

protected:
    void run() override;

private:
    int intervalMs;
    HTTPRequestUtil* httpRequestUtil;
    JSONUtil* jsonUtil;
};
