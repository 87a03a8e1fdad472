// The request queue of JSONUtil: entry points, queue operations and the
// telegram builder's use of the queue.
#include "util/JSONUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/TelegramBuilder.h"
#include "util/DeviceConfigUtil.h"

#include <QHash>

#include <algorithm>
#include <utility>

namespace {

QString nameOf(const TelegramRequest& request)
{
    return request.label.isEmpty() ? request.path : request.label;
}

} // namespace

void JSONUtil::requestPath(const QString& path)
{
    addTyped(REQUEST_PATH, path, Json::Value(), GlobalEnums::GET);
}

void JSONUtil::requestPaths(const QStringList& paths)
{
    AnnotatedMutexLocker locker(&queueMutex);
    for (const QString& path : paths) {
        TelegramRequest request;
        request.kind = REQUEST_PATH;
        request.path = path;
        request.mode = GlobalEnums::GET;
        addRequestLocked(request);
    }
}

void JSONUtil::requestIPTH()
{
    requestPath(QStringLiteral("$.IPTH"));
}

void JSONUtil::requestConfig(const QString& path, const Json::Value& value, const int& mode, const QString& label)
{
    if (path.isEmpty())
        return;
    addTyped(REQUEST_CONFIG, path, value, mode, label);
}

void JSONUtil::requestConfig(const QMap<QString, Json::Value>& values, const int& mode,
                             const QMap<QString, QString>& labels, const void* writer, quint64 save)
{
    // QMap iterates in ascending key order.
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (!it.key().isEmpty())
            addTyped(REQUEST_CONFIG, it.key(), it.value(), mode, labels.value(it.key()), writer, save);
    }
}

void JSONUtil::requestMeasure(const QString& path, const Json::Value& value, const int& mode)
{
    addTyped(REQUEST_MEASURE, path, value, mode);
}

void JSONUtil::requestExport(const QString& path, const Json::Value& value, const int& mode)
{
    addTyped(REQUEST_EXPORT, path, value, mode);
}

void JSONUtil::requestUser(const QString& path, const Json::Value& value, const int& mode)
{
    addTyped(REQUEST_USER, path, value, mode);
}

void JSONUtil::requestMessage(const QString& user, const qint64& muid, const qint64& mid, const int& mtyp,
                              const int& value)
{
    TelegramRequest request;
    request.kind = REQUEST_MESSAGE;
    request.value = Json::Value(value);
    request.user = user;
    request.muid = muid;
    request.mid = mid;
    request.mtyp = mtyp;
    addRequest(request);
}

void JSONUtil::addTyped(RequestType kind, const QString& path, const Json::Value& value, int mode,
                        const QString& label, const void* writer, quint64 save)
{
    TelegramRequest request;
    request.kind = kind;
    request.path = path;
    request.value = value;
    request.mode = mode;
    request.label = label;
    request.writer = writer;
    request.save = save;
    addRequest(request);
}

void JSONUtil::addRequest(TelegramRequest& request)
{
    AnnotatedMutexLocker locker(&queueMutex);
    addRequestLocked(request);
}

void JSONUtil::addRequestLocked(TelegramRequest& request)
{
    if (request.kind == REQUEST_PATH) {
        if (queuedReads.contains(request.path))
            return;   // the same read is already on its way
        queuedReads.insert(request.path);
    }
    request.id = ++requestCounter;
    queue.append(request);
}

void JSONUtil::buildTelegram(int& kind, Json::Value& telegram, QList<qint64>& ids)
{
    quint64 generation = 0;
    buildTelegram(kind, telegram, ids, generation);
}

void JSONUtil::buildTelegram(int& kind, Json::Value& telegram, QList<qint64>& ids, quint64& generation)
{
    kind = 0;
    AnnotatedMutexLocker locker(&queueMutex);
    generation = requestGeneration;
    if (queue.isEmpty())
        return;
    telegram = TelegramBuilder::makeTemplate();
    kind = queue.first().kind;
    for (const TelegramRequest& request : qAsConst(queue)) {
        if (request.kind != kind)
            break;
        ids.append(request.id);
        TelegramBuilder::appendRequest(telegram, request);
    }
}

void JSONUtil::removeRequests(const QList<qint64>& ids)
{
    const QList<TelegramRequest> accepted = takeRequests(ids);
    noteAcceptedWrites(accepted);
    noteReads(accepted);
}

void JSONUtil::noteSent(const QList<qint64>& ids, quint64 generation)
{
    markQueued(ids, generation, &TelegramRequest::sent);
}

void JSONUtil::markQueued(const QList<qint64>& ids, quint64 generation, bool TelegramRequest::*flag)
{
    AnnotatedMutexLocker locker(&queueMutex);
    if (generation != requestGeneration)
        return;
    for (TelegramRequest& request : queue) {
        if (ids.contains(request.id))
            request.*flag = true;
    }
}

QList<TelegramRequest> JSONUtil::takeRequests(const QList<qint64>& ids)
{
    AnnotatedMutexLocker locker(&queueMutex);
    return takeRequestsLocked(ids);
}

void JSONUtil::removeRequests(const QList<qint64>& ids, quint64 generation)
{
    const QList<TelegramRequest> accepted = takeRequests(ids, generation);
    noteAcceptedWrites(accepted);
    noteReads(accepted);
}

