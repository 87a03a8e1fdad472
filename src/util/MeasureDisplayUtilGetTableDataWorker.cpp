#include "util/MeasureDisplayUtilGetTableDataWorker.h"

#include "common/AnnotatedLocks.h"
#include "common/CommonJSONUtil.h"
#include "util/JSONUtil.h"
#include "util/MeasureDisplayUtil.h"


namespace {
// Stands in the result list before a query; no hit can be this very text.
const char* const REFUSED_MARK = "\x01MeasureDisplayUtil: query refused";
}

MeasureDisplayUtilGetTableDataWorker::MeasureDisplayUtilGetTableDataWorker(MeasureDisplayUtil* owner, JSONUtil* json)
    : QObject(nullptr), util(owner), jsonUtil(json)
{
}

bool MeasureDisplayUtilGetTableDataWorker::requestWork(const QString& path, const QStringList& ways,
                                                       quint64 buildGeneration)
{
    {
        AnnotatedMutexLocker locker(&lock);
        if (working)
            return false;
        working = true;
        aborted = false;
        displayPath = path;
        descriptionWays = ways;
        generation = buildGeneration;
    }
    emit workRequested();
    return true;
}

bool MeasureDisplayUtilGetTableDataWorker::isWorking()
{
    AnnotatedMutexLocker locker(&lock);
    return working;
}

void MeasureDisplayUtilGetTableDataWorker::abort()
{
    AnnotatedMutexLocker locker(&lock);
    if (working)
        aborted = true;
}

bool MeasureDisplayUtilGetTableDataWorker::isAborted()
{
    AnnotatedMutexLocker locker(&lock);
    return aborted;
}

QString MeasureDisplayUtilGetTableDataWorker::channelName(const Json::Value& channel, const QStringList& ways)
{
    QString name;
    for (const QString& way : ways) {
        Json::Value part;
        if (CommonJSONUtil::getValueByKeyPath(channel, part, way) && part.isString())
            name += QString::fromStdString(part.asString()) + QLatin1Char(' ');
    }
    return name;
}

void MeasureDisplayUtilGetTableDataWorker::doWork()
{
    QString path;
    QStringList ways;
    quint64 buildGeneration = 0;
    {
        AnnotatedMutexLocker locker(&lock);
        path = displayPath;
        ways = descriptionWays;
        buildGeneration = generation;
    }

    QVector<QString> paths;
    QVector<QString> names;
    QString refusedPath;
    if (!path.isEmpty() && jsonUtil) {
        // A refused query leaves values as they were, one that finds nothing empties them.
        QVector<Json::Value> values{Json::Value(REFUSED_MARK)};
        QVector<QString> hitPaths;
        jsonUtil->getMasterJSONbyPath(path, values, hitPaths, true);
        if (values.size() == 1 && hitPaths.isEmpty() && values.first() == Json::Value(REFUSED_MARK)) {
            refusedPath = path;
            values.clear();
        }
        for (int i = 0; i < values.size() && i < hitPaths.size(); ++i) {
            if (isAborted())
                break;
            // A hit that is no channel (a null left by a delete) gets neither
            // name nor path, so the two lists stay parallel.
            if (!values.at(i).isObject())
                continue;
            paths.append(hitPaths.at(i));
            names.append(channelName(values.at(i), ways));
        }
    }

    {
        AnnotatedMutexLocker locker(&lock);
        if (!aborted)
            util->takeChannelList(paths, names, buildGeneration, refusedPath);
        working = false;
        aborted = false;
    }
    emit finished();
}
