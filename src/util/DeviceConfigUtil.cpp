// DeviceConfigUtil's core: the change filter, saving with its pending
// writes, the watched paths and the reads already asked for, and the small
// helpers that read device values type-checked.
#include "util/DeviceConfigUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/EntryName.h"
#include "common/JsonMember.h"
#include "common/PathRelation.h"
#include "common/ThreadHandOver.h"
#include "util/JSONUtil.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QStringView>
#include <QTime>
#include <QTimer>
#include <QtDebug>

#include <algorithm>
#include <exception>

namespace {

std::atomic<int> pendingWriteTimeoutMs{DeviceConfigUtil::DEFAULT_PENDING_WRITE_TIMEOUT_MS};

// Paths noted while a build runs; more than this counts as "something relevant changed".
const int MAX_CHANGES_DURING_BUILD = 20000;

bool lessThan(QStringView a, const QString& b)
{
    return a.compare(QStringView(b)) < 0;
}

int commonPrefixLength(QStringView a, QStringView b)
{
    const int shorter = int(std::min(a.size(), b.size()));
    int i = 0;
    while (i < shorter && a.at(i) == b.at(i))
        ++i;
    return i;
}

} // namespace

DeviceConfigUtil::DeviceConfigUtil(QObject* parent)
    : OverallUtil(parent),
      dirty(false),
      building(false),
      changeOverflow(false),
      pendingGeneration(0),
      pendingAny(false),
      toldAny(false)
{
    GlobalEnums::registerMetaTypes();
    TableStructure::registerMetaTypes();
    setBlockable(true);
    // Last: from here on the filter runs in the receive thread.
    if (jsonUtil)
        jsonUtil->addChangeFilter(this);
}

DeviceConfigUtil::~DeviceConfigUtil()
{
    detachFromDeviceLink();
}

void DeviceConfigUtil::detachFromDeviceLink()
{
    if (jsonUtil)
        jsonUtil->removeChangeFilter(this);
}

bool DeviceConfigUtil::isRunning()
{
    return true;
}

// --- Change filter (receive thread) ----------------------------------------

void DeviceConfigUtil::beforeJsonTelegramm()
{
    dirty = false;
}

void DeviceConfigUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    if (path.isEmpty())
        return;
    try {
        bool relevant = pendingAny && releaseConfirmedWrites(path);
        if (toldAny && noteLateConfirmations(path))
            emit writesConfirmedAfterAll();
        {
            AnnotatedMutexLocker locker(&mutex);
            if (!relevant)
                relevant = isWatchedLocked(path);
            if (!requestedReads.isEmpty())
                allowReadsAroundLocked(path);
            if (building) {
                if (changedDuringBuild.size() < MAX_CHANGES_DURING_BUILD)
                    changedDuringBuild.append(path);
                else
                    changeOverflow = true;
            }
        }
        if (relevant)
            dirty = true;
        if (type == GlobalEnums::DEL)
            emit deleteConfigTable(path);
    } catch (const std::exception& e) {
        qWarning().noquote() << "Change notification could not be filtered:" << e.what();
    }
}

void DeviceConfigUtil::jsonTelegramm(GlobalEnums::InstructionResult result, QString path)
{
    if (result != GlobalEnums::BAD_PATH && result != GlobalEnums::SET_WITHOUT_VALUE)
        return;
    if (path == getCurrentPath())
        emit notExistingConfigPath();
}

void DeviceConfigUtil::afterJsonTelegramm()
{
    if (dirty)
        emit updateConfigTable();
}

bool DeviceConfigUtil::confirms(const QString& notified, const QString& written)
{
    if (notified == written)
        return true;
    // One path lies below the other when the longer goes on with "." or "[" after the shorter.
    auto below = [](const QString& longer, const QString& shorter) {
        if (longer.size() <= shorter.size() || !longer.startsWith(shorter))
            return false;
        const QChar next = longer.at(shorter.size());
        return next == QLatin1Char('.') || next == QLatin1Char('[');
    };
    return below(written, notified) || below(notified, written);
}

