// The chart's graph: merging, trimming and cutting its points, the cached
// value range, its bounded allocation, and a feed thread writing while the
// GUI thread draws.
#include "widgets/BoundedGraphData.h"
#include "widgets/LockedGraph.h"

#include <QtTest>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace {

ChartPoints ramp(double from, int count)
{
    ChartPoints result;
    for (int i = 0; i < count; ++i)
        result.append(QCPGraphData(from + i, from + i));
    return result;
}

// "key:value key:value ..." for comparing whole lines.
QString dump(const ChartPoints& points)
{
    QStringList parts;
    for (const QCPGraphData& p : points)
        parts.append(QStringLiteral("%1:%2").arg(p.key).arg(p.value));
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestLockedGraph : public QObject
{
    Q_OBJECT

    QCustomPlot plot;

private slots:
    void cleanup() { plot.clearGraphs(); }

    void mergeTrimAndCut()
    {
        auto* graph = new LockedGraph(plot.xAxis, plot.yAxis);
        graph->insertPoints(ChartPoints({{1, 1}, {2, 2}, {3, 3}, {4, 4}}), 100);
        // Equal keys take the new value, new keys go in between and in front;
        // unsorted input with non-finite points is repaired.
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(graph->insertPoints(ChartPoints({{0, 0}, {2, 20}, {2.5, 25}, {7, 7}, {6, 6}, {nan, 1},
                                          {8, std::numeric_limits<double>::infinity()}, {7, 70}}), 100), 8);
        QCOMPARE(dump(graph->points()), QStringLiteral("0:0 1:1 2:20 2.5:25 3:3 4:4 6:6 7:70"));
        // Trimming keeps the newest, by a merge and by an append larger than the limit.
        QCOMPARE(graph->insertPoints(ChartPoints({{1, 10}}), 3), 3);
        QCOMPARE(dump(graph->points()), QStringLiteral("4:4 6:6 7:70"));
        QCOMPARE(graph->insertPoints(ramp(10, 5), 2), 2);
        QCOMPARE(dump(graph->points()), QStringLiteral("13:13 14:14"));
        QCOMPARE(graph->insertPoints(ramp(20, 1), 0), 1);   // a limit below one keeps one
        // With a window the points farthest from it go, first the far end.
        graph->clearPoints();
        double key = 0;
        QVERIFY(!graph->lastKey(key));
        graph->insertPoints(ramp(0, 10), 100);
        const QCPRange window(2, 3);
        QCOMPARE(graph->insertPoints(ramp(10, 2), 4, &window), 4);
        QCOMPARE(dump(graph->points()), QStringLiteral("1:1 2:2 3:3 4:4"));

        // Cuts inside interpolate; at or outside the ends nothing changes.
        const ChartPoints line = ChartPoints({{10, 1}, {20, 3}, {30, 5}});
        for (double t : {15.0, 10.0, 35.0}) {
            graph->clearPoints();
            graph->insertPoints(line, 100);
            QCOMPARE(graph->cutAt(t), t == 15.0);
            QCOMPARE(dump(graph->points()), t == 15.0 ? QStringLiteral("15:2 20:3 30:5") : dump(line));
        }
    }

    void valueRangeFollowsReplacedAndRemovedExtremes()
    {
        auto* graph = new LockedGraph(plot.xAxis, plot.yAxis);
        double low = 0, high = 0;
        const auto range = [&]() {
            return graph->valueRange(low, high) ? qMakePair(low, high) : qMakePair(qQNaN(), qQNaN());
        };
        graph->insertPoints(ChartPoints({{1, 5}, {2, -3}, {3, 1}, {4, 2}}), 100);
        graph->insertPoints(ChartPoints({{1, 0}}), 100);   // replaces the high one
        QCOMPARE(range(), qMakePair(-3.0, 2.0));
        graph->insertPoints(ChartPoints({{5, 0}}), 3);   // trims the low one
        QCOMPARE(range(), qMakePair(0.0, 2.0));
        QVERIFY(graph->cutAt(4.5));   // cuts the high one away, adds 1
        QCOMPARE(range(), qMakePair(0.0, 1.0));
        const QCPRange window(0, 1);
        graph->insertPoints(ChartPoints({{1, 9}}), 2, &window);   // the window trim drops the newest
        QCOMPARE(range(), qMakePair(1.0, 9.0));
        graph->clearPoints();
        QVERIFY(!graph->valueRange(low, high));
    }

    void allocationStaysBoundedWhileStreaming()
    {
        const int maxPoints = 1000;
        auto* graph = new LockedGraph(plot.xAxis, plot.yAxis);
        const auto capacity = [&]() { return static_cast<BoundedGraphData*>(graph->data().data())->capacity(); };
        double next = 0;
        int maxCapacity = 0;
        for (int block = 0; block < 600; ++block, next += 7) {
            graph->insertPoints(ramp(next, 7), maxPoints);
            if (graph->pointCount() == maxPoints)
                maxCapacity = qMax(maxCapacity, capacity());
        }
        QVERIFY2(maxCapacity > 0 && maxCapacity <= maxPoints * 3 / 2, qPrintable(QString::number(maxCapacity)));
        QCOMPARE(graph->points().first().key, next - maxPoints);
        // A merge may grow it for a moment; the trim gives the memory back.
        ChartPoints between;
        for (int i = 0; i < 800; ++i)
            between.append(QCPGraphData(next - maxPoints + i + 0.5, -1));
        QCOMPARE(graph->insertPoints(between, maxPoints), maxPoints);
        QVERIFY(capacity() <= maxPoints * 3 / 2);
        QCOMPARE(graph->points().last().key, next - 1);
    }

    void feedThreadWritesWhileGuiDraws()
    {
        const int block = 10;
        auto* graph = new LockedGraph(plot.xAxis, plot.yAxis);
        plot.resize(400, 300);
        plot.show();
        std::atomic<bool> done{false};
        std::thread feeder([&] {
            for (int i = 0; i < 10000; ++i) {
                ChartPoints points;
                for (int j = 0; j < block; ++j)
                    points.append(QCPGraphData(i * block + j, std::sin((i * block + j) * 0.01)));
                graph->insertPoints(points, 50 * block);
            }
            done = true;
        });
        int draws = 0;
        bool whole = true, sorted = true, ranged = true;
        // No QVERIFY in the loop: returning early would leave the feeder running.
        for (; !done || draws < 3; ++draws) {
            plot.rescaleAxes();
            plot.replot(QCustomPlot::rpImmediateRefresh);
            double key = 0, low = 0, high = 0;
            if (graph->lastKey(key))
                ranged = ranged && graph->valueRange(low, high) && low >= -1 && high <= 1;
            // Each read holds the lock once: it sees whole blocks only.
            const ChartPoints seen = graph->points();
            whole = whole && graph->pointCount() % block == 0 && seen.size() % block == 0;
            for (int i = 1; sorted && i < seen.size(); ++i)
                sorted = seen[i - 1].key < seen[i].key;
        }
        feeder.join();
        QVERIFY(whole && sorted && ranged);
        QCOMPARE(graph->pointCount(), 50 * block);
    }
};

QTEST_MAIN(TestLockedGraph)
#include "tst_lockedgraph.moc"
