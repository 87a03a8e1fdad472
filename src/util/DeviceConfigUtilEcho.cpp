// DeviceConfigUtil's confirmation of pending writes: which change lets a
// write go, and the values of earlier writes whose echo may still come late.
#include "util/DeviceConfigUtil.h"

#include "common/AnnotatedLocks.h"

#include <QLocale>

#include <algorithm>

bool DeviceConfigUtil::releaseConfirmedWrites(const QString& path)
{
    // The device confirms a write at its path, at the entry above it or below
    // it. Where earlier writes went unechoed, the mirror's value there tells
    // the write's own echo (or the device's own value) from a late one.
    bool released = false;
    QMap<QString, quint64> undecided;   // path -> generation of its write
    {
        AnnotatedMutexLocker locker(&mutex);
        for (auto it = pendingWrites.begin(); it != pendingWrites.end();) {
            if (!confirms(path, it.key()) || it->settled != PendingWrite::NOT_YET) {
                ++it;
            } else if (!it->readingBack && unechoedWrites.contains(it.key())) {
                undecided.insert(it.key(), it->generation);
                ++it;
            } else {
                released = letGoLocked(it, PendingWrite::CONFIRMED) || released;
            }
        }
        pendingAny = !pendingWrites.isEmpty();
    }
    if (undecided.isEmpty())
        return released;
    QMap<QString, Json::Value> echoed;   // read without the mutex: it is never held calling JSONUtil
    for (auto it = undecided.cbegin(); it != undecided.cend(); ++it)
        lookUp(it.key(), echoed[it.key()]);

    AnnotatedMutexLocker locker(&mutex);
    for (auto it = undecided.cbegin(); it != undecided.cend(); ++it) {
        auto write = pendingWrites.find(it.key());
        if (write == pendingWrites.end() || write->generation != it.value() || write->settled != PendingWrite::NOT_YET)
            continue;   // let go or written anew meanwhile
        const Json::Value& value = echoed.value(it.key());
        const QVector<Json::Value> earlier = unechoedWrites.value(it.key());
        const bool ownEcho = sameValue(value, write->sent);
        if (!ownEcho && std::any_of(earlier.cbegin(), earlier.cend(),
                                    [&value](const Json::Value& sent) { return sameValue(value, sent); }))
            continue;   // an earlier write's late echo: this one waits on
        // The device answers writes in order: with this one's echo the earlier ones have come.
        if (ownEcho)
            unechoedWrites.remove(it.key());
        released = letGoLocked(write, PendingWrite::CONFIRMED) || released;
    }
    pendingAny = !pendingWrites.isEmpty();
    return released;
}

bool DeviceConfigUtil::letGoLocked(QMap<QString, PendingWrite>::iterator& write, PendingWrite::Settled how)
{
    if (write->requestOpen) {
        write->settled = how;
        ++write;
        return false;
    }
    write = eraseLocked(write, how);
    return true;
}

QMap<QString, DeviceConfigUtil::PendingWrite>::iterator
DeviceConfigUtil::eraseLocked(QMap<QString, PendingWrite>::iterator write, PendingWrite::Settled how)
{
    if (how == PendingWrite::GIVEN_UP)
        rememberUnechoedLocked({write.key()});
    return pendingWrites.erase(write);
}

bool DeviceConfigUtil::noteLateConfirmations(const QString& path)
{
    QStringList told;
    {
        AnnotatedMutexLocker locker(&mutex);
        for (auto it = toldUnconfirmed.cbegin(); it != toldUnconfirmed.cend(); ++it) {
            if (confirms(path, it.key()))
                told.append(it.key());
        }
    }
    if (told.isEmpty())
        return false;
    QMap<QString, Json::Value> values;   // read without the mutex: it is never held calling JSONUtil
    for (const QString& written : qAsConst(told))
        lookUp(written, values[written]);

    AnnotatedMutexLocker locker(&mutex);
    bool confirmed = false;
    for (const QString& written : qAsConst(told)) {
        const auto it = toldUnconfirmed.find(written);
        if (it != toldUnconfirmed.end() && sameValue(values.value(written), it.value())) {
            toldUnconfirmed.erase(it);
            confirmed = true;
        }
    }
    toldAny = !toldUnconfirmed.isEmpty();
    return confirmed && toldUnconfirmed.isEmpty();
}

void DeviceConfigUtil::rememberUnechoedLocked(const QStringList& paths)
{
    for (const QString& path : paths) {
        const auto write = pendingWrites.constFind(path);
        if (write == pendingWrites.constEnd())
            continue;
        QVector<Json::Value>& earlier = unechoedWrites[path];
        const Json::Value& sent = write->sent;
        if (std::none_of(earlier.cbegin(), earlier.cend(), [&sent](const Json::Value& e) { return sameValue(e, sent); }))
            earlier.append(sent);
    }
}

bool DeviceConfigUtil::sameValue(const Json::Value& a, const Json::Value& b)
{
    if (a == b)
        return true;
    auto number = [](const Json::Value& value, double& out) {
        if (value.isDouble()) {   // any number, never a boolean
            out = value.asDouble();
            return true;
        }
        bool ok = false;
        if (value.isString())
            out = QLocale::c().toDouble(QString::fromStdString(value.asString()).trimmed(), &ok);
        return ok;
    };
    double x = 0;
    double y = 0;
    return number(a, x) && number(b, y) && x == y;
}
