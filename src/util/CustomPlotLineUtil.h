#pragma once

#include <json/json.h>

#include <QList>
#include <QMutex>
#include <QObject>

class CustomPlotLine;

// The line chart's data feed. Chart telegrams ("INST" "SET" "MEM") arrive here
// from the device link's receive thread and wait in a queue for the chart.
class CustomPlotLineUtil : public QObject
{
    Q_OBJECT

public:
    explicit CustomPlotLineUtil(CustomPlotLine* owner, QObject* parent = nullptr);

    // Queues a copy of one non-empty "MEM" array; safe from any thread.
    void addChartData(const Json::Value& memArray);
    // Hands over every queued array, oldest first, and leaves the queue empty.
    QList<Json::Value> takePending();

private:
    [[maybe_unused]] CustomPlotLine* owner;
    QMutex queueMutex;            // guards pending
    QList<Json::Value> pending;
};
