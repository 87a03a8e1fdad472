#include "LimitPublisher.h"

#include "InputLimits.h"
#include "JsonText.h"
#include "MeasurementControl.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace devicesim {

namespace {

const std::int64_t minimumGapMs = 1000;
const int ringRunning = 3;

} // namespace

void LimitPublisher::step(DeviceState::Access& device, std::int64_t nowMs)
{
    DeviceTree& tree = device.tree();
    double ring = 0;
    if (!MeasurementControl::isMeasuring(tree) || !InputLimits::toNumber(tree.valueAt("$.MEM.RING"), ring)
        || ring != ringRunning || nowMs - lastSentMs < minimumGapMs)
        return;

    const Json::Value measurement = tree.valueAt("$.SERV.STAT.MEAS");
    const Json::Value& start = memberOf(measurement, "STAT");
    const Json::Value maximum = tree.valueAt("$.SERV.LIM.RMAX");
    double seconds = 0;
    std::string problem;
    if (!start.isInt64())
        problem = "$.SERV.STAT.MEAS.STAT is no time";
    else if (!InputLimits::toNumber(maximum.isObject() ? memberOf(maximum, "VAL") : maximum, seconds)
             || !(seconds > 0) || seconds > 1e12)
        problem = "$.SERV.LIM.RMAX is no number of seconds: " + toCompactText(maximum);
    if (!problem.empty()) {
        if (problem != lastProblem)
            qWarning("The ring buffer's oldest time stays as it is: %s", problem.c_str());
        lastProblem = problem;
        return;
    }
    lastProblem.clear();

    const std::int64_t kept = static_cast<std::int64_t>(std::llround(seconds * 1000));
    const std::int64_t oldest = std::max(start.asInt64(), nowMs - kept);
    const Json::Value& current = memberOf(measurement, "LIMT");
    if (current.isInt64() && current.asInt64() == oldest)
        return;
    if (device.applyAndPublish(TelegramBuilder().set("$.SERV.STAT.MEAS.LIMT", Json::Int64(oldest)).build()) >= 0)
        lastSentMs = nowMs;
}

} // namespace devicesim
