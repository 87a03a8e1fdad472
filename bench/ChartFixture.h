#pragma once

// Line-chart benchmarks' shared setup: a running measurement's chart data
// (blocks as the device sends them, graph points) on a sample clock, and a
// line chart with one graph per channel of that measurement.

#include "common/ChartPoints.h"

#include <json/json.h>

#include <QtGlobal>

#include <memory>
#include <string>
#include <vector>

class CustomPlotLine;
class LockedGraph;
class QPushButton;

namespace tevarobench {

// Sample i of every channel is taken at startMs + i * spacingMs; a negative
// i lies before the start.
struct SampleClock
{
    double spacingMs = 10.0;
    double startMs = 1709288100000.0;   // 2024-03-01 10:15

    double ms(qint64 sample) const { return startMs + double(sample) * spacingMs; }
    double seconds(qint64 sample) const { return ms(sample) / 1000.0; }
};

constexpr int chartMeasureId = 7;

// "CH01", "CH02", ...
std::string channelAddress(int channel);

// A temperature-like value: a slow wave, noise, two decimals.
double sampleValue(int channel, qint64 sample, const SampleClock& clock);

// One array of `blocks` blocks of the running measurement, each with
// `samplesPerBlock` samples of every channel, from sample `first` on:
// {"FILE","ID","SRC":1,"ATR":0,"DU":[ms...],"CH01":[values...],...}.
Json::Value chartArray(const SampleClock& clock, qint64 first, int blocks, int samplesPerBlock, int channels);
// Rewrites the times of every block of an array so it starts at sample `first`.
void shiftChartArray(Json::Value& array, const SampleClock& clock, qint64 first);

// count points of a channel from sample `first` on.
ChartPoints chartPoints(const SampleClock& clock, int channel, qint64 first, int count);
// Rewrites the points (times and values) as the channel's from sample `first` on.
void shiftChartPoints(ChartPoints& points, const SampleClock& clock, int channel, qint64 first);

// Heap bytes in use (arenas and mapped chunks).
std::size_t heapInUse();


// A line chart whose running measurement has `channels` channels, so one
// graph each; maxPoints is set in the settings before the chart reads it.
// Shown offscreen at 1200x600 when asked.
class LineChartFixture
{
public:
    LineChartFixture(int channels, int maxPoints, int viewMode, bool shown);
    ~LineChartFixture();

    CustomPlotLine& chart() const { return *plot; }
    LockedGraph& graph(int index) const;
    int channels() const { return channelCount; }
    // The chart's worker took the channels and the point limit.
    bool ready() const;
    // Every graph gets samples [first, first + count) of its channel.
    void fill(const SampleClock& clock, qint64 first, int count);
    // The same in blocks of blockSize samples, graph after graph per block,
    // as the feed inserts them; returns the sample after the last block.
    qint64 stream(const SampleClock& clock, qint64 first, qint64 count, int blockSize);

private:
    int channelCount;
    int maxPoints;
    std::unique_ptr<QPushButton> button;
    std::unique_ptr<CustomPlotLine> plot;
};

} // namespace tevarobench
