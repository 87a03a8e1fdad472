#include "SeededRecording.h"

#include "JsonText.h"
#include "SeededNoise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace devicesim {

namespace {

struct Level
{
    double low;
    double high;
    int decimals;
};

Level levelOf(const Json::Value& unit)
{
    const Json::Value& text = unit.isObject() ? memberOf(unit, "T") : unit;
    const std::string name = text.isString() ? text.asString() : std::string();
    if (name == "°C")
        return {20, 60, 2};
    if (name == "%rF")
        return {30, 70, 1};
    if (name == "hPa")
        return {1003, 1023, 1};
    if (name == "bar")
        return {0.95, 1.05, 3};
    return {8, 12, 2};
}

} // namespace

bool SeededRecording::make(const Json::Value& entry, unsigned seed, std::size_t maxSamples, ChartSeries& series,
                           std::string& reason)
{
    const Json::Value& id = memberOf(entry, "ID");
    const Json::Value& start = memberOf(entry, "STAT");
    const Json::Value& stop = memberOf(entry, "STOT");
    const Json::Value& addresses = memberOf(entry, "ADR");
    if (!id.isInt64() || !start.isInt64() || !stop.isInt64() || start.asInt64() < 0
        || start.asInt64() > stop.asInt64() || !addresses.isArray()) {
        reason = "the recording needs an integer \"ID\", times 0 <= \"STAT\" <= \"STOT\" and an \"ADR\" list";
        return false;
    }
    const Json::Value& units = memberOf(entry, "DIM");
    std::vector<std::string> names;
    std::vector<Level> levels;
    for (Json::ArrayIndex i = 0; i < addresses.size(); ++i) {
        const Json::Value& address = addresses[i];
        if (!address.isString() || std::find(names.begin(), names.end(), address.asString()) != names.end())
            continue;
        names.push_back(address.asString());
        levels.push_back(levelOf(units.isArray() && i < units.size() ? units[i] : Json::Value()));
    }
    const Json::Value& file = memberOf(entry, "FILE");
    series = ChartSeries(id.asInt64(), file.isString() ? file.asString() : std::string(), names);
    for (std::size_t channel = 0; channel < levels.size(); ++channel)
        series.forms[channel].decimals = levels[channel].decimals;

    // One sample a second, or whole seconds further apart to stay within maxSamples.
    const std::int64_t duration = stop.asInt64() - start.asInt64();
    const std::int64_t gaps = std::max<std::int64_t>(1, static_cast<std::int64_t>(maxSamples) - 1);
    const std::int64_t step = std::max<std::int64_t>(1000, (duration / gaps / 1000 + 1) * 1000);
    const double pi = std::acos(-1.0);
    for (std::int64_t time = start.asInt64();; time += step) {
        const double seconds = (time - start.asInt64()) / 1000.0;
        std::vector<double> values;
        for (std::size_t channel = 0; channel < levels.size(); ++channel) {
            const Level& level = levels[channel];
            const double span = level.high - level.low;
            // Unsigned: any id of the tree, however large, makes a key without overflow.
            const auto key = static_cast<std::int64_t>(static_cast<std::uint64_t>(id.asInt64()) * 1000u + channel);
            const double centre = level.low + span * (0.5 + 0.15 * seededNoise(seed, key, -1));
            const double period = 900 + 600 * seededNoise(seed, key, -2);   // seconds
            const double swing = span * 0.2 * std::sin(2 * pi * seconds / period + 3 * seededNoise(seed, key, -3));
            const double noise = span * 0.01 * seededNoise(seed, key, time);
            values.push_back(std::clamp(centre + swing + noise, level.low, level.high));
        }
        series.append(time, std::move(values));
        if (stop.asInt64() - time < step)
            break;
    }
    return true;
}

} // namespace devicesim