bool DeviceConfigUtil::isWatchedLocked(const QString& path) const
{
    if (watchedSorted.isEmpty())
        return false;
    // A key that starts with path: the first key not below path is one if any is.
    const auto first = std::lower_bound(watchedSorted.cbegin(), watchedSorted.cend(), path);
    if (first != watchedSorted.cend() && first->startsWith(path))
        return true;
    // A key that path starts with: such a key lies between the largest key not
    // above the probe and the probe, and is a prefix of their common part, so
    // the probe shrinks to that part until a key matches or none is left.
    QStringView probe(path);
    while (!probe.isEmpty()) {
        const auto above = std::upper_bound(watchedSorted.cbegin(), watchedSorted.cend(), probe, lessThan);
        if (above == watchedSorted.cbegin())
            return false;
        const QString& candidate = *(above - 1);
        if (probe.startsWith(candidate))
            return true;
        probe = probe.left(commonPrefixLength(probe, candidate));
    }
    return false;
}

// --- Watched paths ----------------------------------------------------------

void DeviceConfigUtil::addWatchedPath(const QString& path)
{
    if (path.isEmpty())
        return;
    // A path with [*] is watched by its part up to the first "[", so it covers every element.
    static const QRegularExpression wildcard(QStringLiteral("\\$[^*]+\\[\\*\\]"));
    QString key = path;
    if (path.contains(QLatin1String("[*]"))) {
        const QRegularExpressionMatch match = wildcard.match(path);
        if (match.hasMatch())
            key = match.captured(0).chopped(2);
    }

    AnnotatedMutexLocker locker(&mutex);
    if (building) {
        buildWatched.insert(key);
        return;
    }
    if (watchedPaths.contains(key))
        return;
    watchedPaths.insert(key);
    watchedSorted.insert(std::lower_bound(watchedSorted.begin(), watchedSorted.end(), key), key);
}

void DeviceConfigUtil::clearWatchedPaths()
{
    AnnotatedMutexLocker locker(&mutex);
    watchedPaths.clear();
    watchedSorted.clear();
    buildWatched.clear();
}

QStringList DeviceConfigUtil::getWatchedPaths()
{
    AnnotatedMutexLocker locker(&mutex);
    return QStringList(watchedSorted.cbegin(), watchedSorted.cend());
}

QString DeviceConfigUtil::getCurrentPath()
{
    AnnotatedMutexLocker locker(&mutex);
    return currentPath;
}

void DeviceConfigUtil::beginBuild()
{
    AnnotatedMutexLocker locker(&mutex);
    building = true;
    buildWatched.clear();
    changedDuringBuild.clear();
    changeOverflow = false;
}

bool DeviceConfigUtil::finishBuild()
{
    AnnotatedMutexLocker locker(&mutex);
    watchedPaths.swap(buildWatched);
    buildWatched.clear();
    watchedSorted = QVector<QString>(watchedPaths.cbegin(), watchedPaths.cend());
    std::sort(watchedSorted.begin(), watchedSorted.end());
    building = false;

    // A change noted while the table was read may have come after its value was read.
    bool relevant = changeOverflow;
    for (const QString& path : qAsConst(changedDuringBuild)) {
        if (relevant)
            break;
        relevant = isWatchedLocked(path);
    }
    changedDuringBuild.clear();
    changeOverflow = false;
    return relevant;
}

// --- Reads asked for ---------------------------------------------------------

bool DeviceConfigUtil::requestReadOnce(const QString& path)
{
    if (path.isEmpty() || !jsonUtil)
        return false;
    // What the device gave in this session (the node or one above it) is in the
    // mirror as far as the device has it: asking again would bring nothing new.
    if (jsonUtil->wasRead(path))
        return false;
    {
        AnnotatedMutexLocker locker(&mutex);
        if (requestedReads.contains(path))
            return false;
        requestedReads.insert(path);
    }
    jsonUtil->requestPath(path);
    return true;
}

void DeviceConfigUtil::resetRequestedReads()
{
    AnnotatedMutexLocker locker(&mutex);
    requestedReads.clear();
}

void DeviceConfigUtil::allowReadsAroundLocked(const QString& changed)
{
    for (auto it = requestedReads.begin(); it != requestedReads.end();) {
        if (pathsOverlap(*it, changed))
            it = requestedReads.erase(it);
        else
            ++it;
    }
}

