#pragma once

#include "DeviceState.h"
#include "TelegramBuilder.h"

#include <cstdint>

namespace devicesim {

// The device's recording memory: $.MEM.SF (free), $.MEM.SG (total), $.MEM.SFP
// (percent used) and $.MEM.TRE (seconds left at the running measurement's
// rate: 8 bytes per value of each channel of $.SERV.STAT.MEAS.ADR, one value
// per sample interval). A change goes out as leaf SETs of SF.VAL, SFP.VAL and
// TRE.VAL; SF keeps its unit and goes out at the device's resolution of three
// decimals, SFP in whole percent, TRE in whole seconds.
class MemoryUsage
{
public:
    explicit MemoryUsage(int sampleIntervalMs);

    // Applies a change of the free memory by deltaBytes (positive: freed) to
    // the tree and adds its leaf SETs to telegram. False, with a warning, when
    // the nodes hold no numbers with known units.
    bool change(DeviceTree& tree, double deltaBytes, TelegramBuilder& telegram) const;

    // One live step: a running measurement uses the memory it wrote since
    // the step before.
    void step(DeviceState::Access& device, std::int64_t nowMs);

private:
    double bytesPerSecond(DeviceTree& tree) const;
    // change(), starting from the free memory in the tree plus unshown bytes;
    // unshown becomes what the rounded figure leaves out.
    bool change(DeviceTree& tree, double deltaBytes, double& unshown, TelegramBuilder& telegram) const;

    const int sampleIntervalMs;
    std::int64_t lastStepMs = 0;   // 0: no measurement ran at the step before
    // Bytes written (negative) below the resolution of SF: a step writes a few
    // bytes, far less than the thousandth of a unit that SF shows, so they add
    // up here until the figure moves.
    double unshownBytes = 0;
};

} // namespace devicesim
