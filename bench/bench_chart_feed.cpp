// The line chart's feed side:
//   - CustomPlotLineUtil::setChartData on 8 channels whose graphs are full
//     (100,000 points each, so every insert trims), for one block of 500
//     samples per array and for live-shaped arrays (20 blocks of 3 samples),
//     against the floor: a plain loop over the same JSON (jsoncpp iterators)
//     that appends to a QCPGraphDataContainer per channel and trims it with
//     removeBefore. Arrays come from a ring built beforehand; moving their
//     times on to the running clock is not timed, taking the array apart
//     (also its deletion) is, on both sides;
//   - the heap a chart graph holds per point once it streams at its limit of
//     500,000 points, against the 16 bytes of a point (and, for comparison,
//     a stock container trimmed the same way). Manual time carries the bytes
//     per point (shown as seconds);
//   - while a thread of this benchmark inserts 450-point blocks (150 ms at
//     3000 samples/s) into 20 full graphs as fast as it can, the longest
//     time the GUI thread spends in lastKey()/valueRange() on those graphs,
//     against the longest insertPoints() call of the same session; for
//     reading them, the longest of the same GUI calls with no feeder. The
//     graphs have streamed through their limit once before. Manual time
//     carries the maximum of a 2 s session.

#include "Ratio.h"

#include "ChartFixture.h"

#include "common/JsonMember.h"

#include "util/CustomPlotLineUtil.h"
#include "view/CustomPlotLine.h"
#include "widgets/LockedGraph.h"

#include <benchmark/benchmark.h>

#include <QSharedPointer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace tevarobench;

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::micro>(duration).count();
}

// ---- feed ------------------------------------------------------------------

constexpr int feedChannels = 8;
constexpr int feedMaxPoints = 100000;
constexpr int feedRingSize = 16;
const SampleClock feedClock{10.0};

struct FeedShape
{
    int blocks;
    int samplesPerBlock;
    int samples() const { return blocks * samplesPerBlock; }
};
constexpr FeedShape bulkShape{1, 500};
constexpr FeedShape liveShape{20, 3};

// The chart's worker, fed in this thread; its graphs start full.
struct ChartFeed
{
    LineChartFixture fixture{feedChannels, feedMaxPoints, 2, false};
    qint64 next = 0;   // the sample the next array starts with

    ChartFeed() { fixture.fill(feedClock, -feedMaxPoints, feedMaxPoints); }

    void take(Json::Value array) { fixture.chart().getUtil()->setChartData(std::move(array)); }

    bool holdsNewest() const
    {
        for (int c = 0; c < feedChannels; ++c) {
            double key = 0.0;
            if (fixture.graph(c).pointCount() != feedMaxPoints || !fixture.graph(c).lastKey(key)
                || key != feedClock.seconds(next - 1))
                return false;
        }
        return true;
    }
};

// The floor: no locks, no checks beyond what keeps jsoncpp from throwing.
struct PlainFeed
{
    std::vector<QSharedPointer<QCPGraphDataContainer>> graphs;
    std::vector<std::string> keys;
    std::vector<double> times;
    QVector<QCPGraphData> points;
    qint64 next = 0;

    PlainFeed()
    {
        for (int c = 0; c < feedChannels; ++c) {
            graphs.emplace_back(new QCPGraphDataContainer);
            graphs.back()->set(chartPoints(feedClock, c, -feedMaxPoints, feedMaxPoints), true);
            keys.push_back(channelAddress(c));
        }
    }

    void take(Json::Value array)
    {
        for (const Json::Value& block : array) {
            const Json::Value& du = jsonMember(block, "DU");
            if (!du.isArray())
                continue;
            times.clear();
            for (const Json::Value& time : du)
                times.push_back(time.asDouble() / 1000.0);
            for (std::size_t c = 0; c < keys.size(); ++c) {
                const std::string& key = keys[c];
                const Json::Value* values = block.find(key.data(), key.data() + key.size());
                if (!values || !values->isArray())
                    continue;
                points.resize(0);
                std::size_t j = 0;
                for (auto it = values->begin(); it != values->end() && j < times.size(); ++it, ++j)
                    points.append(QCPGraphData(times[j], it->asDouble()));
                QCPGraphDataContainer& graph = *graphs[c];
                graph.add(points, true);
                if (graph.size() > feedMaxPoints)
                    graph.removeBefore((graph.constEnd() - feedMaxPoints)->key);
            }
        }
    }

