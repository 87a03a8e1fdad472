#include "util/ChannelListUtilGetTableDataWorker.h"

#include "common/AnnotatedLocks.h"
#include "util/JSONUtil.h"

#include <QtDebug>

#include <exception>

ChannelListUtilGetTableDataWorker::ChannelListUtilGetTableDataWorker(JSONUtil* jsonUtil)
    : QObject(nullptr), jsonUtil(jsonUtil)
{
}

bool ChannelListUtilGetTableDataWorker::takeRequest(const ChannelListBuildInput& request)
{
    AnnotatedMutexLocker locker(&mutex);
    if (working) {
        next = request;
        rerun = true;
        return false;
    }
    input = request;
    working = true;
    aborting = false;
    rerun = false;
    return true;
}

void ChannelListUtilGetTableDataWorker::abort()
{
    AnnotatedMutexLocker locker(&mutex);
    if (working)
        aborting = true;
    rerun = false;
}

bool ChannelListUtilGetTableDataWorker::isWorking()
{
    AnnotatedMutexLocker locker(&mutex);
    return working;
}

bool ChannelListUtilGetTableDataWorker::isAborting()
{
    AnnotatedMutexLocker locker(&mutex);
    return aborting;
}

TableStructure ChannelListUtilGetTableDataWorker::buildTable(JSONUtil* jsonUtil, const ChannelListBuildInput& input,
                                                             const std::function<bool()>& aborted, bool* refused)
{
    TableStructure table;
    if (refused)
        *refused = false;
    if (!jsonUtil || input.displayPath.isEmpty())
        return table;
    // A refused query leaves its output as it was, so the marker tells a
    // refusal from a path without channels.
    static const Json::Value refusal("channel list: refused query");
    QVector<Json::Value> channels{refusal};
    QVector<QString> paths;
    jsonUtil->getMasterJSONbyPath(input.displayPath, channels, paths, true);
    if (channels.size() == 1 && paths.isEmpty() && channels.first() == refusal) {
        if (refused)
            *refused = true;
        return table;
    }

    const ChannelListUtilRows builder(input, jsonUtil);
    QVector<QVector<TableCell>> rows;
    rows.reserve(channels.size());
    QVector<TableCell> row;
    for (int i = 0; i < channels.size() && i < paths.size(); ++i) {
        if (aborted())
            break;
        if (builder.buildRow(channels.at(i), paths.at(i), row))
            rows.append(row);
    }
    table.setRows(rows);
    return table;
}

void ChannelListUtilGetTableDataWorker::doWork()
{
    ChannelListBuildInput current;
    {
        AnnotatedMutexLocker locker(&mutex);
        current = input;
    }
    for (;;) {
        TableStructure table;
        const QString displayPath = current.displayPath;
        bool refused = false;
        try {
            table = buildTable(jsonUtil, current, [this] { return isAborting(); }, &refused);
        } catch (const std::exception& e) {
            qWarning().noquote() << "Channel list could not be built:" << e.what();
        }
        bool publish = false;
        bool again = false;
        {
            // Deciding to stop and clearing working happen together, so a
            // request is either taken by this loop or starts the thread anew.
            AnnotatedMutexLocker locker(&mutex);
            publish = !aborting;
            again = rerun && !aborting;
            rerun = false;
            if (again)
                current = next;
            else
                working = false;
        }
        if (publish && refused)
            emit displayPathRefused(displayPath);
        if (publish)
            emit tableBuilt(table, current.session);
        if (!again)
            break;
    }
    emit finished();
}