int DeviceConfigUtil::lookUp(const QString& path, Json::Value& value)
{
    if (!jsonUtil || path.isEmpty())
        return 0;
    QVector<Json::Value> values;
    jsonUtil->getMasterJSONbyPath(path, values, false);
    if (values.size() == 1)
        value.swap(values.first());
    else if (values.size() > 1)
        qWarning().noquote() << "It was returned more than 1 JSON-Object " + path;
    return values.size();
}

bool DeviceConfigUtil::readNode(const QString& path, Json::Value& value)
{
    const int found = lookUp(path, value);
    // An object or list that is there may hold only what a read of a part of it brought.
    if (found == 0 || (found == 1 && isContainer(value)))
        requestReadOnce(path);
    return found == 1;
}

bool DeviceConfigUtil::isContainer(const Json::Value& value)
{
    return value.isObject() || value.isArray();
}

QString DeviceConfigUtil::solvedPath(const QString& path)
{
    QString solved = path;
    if (jsonUtil && solved.contains(QLatin1Char('(')))
        jsonUtil->getAndSolvePath(solved);
    return solved;
}

// --- Saving ------------------------------------------------------------------

void DeviceConfigUtil::setPendingWriteTimeout(int ms)
{
    pendingWriteTimeoutMs = std::max(0, ms);
}

int DeviceConfigUtil::getPendingWriteTimeout()
{
    return pendingWriteTimeoutMs;
}

void DeviceConfigUtil::saveConfig(const TableStructure& table)
{
    QMap<QString, Json::Value> writes;
    QMap<QString, QString> labels;
    QMap<QString, PendingWrite> pending;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.rowAt(r).size(); ++c) {
            const TableCell& cell = table.cellAt(r, c);
            if (cell.getRights() != TableCell::EDITABLE || !cell.isChanged() || cell.getPath().isEmpty())
                continue;
            const QVariant value = cell.getValue();
            const QString format = cell.getData().toString();
            Json::Value json;
            switch (cell.getCellType()) {
            case TableCell::CHECK:
                json = value.toBool();
                break;
            case TableCell::NUMBER_EDIT: {
                // Numbers travel as typed, as text; the device converts them.
                const QString text = value.toString();
                if (!text.isEmpty())
                    json = text.toStdString();
                break;
            }
            case TableCell::TEXT_EDIT:
            case TableCell::COMBO_TEXT:
                json = value.toString().trimmed().toStdString();
                break;
            case TableCell::CLOCK:
            case TableCell::TIME:
                json = value.toTime().toString(format).toStdString();
                break;
            case TableCell::DATE:
                json = value.toDate().toString(format).toStdString();
                break;
            case TableCell::RADIO_GROUP:
            case TableCell::COMBO_INDEX:
                json = value.toInt();
                break;
            default:
                qWarning() << "Failure to build Config-Json for device, type " << int(cell.getCellType())
                           << "is not valid!";
                break;
            }
            writes.insert(cell.getPath(), json);
            labels.insert(cell.getPath(), entryName(table, r, c));
            pending.insert(cell.getPath(), PendingWrite{value, json});
        }
    }

    quint64 generation = 0;
    const bool sending = !writes.isEmpty() && jsonUtil;
    {
        AnnotatedMutexLocker locker(&mutex);
        rememberUnechoedLocked(pendingWrites.keys());   // replaced before their echo came
        generation = ++pendingGeneration;
        for (auto it = pending.begin(); it != pending.end(); ++it) {
            it->generation = generation;
            it->requestOpen = sending;
            toldUnconfirmed.remove(it.key());   // written anew: the new write is told on its own
        }
        pendingWrites = pending;
        pendingAny = !pendingWrites.isEmpty();
        toldAny = !toldUnconfirmed.isEmpty();
    }
    if (!sending)
        return;
    // Queued with this save's mark: the device link tells when each request ends.
    jsonUtil->requestConfig(writes, GlobalEnums::SET, labels, this, generation);
    // Unconfirmed writes must not keep the table read-only for ever; a precise
    // timer, as a coarse one may let them go 5 % early.
    QTimer::singleShot(getPendingWriteTimeout(), Qt::PreciseTimer, this,
                       [this, generation] { expirePendingWrites(generation); });
}

