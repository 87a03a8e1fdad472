#include "SensorSettings.h"

#include <cstdint>
#include <limits>

namespace devicesim {

namespace {

const char* const sensors = "$.DATA.DEV[*].SEN[*]";
const std::string settings = ".CFG.";
const std::string valueSuffix = ".VAL";

} // namespace

void SensorSettings::registerWith(TelegramProcessor& processor)
{
    for (const char* column : {"KB", "TYP"})
        processor.addFunction(std::string(sensors) + settings + column + valueSuffix, &SensorSettings::copyToList);
}

void SensorSettings::copyToList(DeviceTree& tree, const std::string& path, const Json::Value&,
                                const Json::Value& value, TelegramProcessor::Writes& changes)
{
    // "$.DATA.DEV[2].SEN[3].CFG.KB.VAL" -> sensor "$.DATA.DEV[2].SEN[3]", column "KB"
    const std::size_t settingsAt = path.rfind(settings);
    const std::string sensor = path.substr(0, settingsAt);
    const std::size_t columnAt = settingsAt + settings.size();
    const std::string column = path.substr(columnAt, path.size() - valueSuffix.size() - columnAt);

    // A marker that is no count (or cannot count further) starts again at 1.
    const Json::Value marker = tree.valueAt(sensor + ".CHG");
    const bool counts = marker.isInt64() && marker.asInt64() >= 0
        && marker.asInt64() < std::numeric_limits<std::int64_t>::max();
    changes.emplace_back(sensor + "." + column, value);
    changes.emplace_back(sensor + ".CHG", Json::Int64(counts ? marker.asInt64() + 1 : 1));
}

} // namespace devicesim
