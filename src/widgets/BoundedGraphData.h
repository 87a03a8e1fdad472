#pragma once

#include <qcustomplot.h>

// The point container of a LockedGraph. It keeps its allocation near the
// graph's point limit instead of QVector's doubling: once the graph comes
// close to the limit it holds room for a quarter more, and points dropped at
// the front leave room that is reused by moving the points down rather than
// by growing. Not thread-safe; the graph's mutex guards it.
class BoundedGraphData : public QCPGraphDataContainer
{
public:
    BoundedGraphData();

    // Points the allocation holds room for.
    int capacity() const { return mData.capacity(); }
    // The allocation the container settles at for a graph limited to maxPoints.
    static int capacityLimit(int maxPoints);

    // Appends n points whose keys are ascending and all above the last key.
    void appendSorted(const QCPGraphData* points, int n, int maxPoints);
    // Merges n ascending, unique points: an equal key takes the new value.
    void mergeSorted(const QCPGraphData* points, int n, int maxPoints);
    // Puts a point in front of the first one; its key must be smaller.
    void prependOne(const QCPGraphData& point);
    void dropFront(int n);
    void dropBack(int n);
    // Removes every point and gives the memory back.
    void release();
    // Shrinks an allocation that a merge pushed beyond the limit.
    void fitCapacity(int maxPoints);

private:
    // Makes room for n more points at the back.
    void reserveBack(int n, int maxPoints);
    // Moves the points to a new allocation of the given size (≥ size()).
    void reallocate(int newCapacity);
};
