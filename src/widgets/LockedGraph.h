#pragma once

#include "common/ChartPoints.h"

#include <qcustomplot.h>

#include <QMutex>

#include <atomic>
#include <QSharedPointer>

class BoundedGraphData;

// A graph whose points are written by the chart's feed thread while the GUI
// thread draws them. dataMutex guards the point container: drawing, hit
// tests and range scans hold it for their whole call, and each helper below
// holds it once. Nothing here calls a locking operation while holding it
// (the mutex is not recursive). Create with new LockedGraph(keyAxis, valueAxis);
// the plot owns it like any graph. Write points through the helpers: direct
// writes to data() are drawn, but valueRange() does not see them.
class LockedGraph : public QCPGraph
{
public:
    LockedGraph(QCPAxis* keyAxis, QCPAxis* valueAxis);

    // Guards data(). Outside this class, lock it only around direct access
    // to data(), never around the helpers below.
    mutable QMutex dataMutex;

    // Merges sorted, unique points: a point whose time is already there
    // replaces that value. Then keeps at most maxPoints: without a window the
    // newest, with one the points nearest to it. Returns the point count.
    int insertPoints(const ChartPoints& points, int maxPoints, const QCPRange* keepWindow = nullptr);
    // Cuts the line at time t: points before t go and a point at t (the value
    // there, interpolated between its neighbours) takes their place. Only when
    // some point lies at or after t, it is not the first, and there are two
    // points or more. True when cut.
    bool cutAt(double t);
    // The newest point's time; false when empty.
    bool lastKey(double& key) const;
    // Smallest and largest finite value; false when empty.
    bool valueRange(double& lowest, double& highest) const;
    int pointCount() const;
    void clearPoints();
    ChartPoints points() const;

    double selectTest(const QPointF& pos, bool onlySelectable, QVariant* details = nullptr) const override;
    QCPRange getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter* painter) override;

private:
    QCPDataSelection selectTestRect(const QRectF& rect, bool onlySelectable) const override;

    // The helpers below run with dataMutex held.
    BoundedGraphData& ownData();
    void dropOldest(BoundedGraphData& data, int count);
    void dropNewest(BoundedGraphData& data, int count);
    void trimAroundWindow(BoundedGraphData& data, int maxPoints, const QCPRange& window);
    void noteExtremes(const QCPGraphData& point) const;
    void resetExtremes() const;
    void recomputeExtremes() const;

    QSharedPointer<BoundedGraphData> bounded;
    // The newest points holding the smallest and the largest value; valid
    // unless extremesStale. Both are NaN keys while the graph is empty.
    mutable QCPGraphData lowest;
    mutable QCPGraphData highest;
    mutable bool extremesStale = false;
    // Drawing and reading threads waiting for dataMutex; the feed lets them
    // go first, so that a redraw never waits for more than one insert.
    mutable std::atomic<int> viewersWaiting{0};
};
