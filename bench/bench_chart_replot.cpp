// The line chart's drawing, shown offscreen at 1200x600. One frame is
// customReplot() (axes as the view mode wants them, a queued replot) and the
// queued drawing it leads to (the posted call run at once):
//   - complete view (every frame rescales all axes), 16 graphs of 500,000
//     points each, against one stock QCPGraph of 500,000 points in a stock
//     QCustomPlot of the same size: the chart must not rescan the points for
//     its ranges, so it costs about 16 graphs' drawing;
//   - the same for a rising signal with 3 new points per graph before each
//     frame (not timed): every insert trims the smallest value away;
//   - follow view over 60 s, graphs of 500,000 points 10 ms apart (83 min),
//     against the same chart holding only the window's points;
//   - the 99th percentile of 300 frames of a complete view of 20 graphs
//     streaming at their limit of 500,000 points while the chart's own feed thread takes telegrams of
//     450 samples per channel (3000 samples/s, 150 ms apart; and as fast as
//     it drains them), against the same frames with the feed idle. Manual
//     time carries the percentile.

#include "Ratio.h"

#include "ChartFixture.h"
#include "Statistics.h"
#include "GuiApplication.h"

#include "util/CustomPlotLineUtil.h"
#include "view/CustomPlotLine.h"
#include "widgets/LockedGraph.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

using namespace tevarobench;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int replotGraphs = 16;
constexpr int replotPoints = 500000;
constexpr double followSpanS = 60.0;
const SampleClock replotClock{10.0};

constexpr int liveGraphs = 20;
constexpr int liveMaxPoints = 500000;
constexpr int telegramSamples = 450;
constexpr int telegramGapMs = 150;
constexpr int liveFrames = 300;
const SampleClock liveClock{1000.0 / 3000.0};

// Counts the replots a plot really drew.
class ReplotCounter
{
public:
    explicit ReplotCounter(QCustomPlot* plot)
        : connection(QObject::connect(plot, &QCustomPlot::afterReplot, [this] { ++count; }))
    {
    }
    ~ReplotCounter() { QObject::disconnect(connection); }
    long count = 0;

private:
    QMetaObject::Connection connection;
};

void drawFrame(CustomPlotLine& chart)
{
    chart.customReplot();
    QCoreApplication::sendPostedEvents(&chart, QEvent::MetaCall);
}

// A rising signal at its limit: every insert trims the point with the
// smallest value, so each frame finds the graphs' value ranges out of date.
ChartPoints risingPoints(int channel, qint64 first, int count)
{
    ChartPoints points;
    for (qint64 i = first; i < first + count; ++i)
        points.append(QCPGraphData(replotClock.seconds(i), 20.0 + channel + 1e-5 * double(i)));
    return points;
}

enum class ChartKind { Complete, CompleteRising, Follow, FollowWindowOnly, Live };

// One large chart at a time, kept while the runs of its benchmarks last.
std::unique_ptr<LineChartFixture> keptChart;
ChartKind keptKind = ChartKind::Complete;
qint64 liveNext = 0;   // the sample the next telegram to the live chart starts with

void releaseKeptChart()
{
    keptChart.reset();
}

LineChartFixture& chartOf(ChartKind kind)
{
    std::unique_ptr<LineChartFixture>& kept = keptChart;
    if (kept && keptKind == kind)
        return *kept;
    kept.reset();
    keptKind = kind;
    switch (kind) {
    case ChartKind::Complete:
        kept.reset(new LineChartFixture(replotGraphs, replotPoints, 2, true));
        kept->fill(replotClock, -replotPoints, replotPoints);
        break;
    case ChartKind::CompleteRising:
        kept.reset(new LineChartFixture(replotGraphs, replotPoints, 2, true));
        for (int c = 0; c < replotGraphs; ++c)
            kept->graph(c).insertPoints(risingPoints(c, -replotPoints, replotPoints), replotPoints);
        break;
    case ChartKind::Follow:
    case ChartKind::FollowWindowOnly: {
        const int held = kind == ChartKind::Follow ? replotPoints : int(followSpanS * 1000.0 / replotClock.spacingMs);
        kept.reset(new LineChartFixture(replotGraphs, replotPoints, 1, true));
        kept->fill(replotClock, -held, held);
        // Follow keeps the span it finds; the value axes stay where they are put.
        const double newest = replotClock.seconds(-1);
        kept->chart().xAxis->setRange(newest - followSpanS, newest);
        kept->chart().yAxis->setRange(5.0, 65.0);
        break;
    }
    case ChartKind::Live:
        kept.reset(new LineChartFixture(liveGraphs, liveMaxPoints, 2, true));
        kept->fill(liveClock, -liveMaxPoints, liveMaxPoints);
        // Once through the limit: the graphs' allocations settle.
        liveNext = kept->stream(liveClock, 0, liveMaxPoints, telegramSamples);
        break;
    }
    settleEvents();
    // A shown chart must go at exit before the Qt globals that showing it or
    // deleting the chart before made: exit handlers run newest first.
    std::atexit(releaseKeptChart);
    return *kept;
}

