#include "util/OwnMessageId.h"

#include <QDateTime>

#include <algorithm>
#include <atomic>

namespace {
std::atomic<qint64> lastMid{0};
}

void OwnMessageId::next(qint64& mid, qint64& muid)
{
    const qint64 fromClock = -QDateTime::currentMSecsSinceEpoch();
    qint64 previous = lastMid.load();
    qint64 candidate = 0;
    do {
        candidate = std::min(fromClock, previous - 1);
    } while (!lastMid.compare_exchange_weak(previous, candidate));
    mid = candidate;
    muid = -candidate;
}
