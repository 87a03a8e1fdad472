#pragma once

#include "DeviceState.h"

#include <json/json.h>

#include <map>
#include <random>
#include <string>

namespace devicesim {

// Makes the measured values of the channels ($.DATA.MK[i].MV.MW.VAL) wander
// around the value each had when first seen, and keeps the channel's maximum
// and minimum. What wanders is the sensor's value; a channel shows it less
// its offset ($.DATA.MK[i].FCT.TARA.OFFS.VAL), so a new zero shifts the
// values that follow. A value keeps its form: text with as many decimals as before,
// or a number. Channels without a number, or flagged sensor offline ("X")
// or sensor break ("-"), stay as they are. A channel is known by its address
// ("ADR"), so a channel that moves to another index when one in front of it
// is deleted keeps wandering around its own value.
class LiveValues
{
public:
    explicit LiveValues(unsigned seed);

    // One step of every live channel; the changes go out as one telegram.
    void step(DeviceState::Access& device);

private:
    struct Channel
    {
        double centre = 0;      // sensor value when first seen
        double span = 1;        // values stay within centre +- span
        int decimals = 2;
    };

    // One step of a channel's sensor value.
    void walk(Channel& channel, double& value);

    std::map<std::string, Channel> channels;   // by address; by path for a channel without one
    std::mt19937 random;
};

} // namespace devicesim
