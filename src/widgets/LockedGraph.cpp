#include "widgets/LockedGraph.h"

#include "common/AnnotatedLocks.h"
#include "widgets/BoundedGraphData.h"

#include <QThread>
#include <QtDebug>

#include <cmath>
#include <limits>

namespace {

constexpr double noKey = std::numeric_limits<double>::quiet_NaN();

bool isFinitePoint(const QCPGraphData& point)
{
    return std::isfinite(point.key) && std::isfinite(point.value);
}

bool finiteAscending(const ChartPoints& points)
{
    for (int i = 0; i < points.size(); ++i) {
        if (!isFinitePoint(points[i]) || (i > 0 && !(points[i - 1].key < points[i].key)))
            return false;
    }
    return true;
}

// The feed hands over clean points; anything else is repaired here rather
// than corrupting the sorted container.
ChartPoints cleanedPoints(const ChartPoints& points)
{
    ChartPoints cleaned;
    cleaned.reserve(points.size());
    for (const QCPGraphData& point : points) {
        if (isFinitePoint(point))
            cleaned.append(point);
    }
    if (cleaned.size() < points.size())
        qWarning() << "Chart graph skipped" << points.size() - cleaned.size()
                   << "points without a finite time or value";
    normalizeChartPoints(cleaned);
    return cleaned;
}

// Holds dataMutex for a reader or the drawing; counted as waiting until it
// has the lock.
class ViewerLock
{
public:
    ViewerLock(QMutex* mutex, std::atomic<int>& waiting) : locker(announce(mutex, waiting)) { --waiting; }

private:
    static QMutex* announce(QMutex* mutex, std::atomic<int>& waiting)
    {
        ++waiting;
        return mutex;
    }

    AnnotatedMutexLocker locker;
};

// A reader that is waiting gets the lock before the next insert; bounded, so
// that a reader that never comes cannot stall the feed.
void letViewersFirst(const std::atomic<int>& waiting)
{
    for (int spin = 0; spin < 20000 && waiting.load(std::memory_order_acquire) > 0; ++spin)
        QThread::yieldCurrentThread();
}

} // namespace

LockedGraph::LockedGraph(QCPAxis* keyAxis, QCPAxis* valueAxis)
    : QCPGraph(keyAxis, valueAxis), bounded(new BoundedGraphData)
{
    setData(bounded);
    resetExtremes();
}

int LockedGraph::insertPoints(const ChartPoints& points, int maxPoints, const QCPRange* keepWindow)
{
    maxPoints = qMax(1, maxPoints);
    ChartPoints cleaned;
    const ChartPoints* input = &points;
    if (!finiteAscending(points)) {
        cleaned = cleanedPoints(points);
        input = &cleaned;
    }
    const QCPGraphData* first = input->constData();
    int n = input->size();

    letViewersFirst(viewersWaiting);
    AnnotatedMutexLocker locker(&dataMutex);
    BoundedGraphData& data = ownData();
    const bool appends = n > 0 && (data.isEmpty() || (data.constEnd() - 1)->key < first[0].key);
    if (appends && !keepWindow) {
        // The live path: make room at the front first so the container
        // never holds more than maxPoints.
        if (n >= maxPoints) {
            first += n - maxPoints;
            n = maxPoints;
        }
        dropOldest(data, data.size() + n - maxPoints);
        for (int i = 0; i < n; ++i)
            noteExtremes(first[i]);
        data.appendSorted(first, n, maxPoints);
    } else if (n > 0) {
        for (int i = 0; i < n; ++i) {
            // A replaced value may have been an extreme.
            if (first[i].key == lowest.key || first[i].key == highest.key)
                extremesStale = true;
            noteExtremes(first[i]);
        }
        data.mergeSorted(first, n, maxPoints);
        if (keepWindow)
            trimAroundWindow(data, maxPoints, *keepWindow);
        else
            dropOldest(data, data.size() - maxPoints);
    }
    data.fitCapacity(maxPoints);
    return data.size();
}

bool LockedGraph::cutAt(double t)
{
    if (!std::isfinite(t))
        return false;
    ViewerLock locker(&dataMutex, viewersWaiting);
    BoundedGraphData& data = ownData();
    const auto at = data.findBegin(t, false);
    if (data.size() < 2 || at == data.constEnd() || at == data.constBegin())
        return false;
    const bool exact = at->key == t;
    double value = at->value;
    if (!exact) {
        const auto before = at - 1;
        value = before->value + (t - before->key) * (at->value - before->value) / (at->key - before->key);
    }
    dropOldest(data, int(at - data.constBegin()));
    if (!exact) {
        const QCPGraphData point(t, value);
        data.prependOne(point);
        noteExtremes(point);
    }
    return true;
}

bool LockedGraph::lastKey(double& key) const
{
    ViewerLock locker(&dataMutex, viewersWaiting);
    if (mDataContainer->isEmpty())
        return false;
    key = (mDataContainer->constEnd() - 1)->key;
    return true;
}

