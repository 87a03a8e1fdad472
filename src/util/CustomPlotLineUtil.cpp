#include "util/CustomPlotLineUtil.h"

#include <QMutexLocker>

CustomPlotLineUtil::CustomPlotLineUtil(CustomPlotLine* owner, QObject* parent)
    : QObject(parent), owner(owner)
{
}

void CustomPlotLineUtil::addChartData(const Json::Value& memArray)
{
    QMutexLocker locker(&queueMutex);
    pending.append(memArray);
}

QList<Json::Value> CustomPlotLineUtil::takePending()
{
    QMutexLocker locker(&queueMutex);
    QList<Json::Value> taken;
    taken.swap(pending);
    return taken;
}
