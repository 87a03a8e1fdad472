#include "ChannelCopies.h"

#include "InputLimits.h"
#include "JsonText.h"
#include "TelegramBuilder.h"
#include "ValueForm.h"

#include <cmath>
#include <cstdio>

namespace devicesim {

namespace {

const char* const channelList = "$.DATA.MK";

// Moves every measured value of a channel by the same amount.
void moveValues(Json::Value& channel, double fraction)
{
    if (!memberOf(channel, "MV").isObject())
        return;
    Json::Value& measured = channel["MV"];
    double reference = 0;
    InputLimits::toNumber(memberAt(measured, {"MW", "VAL"}), reference);
    const double shift = std::fabs(reference) > 1.0 ? reference * fraction : fraction * 50.0;
    for (const char* item : {"MW", "MAW", "MIW", "MTW"}) {
        // Looked up without operator[], which would add a null member to the copy.
        if (!memberOf(measured, item).isObject())
            continue;
        Json::Value& value = measured[item]["VAL"];
        double number = 0;
        if (InputLimits::toNumber(value, number))
            value = inFormOf(value, number + shift, decimalsOf(value));
    }
}

} // namespace

bool ChannelCopies::resize(DeviceTree& tree, int count, std::string& error)
{
    const Json::Value channels = tree.valueAt(channelList);
    if (!channels.isArray() || channels.empty()) {
        error = "the device tree has no channels to repeat";
        return false;
    }
    const Json::ArrayIndex own = channels.size();
    Json::Value resized(Json::arrayValue);
    for (Json::ArrayIndex k = 0; k < static_cast<Json::ArrayIndex>(count); ++k) {
        if (k < own) {
            resized.append(channels[k]);
            continue;
        }
        Json::Value copy = channels[k % own];
        if (!copy.isObject()) {
            resized.append(copy);
            continue;
        }
        const Json::ArrayIndex round = k / own + 1;
        char address[16];
        std::snprintf(address, sizeof address, "CH%02u", k + 1);
        copy["IDX"] = k;
        copy["ADR"] = address;
        if (memberAt(copy, {"MV", "T"}).isString())
            copy["MV"]["T"] = copy["MV"]["T"].asString() + " " + std::to_string(round);
        static const double fractions[] = {-0.02, -0.01, 0.01, 0.02};   // of the value
        moveValues(copy, fractions[k % 4]);
        resized.append(copy);
    }
    if (!tree.apply(TelegramBuilder().set(channelList, resized).build())) {
        error = "the channels could not be written into the device tree";
        return false;
    }
    return true;
}

} // namespace devicesim