void runFrames(benchmark::State& state, ChartKind kind)
{
    LineChartFixture& fixture = chartOf(kind);
    CustomPlotLine& chart = fixture.chart();
    if (!fixture.ready()) {
        state.SkipWithError("the chart did not take the measurement");
        return;
    }
    ReplotCounter replots(&chart);
    for (auto _ : state)
        drawFrame(chart);
    if (replots.count != long(state.iterations()))
        state.SkipWithError("a frame was not drawn");
    state.counters["x_span_s"] = chart.xAxis->range().size();
}

void BM_ChartReplotComplete(benchmark::State& state)
{
    runFrames(state, ChartKind::Complete);
}
BENCHMARK(BM_ChartReplotComplete)->Unit(benchmark::kMillisecond);

void BM_ChartReplotCompleteRising(benchmark::State& state)
{
    LineChartFixture& fixture = chartOf(ChartKind::CompleteRising);
    CustomPlotLine& chart = fixture.chart();
    if (!fixture.ready()) {
        state.SkipWithError("the chart did not take the measurement");
        return;
    }
    static qint64 next = 0;
    ReplotCounter replots(&chart);
    for (auto _ : state) {
        state.PauseTiming();
        for (int c = 0; c < replotGraphs; ++c)
            fixture.graph(c).insertPoints(risingPoints(c, next, 3), replotPoints);
        next += 3;
        state.ResumeTiming();
        drawFrame(chart);
    }
    if (replots.count != long(state.iterations()))
        state.SkipWithError("a frame was not drawn");
}
BENCHMARK(BM_ChartReplotCompleteRising)->Unit(benchmark::kMillisecond);

void BM_StockReplotOneGraph(benchmark::State& state)
{
    guiApplication();
    QCustomPlot plot;
    plot.resize(1200, 600);
    plot.show();
    QCPGraph* graph = plot.addGraph();
    graph->setPen(QPen(QColor(QStringLiteral("#f44336"))));
    graph->data()->set(chartPoints(replotClock, 0, -replotPoints, replotPoints), true);
    plot.rescaleAxes();
    settleEvents();
    ReplotCounter replots(&plot);
    for (auto _ : state) {
        plot.replot(QCustomPlot::rpQueuedReplot);
        QCoreApplication::sendPostedEvents(&plot, QEvent::MetaCall);
    }
    if (replots.count != long(state.iterations()))
        state.SkipWithError("a frame was not drawn");
}
BENCHMARK(BM_StockReplotOneGraph)->Unit(benchmark::kMillisecond);

void BM_ChartReplotFollow(benchmark::State& state)
{
    runFrames(state, ChartKind::Follow);
}
BENCHMARK(BM_ChartReplotFollow)->Unit(benchmark::kMillisecond);

void BM_ChartReplotFollowWindowOnly(benchmark::State& state)
{
    runFrames(state, ChartKind::FollowWindowOnly);
}
BENCHMARK(BM_ChartReplotFollowWindowOnly)->Unit(benchmark::kMillisecond);

// ---- frames while the feed runs ---------------------------------------------------