bool LockedGraph::valueRange(double& lowestValue, double& highestValue) const
{
    ViewerLock locker(&dataMutex, viewersWaiting);
    if (extremesStale)
        recomputeExtremes();
    if (!(lowest.value <= highest.value))
        return false;
    lowestValue = lowest.value;
    highestValue = highest.value;
    return true;
}

int LockedGraph::pointCount() const
{
    ViewerLock locker(&dataMutex, viewersWaiting);
    return mDataContainer->size();
}

void LockedGraph::clearPoints()
{
    ViewerLock locker(&dataMutex, viewersWaiting);
    ownData().release();
    resetExtremes();
}

ChartPoints LockedGraph::points() const
{
    ViewerLock locker(&dataMutex, viewersWaiting);
    return ChartPoints(mDataContainer->constBegin(), mDataContainer->constEnd());
}

double LockedGraph::selectTest(const QPointF& pos, bool onlySelectable, QVariant* details) const
{
    ViewerLock locker(&dataMutex, viewersWaiting);
    return QCPGraph::selectTest(pos, onlySelectable, details);
}

QCPDataSelection LockedGraph::selectTestRect(const QRectF& rect, bool onlySelectable) const
{
    ViewerLock locker(&dataMutex, viewersWaiting);
    return QCPGraph::selectTestRect(rect, onlySelectable);
}

QCPRange LockedGraph::getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain) const
{
    ViewerLock locker(&dataMutex, viewersWaiting);
    return QCPGraph::getKeyRange(foundRange, inSignDomain);
}

QCPRange LockedGraph::getValueRange(bool& foundRange, QCP::SignDomain inSignDomain, const QCPRange& inKeyRange) const
{
    ViewerLock locker(&dataMutex, viewersWaiting);
    return QCPGraph::getValueRange(foundRange, inSignDomain, inKeyRange);
}

void LockedGraph::draw(QCPPainter* painter)
{
    // QCPGraph walks the container with plain iterators while drawing.
    ViewerLock locker(&dataMutex, viewersWaiting);
    QCPGraph::draw(painter);
}

BoundedGraphData& LockedGraph::ownData()
{
    // setData(QSharedPointer) may have put another container in; take its points over.
    if (mDataContainer.data() != bounded.data()) {
        bounded->release();
        if (mDataContainer)
            bounded->set(*mDataContainer);
        mDataContainer = bounded;
        extremesStale = true;
    }
    return *bounded;
}

void LockedGraph::dropOldest(BoundedGraphData& data, int count)
{
    if (count <= 0)
        return;
    if (count >= data.size()) {
        data.dropFront(data.size());
        resetExtremes();
        return;
    }
    const double firstKept = (data.constBegin() + count)->key;
    data.dropFront(count);
    if (lowest.key < firstKept || highest.key < firstKept)
        extremesStale = true;
}

void LockedGraph::dropNewest(BoundedGraphData& data, int count)
{
    if (count <= 0)
        return;
    if (count >= data.size()) {
        data.dropBack(data.size());
        resetExtremes();
        return;
    }
    const double lastKept = (data.constEnd() - 1 - count)->key;
    data.dropBack(count);
    if (lowest.key > lastKept || highest.key > lastKept)
        extremesStale = true;
}

void LockedGraph::trimAroundWindow(BoundedGraphData& data, int maxPoints, const QCPRange& window)
{
    int excess = data.size() - maxPoints;
    if (excess <= 0)
        return;
    const double lower = qMin(window.lower, window.upper);
    const double upper = qMax(window.lower, window.upper);
    const auto points = data.constBegin();
    int front = 0;
    int back = data.size() - 1;
    // Take the point farther outside the window each time; points inside
    // only go when the window alone holds more than maxPoints.
    for (; excess > 0; --excess) {
        if (lower - points[front].key >= points[back].key - upper)
            ++front;
        else
            --back;
    }
    dropNewest(data, data.size() - 1 - back);
    dropOldest(data, front);
}

void LockedGraph::noteExtremes(const QCPGraphData& point) const
{
    if (extremesStale || !isFinitePoint(point))
        return;
    // Of equal values the newest counts, so trimming the oldest points of a
    // flat line does not make the cache stale.
    if (std::isnan(lowest.key) || point.value < lowest.value
        || (point.value == lowest.value && point.key > lowest.key))
        lowest = point;
    if (std::isnan(highest.key) || point.value > highest.value
        || (point.value == highest.value && point.key > highest.key))
        highest = point;
}

void LockedGraph::resetExtremes() const
{
    lowest = QCPGraphData(noKey, std::numeric_limits<double>::infinity());
    highest = QCPGraphData(noKey, -std::numeric_limits<double>::infinity());
    extremesStale = false;
}

void LockedGraph::recomputeExtremes() const
{
    resetExtremes();
    for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it)
        noteExtremes(*it);
}