void DeviceConfigUtil::expirePendingWrites(quint64 generation)
{
    QStringList unconfirmed;
    {
        AnnotatedMutexLocker locker(&mutex);
        // One expiry per save: what is still pending of it was not confirmed.
        if (generation != pendingGeneration)
            return;
        // A write confirmed while its request is still open waits only for that request.
        for (auto it = pendingWrites.begin(); it != pendingWrites.end(); ++it) {
            if (it->settled != PendingWrite::NOT_YET)
                continue;
            it->readingBack = true;
            unconfirmed.append(it.key());
            toldUnconfirmed.insert(it.key(), it->sent);
        }
        toldAny = !toldUnconfirmed.isEmpty();
    }
    if (unconfirmed.isEmpty())
        return;
    // The device may hold the new value or the old one: a read tells. Until it
    // answers, the cells keep the written value; the mirror's may be older.
    qWarning().noquote() << "The device did not confirm these writes in time, they are read again:"
                         << unconfirmed.join(QStringLiteral(", "));
    if (jsonUtil)
        jsonUtil->requestPaths(unconfirmed);
    emit writesNotConfirmed(unconfirmed);
    QTimer::singleShot(getPendingWriteTimeout(), Qt::PreciseTimer, this,
                       [this, generation] { giveUpReadBacks(generation); });
}

void DeviceConfigUtil::giveUpReadBacks(quint64 generation)
{
    QStringList unanswered;
    {
        AnnotatedMutexLocker locker(&mutex);
        // Every write still pending of this save is waiting for its read back.
        if (generation != pendingGeneration)
            return;
        for (auto it = pendingWrites.begin(); it != pendingWrites.end();) {
            const QString path = it.key();
            if (it->settled != PendingWrite::NOT_YET)
                ++it;   // goes with its request
            else if (letGoLocked(it, PendingWrite::GIVEN_UP))
                unanswered.append(path);
        }
        pendingAny = !pendingWrites.isEmpty();
    }
    if (unanswered.isEmpty())
        return;
    qWarning().noquote() << "The device did not answer the read of these unconfirmed writes, the table shows"
                         << "the values known:" << unanswered.join(QStringLiteral(", "));
    emit updateConfigTable();
}

void DeviceConfigUtil::noteDroppedRequests(const QList<TelegramRequest>& dropped, bool withSession)
{
    // The mirror never took a refused value: the cell is let go at once and
    // shows the mirror's, which is the device's, with no read needed. A dropped
    // read back leaves the mirror's value as the best known.
    QStringList released;
    {
        AnnotatedMutexLocker locker(&mutex);
        for (const TelegramRequest& request : dropped) {
            auto it = pendingWrites.find(request.path);
            if (it == pendingWrites.end())
                continue;
            if (request.kind == REQUEST_CONFIG && request.writer == this && request.save == it->generation) {
                pendingWrites.erase(it);   // its own request has ended, refused
                released.append(request.path);
            } else if (request.kind == REQUEST_PATH && it->readingBack && !withSession
                       && it->settled == PendingWrite::NOT_YET) {
                if (letGoLocked(it, PendingWrite::GIVEN_UP))   // it may still have reached the device
                    released.append(request.path);
            }
        }
        pendingAny = !pendingWrites.isEmpty();
    }
    if (released.isEmpty())
        return;
    qInfo().noquote() << "Writes whose request the device link dropped are let go:"
                      << released.join(QStringLiteral(", "));
    emit writesRefused(released);
    emit updateConfigTable();
}