void JSONUtil::noteAcceptedWrites(const QList<TelegramRequest>& accepted)
{
    QList<TelegramRequest> writes;
    {
        AnnotatedMutexLocker locker(&queueMutex);
        for (const TelegramRequest& request : accepted) {
            if (request.kind != REQUEST_CONFIG)
                continue;
            acceptedWrites.insert(request.path, nameOf(request));
            writes.append(request);
        }
    }
    // The writers learn that their requests have ended: a write waits at least that long.
    if (!writes.isEmpty())
        callChangeFilters(changeFilterSnapshot(), [&writes](DeviceConfigUtil* filter) { filter->noteWritesAnswered(writes); });
}

void JSONUtil::noteMayHaveReached(const QList<qint64>& ids, quint64 generation)
{
    markQueued(ids, generation, &TelegramRequest::mayHaveReached);
}

QList<TelegramRequest> JSONUtil::takeRequests(const QList<qint64>& ids, quint64 generation)
{
    AnnotatedMutexLocker locker(&queueMutex);
    if (generation != requestGeneration)
        return QList<TelegramRequest>();
    return takeRequestsLocked(ids);
}

QList<TelegramRequest> JSONUtil::dropRequests(const QList<qint64>& ids, quint64 generation, bool withSession)
{
    const QList<TelegramRequest> dropped = takeRequests(ids, generation);
    const bool concernsFilters = std::any_of(dropped.cbegin(), dropped.cend(), [](const TelegramRequest& request) {
        return request.kind == REQUEST_CONFIG || request.kind == REQUEST_PATH;
    });
    if (concernsFilters)
        callChangeFilters(changeFilterSnapshot(), [&dropped, withSession](DeviceConfigUtil* filter) {
            filter->noteDroppedRequests(dropped, withSession);
        });
    return dropped;
}

QList<TelegramRequest> JSONUtil::takeRequestsLocked(const QList<qint64>& ids)
{
    QList<TelegramRequest> taken;
    for (qint64 id : ids) {
        for (int i = 0; i < queue.size(); ++i) {
            if (queue.at(i).id != id)
                continue;
            TelegramRequest request = queue.takeAt(i);
            if (request.kind == REQUEST_PATH)
                queuedReads.remove(request.path);
            taken.append(request);
            break;
        }
    }
    return taken;
}

void JSONUtil::clearRequests()
{
    {
        AnnotatedMutexLocker locker(&queueMutex);
        queue.clear();
        refusedWrites.clear();
        acceptedWrites.clear();
        queuedReads.clear();
        requestCounter = 0;
        ++requestGeneration;
    }
    forgetSessionReads();
}

void JSONUtil::keepWritesOfRefusedSession(const QList<TelegramRequest>& dropped)
{
    AnnotatedMutexLocker locker(&queueMutex);
    for (const TelegramRequest& request : dropped) {
        if (request.kind == REQUEST_CONFIG)
            refusedWrites.append(request);
    }
}

JSONUtil::UnwrittenWrites JSONUtil::takeUnwrittenWrites()
{
    // Asked before the queue's lock is taken: no two of these locks are held together.
    QStringList pending;
    callChangeFilters(changeFilterSnapshot(),
                      [&pending](DeviceConfigUtil* filter) { pending += filter->getPendingWritePaths(); });

    AnnotatedMutexLocker locker(&queueMutex);
    // Each path is named once, by what is surely known of its last write: the
    // writes refused with the session were at the head of the queue, older
    // than those still in it.
    QList<TelegramRequest> left;
    left.swap(refusedWrites);
    const int refused = left.size();
    for (const TelegramRequest& request : qAsConst(queue)) {
        if (request.kind == REQUEST_CONFIG)
            left.append(request);
    }
    QStringList paths;                                   // in the order first written
    QHash<QString, std::pair<QString, bool>> lastWrite;  // path -> (name, surely not taken)
    const auto note = [&paths, &lastWrite](const QString& path, const QString& name, bool notTaken) {
        if (!lastWrite.contains(path))
            paths.append(path);
        lastWrite.insert(path, {name, notTaken});
    };
    for (int i = 0; i < left.size(); ++i) {
        const TelegramRequest& request = left.at(i);
        // Refused with the session, it was not taken unless an earlier attempt went
        // unanswered; still queued, unless it was ever handed to the network.
        note(request.path, nameOf(request), i < refused ? !request.mayHaveReached : !request.sent);
    }
    // A write the device took and has not confirmed yet, and one whose read
    // back went with the session.
    for (const QString& path : qAsConst(pending)) {
        const auto accepted = acceptedWrites.constFind(path);
        if (accepted != acceptedWrites.constEnd() && !lastWrite.contains(path))
            note(path, accepted.value(), false);
    }
    UnwrittenWrites writes;
    for (const QString& path : qAsConst(paths)) {
        const std::pair<QString, bool>& write = lastWrite.value(path);
        (write.second ? writes.notWritten : writes.notConfirmed).append(write.first);
    }
    // Two entries the screens name alike are named once, as the surer of the two.
    writes.notWritten.removeDuplicates();
    writes.notConfirmed.removeDuplicates();
    for (const QString& name : qAsConst(writes.notWritten))
        writes.notConfirmed.removeAll(name);
    return writes;
}

int JSONUtil::getRequestCount()
{
    AnnotatedMutexLocker locker(&queueMutex);
    return queue.size();
}

quint64 JSONUtil::getRequestGeneration()
{
    AnnotatedMutexLocker locker(&queueMutex);
    return requestGeneration;
}
