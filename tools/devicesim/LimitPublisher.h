#pragma once

#include "DeviceState.h"

#include <cstdint>
#include <string>

namespace devicesim {

// The oldest time the ring buffer still holds. While a measurement runs
// with the ring buffer on ($.MEM.RING 3), $.SERV.STAT.MEAS.LIMT follows
// max(STAT, now - $.SERV.LIM.RMAX seconds); it goes out as a SET element of
// its own when it moved, at most once a second.
class LimitPublisher
{
public:
    void step(DeviceState::Access& device, std::int64_t nowMs);

private:
    std::int64_t lastSentMs = 0;
    std::string lastProblem;   // logged once
};

} // namespace devicesim