void DeviceConfigUtil::noteWritesAnswered(const QList<TelegramRequest>& answered)
{
    QStringList released;
    QSet<quint64> readingBackNow;   // saves whose read backs go out only now
    {
        AnnotatedMutexLocker locker(&mutex);
        for (const TelegramRequest& request : answered) {
            if (request.writer != this)
                continue;
            const auto it = pendingWrites.find(request.path);
            if (it == pendingWrites.end() || it->generation != request.save)
                continue;
            it->requestOpen = false;
            if (it->settled == PendingWrite::NOT_YET)
                continue;   // waits for its echo, or its read back, as before
            if (it->settled == PendingWrite::GIVEN_UP && it->readingBack) {
                // Its read back was queued behind it and goes out only now: the
                // mirror may still hold the older value. The cell keeps the written
                // one until the read answers, for another time-out at most.
                it->settled = PendingWrite::NOT_YET;
                readingBackNow.insert(it->generation);
                continue;
            }
            eraseLocked(it, it->settled);
            released.append(request.path);
        }
        pendingAny = !pendingWrites.isEmpty();
    }
    for (quint64 generation : qAsConst(readingBackNow)) {
        // Answers arrive on the poll thread; the timer runs on this util's.
        postCall(this, [this, generation] {
            QTimer::singleShot(getPendingWriteTimeout(), Qt::PreciseTimer, this,
                               [this, generation] { giveUpReadBacks(generation); });
        });
    }
    if (released.isEmpty())
        return;
    qInfo().noquote() << "Writes confirmed while their request was on its way are let go with its answer:"
                      << released.join(QStringLiteral(", "));
    emit updateConfigTable();
}

void DeviceConfigUtil::clearPendingWrites()
{
    AnnotatedMutexLocker locker(&mutex);
    pendingWrites.clear();
    unechoedWrites.clear();
    toldUnconfirmed.clear();
    pendingAny = false;
    toldAny = false;
}

void DeviceConfigUtil::holdPendingCells(TableStructure& table)
{
    if (!pendingAny)
        return;
    AnnotatedMutexLocker locker(&mutex);
    for (int r = 0; r < table.rowCount(); ++r) {
        for (TableCell& cell : table.getRow(r)) {
            if (cell.getRights() == TableCell::EDITABLE && cell.getCellType() != TableCell::LINK)
                cell.setRights(TableCell::READ_ONLY);
            const auto pending = pendingWrites.constFind(cell.getPath());   // saves skip empty paths
            if (pending != pendingWrites.constEnd())
                cell.setValue(pending->value);
        }
    }
}

bool DeviceConfigUtil::hasPendingWrites()
{
    return pendingAny;
}

QStringList DeviceConfigUtil::getPendingWritePaths()
{
    AnnotatedMutexLocker locker(&mutex);
    return pendingWrites.keys();
}

// --- Device values -------------------------------------------------------------

const Json::Value& DeviceConfigUtil::member(const Json::Value& node, const char* key)
{
    return jsonMember(node, key);
}

bool DeviceConfigUtil::isEmptyValue(const Json::Value& value)
{
    return value.empty();
}

QString DeviceConfigUtil::valueText(const Json::Value& value)
{
    switch (value.type()) {
    case Json::stringValue:
        return QString::fromStdString(value.asString());
    case Json::booleanValue:
        return value.asBool() ? QStringLiteral("true") : QStringLiteral("false");
    case Json::intValue:
        return QString::number(value.asInt64());
    case Json::uintValue:
        return QString::number(value.asUInt64());
    case Json::realValue:
        if (value.isInt64())
            return QString::number(value.asInt64());
        // The shortest text that reads back as the same number.
        return QString::number(value.asDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        return QString();   // null, arrays and objects have no text
    }
}

bool DeviceConfigUtil::readInt(const Json::Value& value, int& out)
{
    return readJsonInt(value, out);
}

QString DeviceConfigUtil::deviceText(const Json::Value& node)
{
    if (!jsonUtil || !node.isObject())
        return QString();
    const Json::Value& textNode = member(node, "T");
    const Json::Value& pathNode = member(textNode, "PATH");
    int id = -1;
    QString text;
    if (!pathNode.isString()) {
        jsonUtil->getInternationalisationFromID(node, id, text);
        return text;
    }
    // A default text kept elsewhere: read here (watched, asked for once), so the
    // device link does not ask for it again at every build.
    const QString path = solvedPath(QString::fromStdString(pathNode.asString()));
    addWatchedPath(path);
    Json::Value target;
    Json::Value copy = node;
    if (readNode(path, target) && target.isString())
        copy["T"] = target;
    else
        copy.removeMember("T");
    jsonUtil->getInternationalisationFromID(copy, id, text);
    return text;
}