    bool holdsNewest() const
    {
        for (const auto& graph : graphs) {
            if (graph->size() != feedMaxPoints || (graph->constEnd() - 1)->key != feedClock.seconds(next - 1))
                return false;
        }
        return true;
    }
};

template <typename Feed>
Feed& feedOf()
{
    static Feed feed;
    return feed;
}

template <typename Feed>
void runFeed(benchmark::State& state, FeedShape shape)
{
    Feed& feed = feedOf<Feed>();
    std::vector<Json::Value> ring;
    for (int r = 0; r < feedRingSize; ++r)
        ring.push_back(chartArray(feedClock, qint64(r) * shape.samples(), shape.blocks, shape.samplesPerBlock,
                                  feedChannels));
    std::size_t slot = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Json::Value array = ring[slot++ % ring.size()];
        shiftChartArray(array, feedClock, feed.next);
        feed.next += shape.samples();
        state.ResumeTiming();
        feed.take(std::move(array));
    }
    state.SetItemsProcessed(state.iterations() * shape.samples() * feedChannels);
    if (!feed.holdsNewest())
        state.SkipWithError("the graphs do not end with the newest sample at their limit");
}

void BM_ChartFeedBulk(benchmark::State& state)
{
    runFeed<ChartFeed>(state, bulkShape);
}
BENCHMARK(BM_ChartFeedBulk)->Unit(benchmark::kMicrosecond);

void BM_PlainFeedBulk(benchmark::State& state)
{
    runFeed<PlainFeed>(state, bulkShape);
}
BENCHMARK(BM_PlainFeedBulk)->Unit(benchmark::kMicrosecond);

void BM_ChartFeedLive(benchmark::State& state)
{
    runFeed<ChartFeed>(state, liveShape);
}
BENCHMARK(BM_ChartFeedLive)->Unit(benchmark::kMicrosecond);

void BM_PlainFeedLive(benchmark::State& state)
{
    runFeed<PlainFeed>(state, liveShape);
}
BENCHMARK(BM_PlainFeedLive)->Unit(benchmark::kMicrosecond);

// ---- memory per point ----------------------------------------------------------

constexpr int memoryMaxPoints = 500000;
constexpr int memoryBlock = 450;
constexpr int memoryRounds = 4;   // points streamed: this many times the limit
const SampleClock memoryClock{1000.0 / 3000.0};

// Heap growth per held point while append(block) streams blocks of
// memoryBlock points; holds() tells the points held at the end.
template <typename Append, typename Holds>
void reportBytesPerPoint(benchmark::State& state, Append append, Holds holds)
{
    ChartPoints block = chartPoints(memoryClock, 0, 0, memoryBlock);
    double bytesPerPoint = 0.0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        for (qint64 first = 0; first < qint64(memoryRounds) * memoryMaxPoints; first += memoryBlock) {
            shiftChartPoints(block, memoryClock, 0, first);
            append(block);
        }
        bytesPerPoint = double(heapInUse() - before) / memoryMaxPoints;
        state.SetIterationTime(bytesPerPoint);
    }
    state.counters["bytes_per_point"] = bytesPerPoint;
    if (holds() != memoryMaxPoints)
        state.SkipWithError("the graph does not hold its limit");
}

