#include "ChartFixture.h"

#include "GuiApplication.h"

#include "common/CharacteristicLine.h"
#include "common/GlobalEnums.h"
#include "common/Measure.h"
#include "util/CustomPlotLineUtil.h"
#include "util/SettingsUtil.h"
#include "view/CustomPlotLine.h"
#include "widgets/LockedGraph.h"

#include <QPushButton>

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tevarobench {

namespace {

const char* const measureFile = "Messung_0007";

// splitmix64: the same noise for the same channel and sample in every run.
double noise(int channel, qint64 sample)
{
    std::uint64_t z = (std::uint64_t(channel) << 48) ^ std::uint64_t(sample) ^ 0x9e3779b97f4a7c15ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z ^= z >> 31;
    return double(z >> 11) / double(1ull << 53) - 0.5;
}

// Whole milliseconds as the device sends them; finer clocks as decimals.
Json::Value timeValue(double ms)
{
    return ms == std::floor(ms) ? Json::Value(Json::Int64(ms)) : Json::Value(ms);
}

} // namespace

std::string channelAddress(int channel)
{
    char address[16];
    std::snprintf(address, sizeof address, "CH%02d", channel + 1);
    return address;
}

double sampleValue(int channel, qint64 sample, const SampleClock& clock)
{
    const double seconds = double(sample) * clock.spacingMs / 1000.0;
    const double value = 20.0 + 2.0 * channel + 10.0 * std::sin(seconds * (2.0 * M_PI / 60.0)) + noise(channel, sample);
    return std::round(value * 100.0) / 100.0;
}

Json::Value chartArray(const SampleClock& clock, qint64 first, int blocks, int samplesPerBlock, int channels)
{
    Json::Value array(Json::arrayValue);
    for (int b = 0; b < blocks; ++b) {
        const qint64 blockFirst = first + qint64(b) * samplesPerBlock;
        Json::Value block(Json::objectValue);
        block["FILE"] = measureFile;
        block["ID"] = chartMeasureId;
        block["SRC"] = 1;
        block["ATR"] = 0;
        Json::Value& times = block["DU"] = Json::Value(Json::arrayValue);
        for (int s = 0; s < samplesPerBlock; ++s)
            times.append(timeValue(clock.ms(blockFirst + s)));
        for (int c = 0; c < channels; ++c) {
            Json::Value& values = block[channelAddress(c)] = Json::Value(Json::arrayValue);
            for (int s = 0; s < samplesPerBlock; ++s)
                values.append(sampleValue(c, blockFirst + s, clock));
        }
        array.append(std::move(block));
    }
    return array;
}

void shiftChartArray(Json::Value& array, const SampleClock& clock, qint64 first)
{
    qint64 sample = first;
    for (Json::Value& block : array) {
        for (Json::Value& time : block["DU"])
            time = timeValue(clock.ms(sample++));
    }
}

ChartPoints chartPoints(const SampleClock& clock, int channel, qint64 first, int count)
{
    ChartPoints points;
    points.reserve(count);
    for (int i = 0; i < count; ++i)
        points.append(QCPGraphData(clock.seconds(first + i), sampleValue(channel, first + i, clock)));
    return points;
}

void shiftChartPoints(ChartPoints& points, const SampleClock& clock, int channel, qint64 first)
{
    for (int i = 0; i < points.size(); ++i)
        points[i] = QCPGraphData(clock.seconds(first + i), sampleValue(channel, first + i, clock));
}

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

LineChartFixture::LineChartFixture(int channels, int maxPoints, int viewMode, bool shown)
    : channelCount(channels), maxPoints(maxPoints)
{
    guiApplication();
    SettingsUtil::setValue(QStringLiteral("Config/LineChart/Data/Max"), maxPoints);
    button.reset(new QPushButton);
    plot.reset(new CustomPlotLine(nullptr, button.get()));
    if (shown) {
        plot->resize(1200, 600);
        plot->show();
    }
    Measure measure(QLatin1String(measureFile), chartMeasureId, qint64(SampleClock().startMs), 0);
    for (int c = 0; c < channels; ++c)
        measure.addChannel(CharacteristicLine(QLatin1String(measureFile), QString::fromStdString(channelAddress(c)),
                                              QStringLiteral("°C"), QStringLiteral("Kanal %1").arg(c + 1),
                                              chartMeasureId, 1, -1));
    emit plot->getUtil()->updateMeasureState(GlobalEnums::START, measure);
    plot->setViewMode(viewMode);
    settleEvents();
}

LineChartFixture::~LineChartFixture()
{
    plot.reset();   // stops the feed thread
    settleEvents();
}

LockedGraph& LineChartFixture::graph(int index) const
{
    return *plot->lockedGraph(index);
}

bool LineChartFixture::ready() const
{
    if (plot->graphCount() != channelCount || plot->getUtil()->getMaxPoints() != maxPoints)
        return false;
    for (int c = 0; c < channelCount; ++c) {
        if (!plot->lockedGraph(c))
            return false;
    }
    return true;
}

void LineChartFixture::fill(const SampleClock& clock, qint64 first, int count)
{
    for (int c = 0; c < channelCount; ++c)
        plot->lockedGraph(c)->insertPoints(chartPoints(clock, c, first, count), maxPoints);
}

qint64 LineChartFixture::stream(const SampleClock& clock, qint64 first, qint64 count, int blockSize)
{
    qint64 next = first;
    for (; next < first + count; next += blockSize) {
        for (int c = 0; c < channelCount; ++c)
            plot->lockedGraph(c)->insertPoints(chartPoints(clock, c, next, blockSize), maxPoints);
    }
    return next;
}

} // namespace tevarobench
