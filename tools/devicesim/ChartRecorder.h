#pragma once

#include "ChartSeries.h"
#include "DeviceState.h"

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

namespace devicesim {

// The device's chart data: samples the running measurement and keeps the
// data of the recordings.
//
// While a measurement runs ($.SERV.STAT.MEAS.VAL "START"), every recorded
// channel ($.SERV.STAT.MEAS.ADR) is sampled every sample interval, at times
// on the interval's grid (whole multiples of it since the epoch) from STAT
// on. Each live step sends ONE chart block with the samples due since the
// step before ("SRC" 1, "ATR" 0). A value is the channel's live value
// ($.DATA.MK[i].MV.MW.VAL) plus a small wobble made from the seed and the
// sample's time, in the live value's form (a text holding a number stays
// text), and "-" while the channel has no number. A measurement is noticed
// in the step after its start telegram, so its first block comes later.
//
// The samples stay as the recording's data when it stops (at most
// maxSamples per measurement: beyond that every second sample is dropped).
// Recordings that came with the tree get a series made from the seed
// (SeededRecording) when first asked for. Kept data is bounded as a whole;
// the longest unused goes first.
//
// Not locked: it is used with the device locked (the live step and the
// telegram processor hold DeviceState::Access).
class ChartRecorder
{
public:
    ChartRecorder(int sampleIntervalMs, unsigned seed);
    ~ChartRecorder();

    // One live step: follows the measurement's state and sends the due samples.
    void step(DeviceState::Access& device, std::int64_t nowMs);

    // Samples kept of the running (or just stopped) measurement with that id; 0 for another.
    std::size_t sampleCount(std::int64_t id) const;

    // The data of the running measurement or of the recording in $.MEM.MTAB
    // with that id; null with a reason when there is none.
    const ChartSeries* recording(DeviceTree& tree, std::int64_t id, std::string& reason);

    // Drops the kept data of a deleted recording.
    void forget(std::int64_t id);

    // Samples per measurement at most, for a number of channels.
    static std::size_t maxSamples(std::size_t channels);

private:
    struct Running;
    struct Kept
    {
        ChartSeries series;
        bool seeded = false;
        Json::Value source;   // the $.MEM.MTAB entry a seeded series was made from
    };

    void begin(const Json::Value& measurement, std::int64_t id, std::int64_t nowMs);
    void finish();
    void sample(DeviceState::Access& device, std::int64_t nowMs);
    // Keeps a series, dropping the longest unused ones beyond the bound.
    const ChartSeries& keep(Kept kept);

    const std::int64_t intervalMs;
    const unsigned seed;
    std::unique_ptr<Running> running;       // null while no measurement runs
    std::map<std::int64_t, Kept> kept;      // by id
    std::deque<std::int64_t> keptOrder;     // longest unused first
    std::size_t keptValues = 0;
};

} // namespace devicesim
