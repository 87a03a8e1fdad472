#pragma once

#include "DeviceTree.h"
#include "TelegramProcessor.h"

#include <json/json.h>

#include <string>

namespace devicesim {

// The functions of a channel $.DATA.MK[i] (its "FCT" node), as functions of
// the telegram processor: their changes go out in the telegram that echoes
// the client's write, at their exact paths.
//
// - "FCT.CLMX.VAL" = 1 (clear maximum and minimum): "MV.MAW.VAL" and
//   "MV.MIW.VAL" := the current "MV.MW.VAL"; then "FCT.CLMX.VAL" := 0.
// - "FCT.TARA.VAL" = 1 (zero): the current value becomes the channel's zero:
//   "FCT.TARA.OFFS.VAL" grows by "MV.MW.VAL", which the channel's values
//   ("MV.MW", "MV.MAW", "MV.MIW", "MV.MTW") lose, so the value reads 0; then
//   "FCT.TARA.VAL" := 0. A channel without a number, or whose new offset
//   would leave the offset's "INP" limits, keeps its zero (only VAL := 0).
// - "FCT.TARA.OFFS.VAL" written (within its limits, as every write): the
//   channel's values lose the change of the offset.
// Live values follow the offset (LiveValues).
class ChannelFunctions
{
public:
    static void registerWith(TelegramProcessor& processor);

    static void clearExtremes(DeviceTree& tree, const std::string& path, const Json::Value& previous,
                              const Json::Value& value, TelegramProcessor::Writes& changes);
    static void tare(DeviceTree& tree, const std::string& path, const Json::Value& previous, const Json::Value& value,
                     TelegramProcessor::Writes& changes);
    static void offsetChanged(DeviceTree& tree, const std::string& path, const Json::Value& previous,
                              const Json::Value& value, TelegramProcessor::Writes& changes);
};

} // namespace devicesim
