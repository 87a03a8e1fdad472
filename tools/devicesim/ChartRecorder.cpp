#include "ChartRecorder.h"

#include "InputLimits.h"
#include "JsonText.h"
#include "MeasurementControl.h"
#include "SeededNoise.h"
#include "SeededRecording.h"
#include "TelegramBuilder.h"
#include "ValueForm.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace devicesim {

namespace {

const std::size_t maxSamplesPerMeasurement = 200000;
const std::size_t maxKeptValues = 8000000;   // about 64 MB of values
// Samples a step catches up on at most; older due ones are skipped (a long
// pause of the device's clock leaves a gap instead of a burst).
const std::int64_t maxSamplesPerStep = 1000;

// The first time of the grid at or after time.
std::int64_t gridAtOrAfter(std::int64_t time, std::int64_t interval)
{
    const std::int64_t below = time / interval * interval;
    return below >= time ? below : below + interval;
}

} // namespace

struct ChartRecorder::Running
{
    ChartSeries series;
    std::int64_t nextSampleMs = 0;
    std::vector<bool> formTaken;   // per channel: its form was taken from a live value
};

ChartRecorder::ChartRecorder(int sampleIntervalMs, unsigned seed)
    : intervalMs(std::max(1, sampleIntervalMs)), seed(seed)
{
}

ChartRecorder::~ChartRecorder() = default;

std::size_t ChartRecorder::maxSamples(std::size_t channels)
{
    const std::size_t perChannel = maxKeptValues / 2 / std::max<std::size_t>(1, channels);
    return std::clamp<std::size_t>(perChannel, 2 * maxSamplesPerStep, maxSamplesPerMeasurement);
}

void ChartRecorder::step(DeviceState::Access& device, std::int64_t nowMs)
{
    const Json::Value measurement = device.tree().valueAt("$.SERV.STAT.MEAS");
    const Json::Value& id = memberOf(measurement, "ID");
    const bool measuring = MeasurementControl::isMeasuring(device.tree()) && id.isInt64();
    if (running && (!measuring || id.asInt64() != running->series.id))
        finish();
    if (!measuring)
        return;
    if (!running)
        begin(measurement, id.asInt64(), nowMs);
    sample(device, nowMs);
}

void ChartRecorder::begin(const Json::Value& measurement, std::int64_t id, std::int64_t nowMs)
{
    std::vector<std::string> addresses;
    const Json::Value& list = memberOf(measurement, "ADR");
    if (list.isArray()) {
        for (const Json::Value& address : list) {
            const bool isNew = address.isString()
                && std::find(addresses.begin(), addresses.end(), address.asString()) == addresses.end();
            if (isNew)
                addresses.push_back(address.asString());
        }
    }
    if (addresses.empty())
        qWarning("Measurement %lld records no channel: \"ADR\" holds no channel address", static_cast<long long>(id));
    const Json::Value& file = memberAt(measurement, {"FILE", "VAL"});
    const Json::Value& start = memberOf(measurement, "STAT");

    running.reset(new Running);
    running->series = ChartSeries(id, file.isString() ? file.asString() : std::string(), addresses);
    running->nextSampleMs = gridAtOrAfter(start.isInt64() ? start.asInt64() : nowMs, intervalMs);
    running->formTaken.assign(addresses.size(), false);
}

void ChartRecorder::finish()
{
    Kept recording;
    recording.series = std::move(running->series);
    running.reset();
    keep(std::move(recording));
}

