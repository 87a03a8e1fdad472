#pragma once

#include "DeviceTree.h"
#include "TelegramProcessor.h"

#include <json/json.h>

#include <string>

namespace devicesim {

// A sensor $.DATA.DEV[i].SEN[j] shows its name and type twice: in its
// settings ("CFG"."KB"."VAL", "CFG"."TYP"."VAL"), which the configuration
// screen writes, and in the sensor list's columns ("KB", "TYP"). A written
// setting is copied to its column and the sensor's change marker "CHG"
// counts up, each a leaf SET in the telegram that echoes the write, so the
// sensor list follows a rename.
class SensorSettings
{
public:
    static void registerWith(TelegramProcessor& processor);

    static void copyToList(DeviceTree& tree, const std::string& path, const Json::Value& previous,
                           const Json::Value& value, TelegramProcessor::Writes& changes);
};

} // namespace devicesim
