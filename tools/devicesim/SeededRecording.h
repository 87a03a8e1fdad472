#pragma once

#include "ChartSeries.h"

#include <json/json.h>

#include <cstddef>
#include <string>

namespace devicesim {

// The data of a recording that came with the tree ($.MEM.MTAB entries with
// "ID", "STAT", "STOT", "ADR" and "DIM"): made up from the seed, one sample a
// second over [STAT, STOT] (further apart when that would exceed maxSamples),
// each channel slowly swinging at a level that fits its unit: °C 20 to 60,
// %rF 30 to 70, hPa about 1013, bar about 1, anything else about 10.
class SeededRecording
{
public:
    // False with a reason when the entry lacks what it takes.
    static bool make(const Json::Value& entry, unsigned seed, std::size_t maxSamples, ChartSeries& series,
                     std::string& reason);
};

} // namespace devicesim
