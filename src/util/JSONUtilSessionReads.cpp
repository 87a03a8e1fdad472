// What JSONUtil read in this session: the reads the device accepted and the
// nodes it sent whole, so that a node the mirror holds only in part is not
// taken for one that was read; and the reads the workers asked for, each once
// until a change around it arrives.
#include "util/JSONUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/JsonMember.h"
#include "common/PathRelation.h"

#include <QStringView>
#include <QVarLengthArray>

#include <algorithm>

using KORVALIS::JSON::TelegramResult;

namespace {

// A read of such a path names many nodes: it covers a path by pathCovers, not by text.
bool isPattern(const QString& path)
{
    return path.contains(QLatin1String("[*]")) || path.contains(QLatin1String("[?"));
}

// Whether a member name can be written as ".NAME" in a path.
bool isPlainName(const std::string& name)
{
    if (name.empty())
        return false;
    for (const char c : name) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    }
    return true;
}

// The lengths of the nodes above path, from the deepest: for "$.A.B[2]" those
// of "$.A.B", "$.A" and "$".
QVarLengthArray<int, 16> outerLengths(const QString& path)
{
    QVarLengthArray<int, 16> cuts;
    int depth = 0;
    for (int i = 1; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if (depth == 0 && (c == QLatin1Char('.') || c == QLatin1Char('[')))
            cuts.append(i);
        if (c == QLatin1Char('['))
            ++depth;
        else if (c == QLatin1Char(']') && depth > 0)
            --depth;
    }
    std::reverse(cuts.begin(), cuts.end());
    return cuts;
}

} // namespace

bool JSONUtil::wasRead(const QString& path)
{
    if (path.isEmpty())
        return false;
    AnnotatedMutexLocker locker(&readsMutex);
    return wasReadLocked(path);
}

bool JSONUtil::wasReadLocked(const QString& path) const
{
    if (readPaths.contains(path))
        return true;
    if (readPaths.isEmpty())
        return false;
    for (const int length : outerLengths(path)) {
        if (readPaths.contains(path.left(length)))
            return true;
    }
    for (const QString& read : patternReads) {
        if (pathCovers(read, path))
            return true;
    }
    return false;
}

bool JSONUtil::requestReadOnce(const QString& path)
{
    if (path.isEmpty())
        return false;
    {
        AnnotatedMutexLocker locker(&readsMutex);
        if (askedReads.contains(path) || wasReadLocked(path))
            return false;
        askedReads.insert(path);
    }
    requestPath(path);
    return true;
}

void JSONUtil::noteReadLocked(const QString& path)
{
    if (readPaths.contains(path))
        return;
    readPaths.insert(path);
    if (isPattern(path))
        patternReads.append(path);
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
        noteReadLocked(path);
}

void JSONUtil::noteSentNodes(const Json::Value& telegram, const std::vector<TelegramResult>& results)
{
    const Json::Value& elements = jsonMember(jsonMember(jsonMember(telegram, "INST"), "SET"), "VAL");
    if (!elements.isArray())
        return;
    // The results hold one record per element, the deletes' first; the sets' follow in list order.
    // Walked with an iterator, not by index: jsoncpp looks an index up in a tree.
    QStringList whole;
    Json::ArrayIndex index = 0;
    auto next = elements.begin();
    const auto end = elements.end();
    for (const TelegramResult& result : results) {
        if (result.instruction != TelegramResult::Set)
            continue;
        const Json::ArrayIndex at = index++;
        while (next != end && next.index() < at)
            ++next;
        if (result.result != TelegramResult::Applied || next == end || next.index() != at)
            continue;
        static const char* const valueKey = "VAL";
        const Json::Value* found = next->isObject() ? next->find(valueKey, valueKey + 3) : nullptr;
        if (!found)
            continue;
        const Json::Value& value = *found;
        // An object merges member by member, each member replaced whole; any other value replaces
        // the node. Only a container can be held in part: a scalar the mirror holds is whole anyway,
        // so the live values, most of what arrives, cost no more than this look.
        if (value.isArray()) {
            whole.append(QString::fromStdString(result.path));
            continue;
        }
        if (!value.isObject())
            continue;
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (!it->isObject() && !it->isArray())
                continue;
            const std::string name = it.name();
            if (isPlainName(name))
                whole.append(QString::fromStdString(result.path + '.' + name));
        }
    }
    if (whole.isEmpty())
        return;
    AnnotatedMutexLocker locker(&readsMutex);
    for (const QString& path : qAsConst(whole))
        noteReadLocked(path);
}

void JSONUtil::allowReadsAround(const std::vector<TelegramResult>& results)
{
    AnnotatedMutexLocker locker(&readsMutex);
    for (const TelegramResult& result : results) {
        if (askedReads.isEmpty())
            return;   // the usual case: one look per telegram
        if (result.result != TelegramResult::Applied)
            continue;
        const QString changed = QString::fromStdString(result.path);
        // Most changes are live values far from any read asked for: the text before
        // the first index tells them apart without splitting the paths.
        const int changedStem = changed.indexOf(QLatin1Char('['));
        for (auto it = askedReads.begin(); it != askedReads.end();) {
            const int askedStem = it->indexOf(QLatin1Char('['));
            const int length = qMin(changedStem < 0 ? changed.size() : changedStem,
                                    askedStem < 0 ? it->size() : askedStem);
            const bool near = QStringView(changed).left(length) == QStringView(*it).left(length);
            if (near && pathsOverlap(*it, changed))
                it = askedReads.erase(it);
            else
                ++it;
        }
    }
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
    patternReads.erase(std::remove_if(patternReads.begin(), patternReads.end(),
                                      [&deleted](const QString& read) { return pathsOverlap(read, deleted); }),
                       patternReads.end());
}

void JSONUtil::forgetSessionReads()
{
    AnnotatedMutexLocker locker(&readsMutex);
    readPaths.clear();
    patternReads.clear();
    askedReads.clear();
}