void BM_ChartGraphBytesPerPoint(benchmark::State& state)
{
    LineChartFixture fixture(1, memoryMaxPoints, 2, false);
    LockedGraph& graph = fixture.graph(0);
    reportBytesPerPoint(
        state, [&](const ChartPoints& block) { graph.insertPoints(block, memoryMaxPoints); },
        [&] { return graph.pointCount(); });
}
BENCHMARK(BM_ChartGraphBytesPerPoint)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_StockGraphBytesPerPoint(benchmark::State& state)
{
    QSharedPointer<QCPGraphDataContainer> container(new QCPGraphDataContainer);
    reportBytesPerPoint(
        state,
        [&](const ChartPoints& block) {
            container->add(block, true);
            if (container->size() > memoryMaxPoints)
                container->removeBefore((container->constEnd() - memoryMaxPoints)->key);
        },
        [&] { return container->size(); });
}
BENCHMARK(BM_StockGraphBytesPerPoint)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_RawGraphPointBytes(benchmark::State& state)
{
    for (auto _ : state)
        state.SetIterationTime(double(sizeof(QCPGraphData)));
    state.counters["bytes_per_point"] = double(sizeof(QCPGraphData));
}
BENCHMARK(BM_RawGraphPointBytes)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// ---- lock waits --------------------------------------------------------------------

constexpr int lockChannels = 20;
constexpr int lockMaxPoints = 500000;
constexpr int telegramSamples = 450;   // 150 ms at 3000 samples/s
constexpr int lockSessionMs = 2000;
const SampleClock lockClock{1000.0 / 3000.0};

struct LockTimes
{
    double guiWaitMax = 0.0;   // µs
    double guiLastKeyMax = 0.0;
    double guiValueRangeMax = 0.0;
    double guiWaitMean = 0.0;
    double guiWaitsOverHold = 0.0;   // GUI calls longer than the longest insert
    double feedHoldMax = 0.0;
    double feedHoldMean = 0.0;
    double guiCalls = 0.0;
    double feedCalls = 0.0;
};

struct LockChart
{
    LineChartFixture fixture{lockChannels, lockMaxPoints, 2, false};
    qint64 next = 0;

    LockChart()
    {
        fixture.fill(lockClock, -lockMaxPoints, lockMaxPoints);
        // Once through the limit: the graphs' allocations settle (the first
        // block beyond the fill grows each of them).
        next = fixture.stream(lockClock, 0, lockMaxPoints, telegramSamples);
    }
};

LockChart& lockChart()
{
    static LockChart chart;
    return chart;
}

// One session: a feeder thread inserts block after block into every graph
// (unless feederRuns is false); the GUI thread asks each graph for its
// newest time and its value range.
LockTimes lockSession(bool feederRuns)
{
    LockChart& chart = lockChart();
    LineChartFixture& fixture = chart.fixture;
    std::vector<ChartPoints> blocks;
    for (int c = 0; c < lockChannels; ++c)
        blocks.push_back(chartPoints(lockClock, c, 0, telegramSamples));

    LockTimes times;
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        double total = 0.0;
        while (feederRuns && !stop.load(std::memory_order_relaxed)) {
            for (int c = 0; c < lockChannels; ++c) {
                shiftChartPoints(blocks[c], lockClock, c, chart.next);
                const Clock::time_point begin = Clock::now();
                fixture.graph(c).insertPoints(blocks[c], lockMaxPoints);
                const double held = microseconds(Clock::now() - begin);
                times.feedHoldMax = std::max(times.feedHoldMax, held);
                total += held;
                ++times.feedCalls;
            }
            chart.next += telegramSamples;
        }
        times.feedHoldMean = total / std::max(1.0, times.feedCalls);
    });

    double total = 0.0;
    std::vector<double> longWaits;   // over 100 µs
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(lockSessionMs);
    while (Clock::now() < end) {
        for (int c = 0; c < lockChannels; ++c) {
            const LockedGraph& graph = fixture.graph(c);
            double key = 0.0;
            double lowest = 0.0;
            double highest = 0.0;
            const Clock::time_point begin = Clock::now();
            graph.lastKey(key);
            const Clock::time_point between = Clock::now();
            graph.valueRange(lowest, highest);
            const Clock::time_point after = Clock::now();
            const double lastKeyWait = microseconds(between - begin);
            const double valueRangeWait = microseconds(after - between);
            times.guiLastKeyMax = std::max(times.guiLastKeyMax, lastKeyWait);
            times.guiValueRangeMax = std::max(times.guiValueRangeMax, valueRangeWait);
            for (double waited : {lastKeyWait, valueRangeWait}) {
                total += waited;
                ++times.guiCalls;
                if (waited > 100.0)
                    longWaits.push_back(waited);
            }
        }
    }
    stop = true;
    feeder.join();
    times.guiWaitMax = std::max(times.guiLastKeyMax, times.guiValueRangeMax);
    times.guiWaitMean = total / std::max(1.0, times.guiCalls);
    times.guiWaitsOverHold = double(
        std::count_if(longWaits.begin(), longWaits.end(), [&](double waited) { return waited > times.feedHoldMax; }));
    return times;
}

