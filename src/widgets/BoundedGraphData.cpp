#include "widgets/BoundedGraphData.h"

#include <algorithm>
#include <limits>

BoundedGraphData::BoundedGraphData()
{
    // Memory is handed back by this class, not by the base class's heuristics.
    setAutoSqueeze(false);
}

int BoundedGraphData::capacityLimit(int maxPoints)
{
    const qint64 limit = qint64(qMax(1, maxPoints)) * 5 / 4;
    return int(qMin<qint64>(limit, std::numeric_limits<int>::max() / int(sizeof(QCPGraphData))));
}

void BoundedGraphData::appendSorted(const QCPGraphData* points, int n, int maxPoints)
{
    if (n <= 0)
        return;
    reserveBack(n, maxPoints);
    const int oldEnd = mData.size();
    mData.resize(oldEnd + n);
    std::copy(points, points + n, mData.begin() + oldEnd);
}

void BoundedGraphData::mergeSorted(const QCPGraphData* points, int n, int maxPoints)
{
    if (n <= 0)
        return;
    if (isEmpty() || (constEnd() - 1)->key < points[0].key) {
        appendSorted(points, n, maxPoints);
        return;
    }
    // Only the existing points from the first new key on take part.
    const int regionOffset
        = int(std::lower_bound(constBegin(), constEnd(), points[0],
                               [](const QCPGraphData& a, const QCPGraphData& b) { return a.key < b.key; })
              - constBegin());
    int added = 0;
    {
        const QCPGraphData* existing = mData.constData();
        int i = mPreallocSize + regionOffset;
        const int end = mData.size();
        for (int j = 0; j < n;) {
            if (i < end && existing[i].key < points[j].key) {
                ++i;
            } else {
                if (i < end && existing[i].key == points[j].key)
                    ++i;
                else
                    ++added;
                ++j;
            }
        }
    }
    reserveBack(added, maxPoints);
    // Merge from the back so every point moves at most once and no buffer is needed.
    const int oldEnd = mData.size();
    mData.resize(oldEnd + added);
    QCPGraphData* d = mData.data();
    const int stop = mPreallocSize + regionOffset;
    int i = oldEnd - 1;
    int w = oldEnd + added - 1;
    for (int j = n - 1; j >= 0;) {
        if (i >= stop && d[i].key > points[j].key) {
            d[w--] = d[i--];
        } else {
            if (i >= stop && d[i].key == points[j].key)
                --i;
            d[w--] = points[j--];
        }
    }
}

void BoundedGraphData::prependOne(const QCPGraphData& point)
{
    if (mPreallocSize > 0) {
        --mPreallocSize;
        *begin() = point;
    } else {
        add(point);
    }
}

void BoundedGraphData::dropFront(int n)
{
    n = qBound(0, n, size());
    mPreallocSize += n;
    if (isEmpty()) {
        mData.resize(0); // keeps the allocation
        mPreallocSize = 0;
    }
}

void BoundedGraphData::dropBack(int n)
{
    n = qBound(0, n, size());
    mData.resize(mData.size() - n);
    if (isEmpty()) {
        mData.resize(0);
        mPreallocSize = 0;
    }
}

void BoundedGraphData::release()
{
    mData = QVector<QCPGraphData>();
    mPreallocSize = 0;
    mPreallocIteration = 0;
}

void BoundedGraphData::fitCapacity(int maxPoints)
{
    const int limit = capacityLimit(maxPoints);
    if (capacity() > limit && size() <= limit)
        reallocate(limit);
}

void BoundedGraphData::reserveBack(int n, int maxPoints)
{
    const int capacity = mData.capacity();
    if (mData.size() + n <= capacity)
        return;
    const int used = size();
    const int needed = used + n;
    const int limit = capacityLimit(maxPoints);
    // Moving the points down costs `used`; do it when it buys room for at
    // least a quarter of them (appends stay amortised O(1)), or when the
    // allocation is already as large as it should get.
    if (needed <= capacity && (capacity - needed >= used / 4 || capacity >= limit)) {
        std::copy(begin(), end(), mData.begin());
        mData.resize(used);
        mPreallocSize = 0;
        return;
    }
    // Grow by half up to the limit; a merge beyond the limit gets exactly
    // what it needs and is shrunk again after the trim.
    const int grown = capacity + qMax(capacity / 2, 16);
    reallocate(needed > limit ? needed : qMin(limit, qMax(needed, grown)));
}

void BoundedGraphData::reallocate(int newCapacity)
{
    QVector<QCPGraphData> fresh;
    fresh.reserve(qMax(newCapacity, size()));
    fresh.resize(size());
    std::copy(constBegin(), constEnd(), fresh.begin());
    mData.swap(fresh);
    mPreallocSize = 0;
}
