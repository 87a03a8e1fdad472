#pragma once

#include <QObject>

#include <atomic>

class JSONUtil;

// The receive loop, run on a thread of its own: applies the received telegrams
// to the mirror one by one, in arrival order, then sleeps for the interval,
// until stop() is called. Telegrams still waiting then stay in the list; the
// next session's start empties it.
class ReceiveJSONTask : public QObject
{
    Q_OBJECT

public:
    ReceiveJSONTask(JSONUtil* jsonUtil, int intervalMs, QObject* parent = nullptr);

    // Ends the loop after the telegram in hand; safe from any thread, also
    // before the loop has started.
    void stop();

public slots:
    void executeReceiveTask();

signals:
    void finishedReceiveTask();

private:
    std::atomic<bool> stopped;
    int intervalMs;
    JSONUtil* jsonUtil;
};