enum class LockSide { GuiWait, FeedHold, GuiAlone };

// The sessions of the GUI side; the feed side reports the holds of the same
// sessions (one per repetition), so both sides of the ratio come from the
// same runs.
std::vector<LockTimes>& guiSessions()
{
    static std::vector<LockTimes> sessions;
    return sessions;
}

void runLockSession(benchmark::State& state, LockSide side)
{
    static std::size_t holdsReported = 0;
    LockTimes times;
    for (auto _ : state) {
        if (side == LockSide::FeedHold && holdsReported < guiSessions().size()) {
            times = guiSessions()[holdsReported++];
        } else {
            times = lockSession(side != LockSide::GuiAlone);
            if (side == LockSide::GuiWait)
                guiSessions().push_back(times);
        }
        state.SetIterationTime((side == LockSide::FeedHold ? times.feedHoldMax : times.guiWaitMax) / 1e6);
    }
    state.counters["gui_lastkey_max_us"] = times.guiLastKeyMax;
    state.counters["gui_range_max_us"] = times.guiValueRangeMax;
    state.counters["gui_wait_mean_us"] = times.guiWaitMean;
    state.counters["gui_waits_over_hold"] = times.guiWaitsOverHold;
    state.counters["feed_hold_max_us"] = times.feedHoldMax;
    state.counters["feed_hold_mean_us"] = times.feedHoldMean;
    state.counters["gui_calls"] = times.guiCalls;
    state.counters["feed_inserts"] = times.feedCalls;
    if (lockChart().fixture.graph(0).pointCount() != lockMaxPoints)
        state.SkipWithError("the graphs do not hold their limit");
}

void BM_GraphLockGuiWaitMax(benchmark::State& state)
{
    runLockSession(state, LockSide::GuiWait);
}
BENCHMARK(BM_GraphLockGuiWaitMax)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

void BM_GraphLockFeedHoldMax(benchmark::State& state)
{
    runLockSession(state, LockSide::FeedHold);
}
BENCHMARK(BM_GraphLockFeedHoldMax)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

// For reading the two above: the longest of the same GUI calls with nothing
// else taking the locks (the machine's scheduling alone).
void BM_GraphLockGuiCallMaxFeedIdle(benchmark::State& state)
{
    runLockSession(state, LockSide::GuiAlone);
}
BENCHMARK(BM_GraphLockGuiCallMaxFeedIdle)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

} // namespace

// Per block and channel the worker looks the channel up, builds a line
// (points, texts), locks the graph and keeps its value extremes up to date;
// at 500 samples that is spread thin, at 3 samples it is most of the work.
TEVARO_BENCH_RATIO("BM_ChartFeedBulk", "BM_PlainFeedBulk", 1.5);
TEVARO_BENCH_RATIO("BM_ChartFeedLive", "BM_PlainFeedLive", 3.0);
// The graph keeps room to append without growing (moved down when the front
// is used up); the rest is the 16 bytes of a point.
TEVARO_BENCH_RATIO("BM_ChartGraphBytesPerPoint", "BM_RawGraphPointBytes", 1.5);
// The GUI waits for one insert at most; the rest is scheduling.
TEVARO_BENCH_RATIO("BM_GraphLockGuiWaitMax", "BM_GraphLockFeedHoldMax", 1.5);
