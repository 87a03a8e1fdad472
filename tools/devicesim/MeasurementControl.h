#pragma once

#include "ChartRecorder.h"
#include "DeviceState.h"

#include <json/json.h>

#include <cstdint>

namespace devicesim {

// The device's measurement: started and stopped by the start/stop function
// ($.SERV.FCT.STST.VAL set to 1). While it runs, the ChartRecorder sends its
// chart data and keeps its samples, which size the recording at the stop.
//
// A start sends one telegram: $.SERV.STAT.MEAS (new ID, STAT, STOT 0, the
// channel lists), then $.SERV.STAT.MEAS.STAT and $.SERV.STAT.MEAS.VAL
// "START" as elements of their own, the
// ring buffer state and the function's text ("T" and its "ID"), and last
// $.SERV.FCT.STST.VAL 0.
// A stop sets STOT and VAL "STOP", appends the recording to $.MEM.MTAB,
// names the next measurement and flips the function back the same way.
// While it runs, MemoryUsage lowers the free memory step by step.
class MeasurementControl
{
public:
    explicit MeasurementControl(const ChartRecorder& recorder);

    // Reaction to an applied SET of $.SERV.FCT.STST.VAL.
    void onStartStop(DeviceState::Access& device, const Json::Value& value, std::int64_t nowMs);
    // Reaction to a renamed next measurement ($.SERV.STAT.MEAS.FILE.VAL): the
    // name also goes out as $.SERV.STAT.MEAS.FILE, the node the logger watches.
    void onFileName(DeviceState::Access& device, const Json::Value& value);
    static bool isMeasuring(DeviceTree& tree);

private:
    void start(DeviceState::Access& device, std::int64_t nowMs);
    void stop(DeviceState::Access& device, std::int64_t nowMs);

    const ChartRecorder& recorder;
};

} // namespace devicesim