// A thread that hands telegrams to the chart's worker as the device link
// would: one block of telegramSamples samples of every channel, built in
// this thread, every gapMs, or (gapMs 0) as soon as the worker has taken the
// previous one.
class TelegramSource
{
public:
    TelegramSource(CustomPlotLineUtil* util, qint64& next, int gapMs)
        : util(util), fed(QObject::connect(util, &CustomPlotLineUtil::updateMeasureData, [this] { ++taken; }))
    {
        if (gapMs < 0)
            return;
        thread = std::thread([this, &next, gapMs] {
            Clock::time_point due = Clock::now();
            while (!stop) {
                const Json::Value telegram = chartArray(liveClock, next, 1, telegramSamples, liveGraphs);
                next += telegramSamples;
                if (gapMs > 0) {
                    std::this_thread::sleep_until(due);
                    due += std::chrono::milliseconds(gapMs);
                } else {
                    while (!stop && this->util->pendingCount() > 0)
                        std::this_thread::sleep_for(std::chrono::microseconds(50));
                }
                this->util->addChartData(telegram);
                ++sent;
            }
        });
    }

    // Stops sending and waits until the worker has put every telegram into the graphs.
    bool finish()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
        while (taken.load() < sent && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        QObject::disconnect(fed);
        settleEvents();
        return taken.load() == sent;
    }

    long telegrams() const { return sent; }

private:
    CustomPlotLineUtil* util;
    QMetaObject::Connection fed;   // runs in the feed thread, once per telegram
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<long> taken{0};
    long sent = 0;
};

void runLiveFrames(benchmark::State& state, int gapMs)
{
    LineChartFixture& fixture = chartOf(ChartKind::Live);
    CustomPlotLine& chart = fixture.chart();
    if (!fixture.ready()) {
        state.SkipWithError("the chart did not take the measurement");
        return;
    }
    std::vector<double> frames;
    double telegramsPerSecond = 0.0;
    bool complete = true;
    for (auto _ : state) {
        TelegramSource source(chart.getUtil(), liveNext, gapMs);
        for (int i = 0; i < 5; ++i)
            drawFrame(chart);
        frames.clear();
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < liveFrames; ++i) {
            const Clock::time_point begin = Clock::now();
            drawFrame(chart);
            frames.push_back(std::chrono::duration<double>(Clock::now() - begin).count());
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        complete = source.finish() && complete;
        telegramsPerSecond = double(source.telegrams()) / seconds;
        state.SetIterationTime(percentile(frames, 99));
    }
    state.counters["p50_ms"] = percentile(frames, 50) * 1e3;
    state.counters["p99_ms"] = percentile(frames, 99) * 1e3;
    state.counters["max_ms"] = percentile(frames, 100) * 1e3;
    state.counters["telegrams_per_s"] = telegramsPerSecond;
    if (!complete)
        state.SkipWithError("the feed did not take every telegram");
    else if (fixture.graph(0).pointCount() != liveMaxPoints)
        state.SkipWithError("the graphs do not hold their limit");
}

void BM_LiveFrameP99FeedIdle(benchmark::State& state)
{
    runLiveFrames(state, -1);
}
BENCHMARK(BM_LiveFrameP99FeedIdle)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LiveFrameP99Feed150ms(benchmark::State& state)
{
    runLiveFrames(state, telegramGapMs);
}
BENCHMARK(BM_LiveFrameP99Feed150ms)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LiveFrameP99FeedFlatOut(benchmark::State& state)
{
    runLiveFrames(state, 0);
}
BENCHMARK(BM_LiveFrameP99FeedFlatOut)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

// Beyond 16 graphs' drawing the chart reads each graph's range (two locks,
// cached extremes) and draws time labels.
TEVARO_BENCH_RATIO("BM_ChartReplotComplete", "BM_StockReplotOneGraph", 18.0);
// The same while the feed trims the extremes away between frames.
TEVARO_BENCH_RATIO("BM_ChartReplotCompleteRising", "BM_StockReplotOneGraph", 18.0);
// Drawing finds the window by binary search; points outside it cost nothing.
TEVARO_BENCH_RATIO("BM_ChartReplotFollow", "BM_ChartReplotFollowWindowOnly", 1.2);
// A frame waits for at most one insert per graph.
TEVARO_BENCH_RATIO("BM_LiveFrameP99Feed150ms", "BM_LiveFrameP99FeedIdle", 1.15);
TEVARO_BENCH_RATIO("BM_LiveFrameP99FeedFlatOut", "BM_LiveFrameP99FeedIdle", 1.15);