void ChartRecorder::sample(DeviceState::Access& device, std::int64_t nowMs)
{
    Running& run = *running;
    if (run.nextSampleMs > nowMs)
        return;
    std::int64_t due = (nowMs - run.nextSampleMs) / intervalMs + 1;
    if (due > maxSamplesPerStep) {
        qInfo("Measurement %lld: %lld samples skipped, the device's clock was held",
              static_cast<long long>(run.series.id), static_cast<long long>(due - maxSamplesPerStep));
        run.nextSampleMs += (due - maxSamplesPerStep) * intervalMs;
        due = maxSamplesPerStep;
    }

    std::map<std::string, Json::Value> liveValues;   // channel address -> measured value
    std::vector<DeviceTree::Hit> channels;
    device.tree().find("$.DATA.MK[*]", channels);
    for (const DeviceTree::Hit& channel : channels) {
        const Json::Value& address = memberOf(channel.value, "ADR");
        if (address.isString())
            liveValues[address.asString()] = memberAt(channel.value, {"MV", "MW", "VAL"});
    }

    ChartSeries& series = run.series;
    std::vector<double> levels(series.addresses.size(), std::nan(""));
    for (std::size_t channel = 0; channel < levels.size(); ++channel) {
        const Json::Value& live = liveValues[series.addresses[channel]];
        if (!InputLimits::toNumber(live, levels[channel]))
            continue;   // no number: the channel leaves a gap
        if (!run.formTaken[channel]) {
            series.forms[channel] = {live.isString(), decimalsOf(live)};
            run.formTaken[channel] = true;
        }
    }

    while (series.size() + static_cast<std::size_t>(due) > maxSamples(series.addresses.size()))
        series.halve();
    std::vector<std::size_t> added;
    for (std::int64_t i = 0; i < due; ++i) {
        const std::int64_t time = run.nextSampleMs + i * intervalMs;
        std::vector<double> values(levels.size());
        for (std::size_t channel = 0; channel < levels.size(); ++channel) {
            const double wobble = 3 * std::pow(10.0, -series.forms[channel].decimals);
            values[channel] = levels[channel] + wobble * seededNoise(seed, time, static_cast<std::int64_t>(channel));
        }
        added.push_back(series.size());
        series.append(time, std::move(values));
    }
    run.nextSampleMs += due * intervalMs;
    device.publish(TelegramBuilder().chartBlock(series.block(added, 1, 0)).build());
}

std::size_t ChartRecorder::sampleCount(std::int64_t id) const
{
    return running && running->series.id == id ? running->series.size() : 0;
}

const ChartSeries* ChartRecorder::recording(DeviceTree& tree, std::int64_t id, std::string& reason)
{
    if (running && running->series.id == id)
        return &running->series;

    Json::Value entry;
    const Json::Value recordings = tree.valueAt("$.MEM.MTAB");
    if (recordings.isArray()) {
        for (const Json::Value& recording : recordings) {
            if (memberOf(recording, "ID").isInt64() && recording["ID"].asInt64() == id)
                entry = recording;
        }
    }
    if (entry.isNull()) {
        reason = "no recording with this id in $.MEM.MTAB";
        return nullptr;
    }

    const auto known = kept.find(id);
    if (known != kept.end() && (!known->second.seeded || known->second.source == entry)) {
        keptOrder.erase(std::find(keptOrder.begin(), keptOrder.end(), id));
        keptOrder.push_back(id);
        return &known->second.series;
    }

    Kept made;
    made.seeded = true;
    made.source = entry;
    const Json::Value& addresses = memberOf(entry, "ADR");
    if (!SeededRecording::make(entry, seed, maxSamples(addresses.isArray() ? addresses.size() : 0), made.series,
                               reason))
        return nullptr;
    return &keep(std::move(made));
}

void ChartRecorder::forget(std::int64_t id)
{
    const auto old = kept.find(id);
    if (old == kept.end())
        return;
    keptValues -= old->second.series.valueCount();
    kept.erase(old);
    keptOrder.erase(std::find(keptOrder.begin(), keptOrder.end(), id));
}

const ChartSeries& ChartRecorder::keep(Kept recording)
{
    const std::int64_t id = recording.series.id;
    forget(id);
    keptValues += recording.series.valueCount();
    while (keptValues > maxKeptValues && !keptOrder.empty()) {
        const auto oldest = kept.find(keptOrder.front());
        keptOrder.pop_front();
        if (!oldest->second.seeded)
            qInfo("Data of measurement %lld dropped to make room; it pages back made-up values from now on",
                  static_cast<long long>(oldest->first));
        keptValues -= oldest->second.series.valueCount();
        kept.erase(oldest);
    }
    keptOrder.push_back(id);
    return kept.emplace(id, std::move(recording)).first->second.series;
}

} // namespace devicesim
