#pragma once

#include "DeviceState.h"
#include "TelegramBuilder.h"

#include <cstdint>

namespace devicesim {

// The device's recording memory: $.MEM.SF (free), $.MEM.SG (total), $.MEM.SFP
// (percent used) and $.MEM.TRE (seconds left at the running measurement's
// rate: 8 bytes per value of each channel of $.SERV.STAT.MEAS.ADR, one value
// per sample interval). A change goes out as leaf SETs of SF.VAL, SFP.VAL and
// TRE.VAL; SF keeps its unit.
class MemoryUsage
{
public:
    explicit MemoryUsage(int sampleIntervalMs);

    // Applies a change of the free memory by deltaBytes (positive: freed) to
    // the tree and adds its leaf SETs to telegram, SF rounded to three
    // decimals when rounded. False, with a warning, when the nodes hold no
    // numbers with known units.
    bool change(DeviceTree& tree, double deltaBytes, bool rounded, TelegramBuilder& telegram) const;

    // One live step: a running measurement uses the memory it wrote since
    // the step before.
    void step(DeviceState::Access& device, std::int64_t nowMs);

private:
    double bytesPerSecond(DeviceTree& tree) const;

    const int sampleIntervalMs;
    std::int64_t lastStepMs = 0;   // 0: no measurement ran at the step before
};

} // namespace devicesim
