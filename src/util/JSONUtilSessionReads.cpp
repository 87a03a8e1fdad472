// What JSONUtil read in this session: the reads the device accepted, so that
// a node the mirror holds only in part is not taken for one that was read.
#include "util/JSONUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/PathRelation.h"

bool JSONUtil::wasRead(const QString& path)
{
    if (path.isEmpty())
        return false;
    AnnotatedMutexLocker locker(&readsMutex);
    if (readPaths.contains(path))
        return true;
    for (const QString& read : qAsConst(readPaths)) {
        if (pathCovers(read, path))
            return true;
    }
    return false;
}

void JSONUtil::noteReads(const QList<TelegramRequest>& accepted)
{
    QStringList paths;
    for (const TelegramRequest& request : accepted) {
        if (request.kind == REQUEST_PATH && !request.path.isEmpty())
            paths.append(request.path);
    }
    if (paths.isEmpty())
        return;
    AnnotatedMutexLocker locker(&readsMutex);
    for (const QString& path : qAsConst(paths))
        readPaths.insert(path);
}

void JSONUtil::forgetReadsAround(const QString& deleted)
{
    // A read above the deleted node, of it or below it: a "[*]" read goes with any element deleted.
    AnnotatedMutexLocker locker(&readsMutex);
    for (auto it = readPaths.begin(); it != readPaths.end();) {
        if (pathsOverlap(*it, deleted))
            it = readPaths.erase(it);
        else
            ++it;
    }
}
