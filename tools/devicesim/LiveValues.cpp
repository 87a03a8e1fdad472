#include "LiveValues.h"

#include "InputLimits.h"
#include "JsonText.h"
#include "TelegramBuilder.h"
#include "ValueForm.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>

namespace devicesim {

namespace {

bool isFaulted(const Json::Value& flags)
{
    if (!flags.isArray())
        return false;
    for (const Json::Value& flag : flags) {
        if (flag == "X" || flag == "-")
            return true;
    }
    return false;
}

// The channel's zero: its "FCT"."TARA"."OFFS"."VAL"; 0 when it has none.
double offsetOf(const Json::Value& channel)
{
    double offset = 0;
    return InputLimits::toNumber(memberAt(channel, {"FCT", "TARA", "OFFS", "VAL"}), offset) ? offset : 0.0;
}

// What names a channel wherever it stands in the list.
std::string keyOf(const DeviceTree::Hit& channel)
{
    const Json::Value& address = memberOf(channel.value, "ADR");
    return address.isString() ? "ADR " + address.asString() : channel.path;
}

} // namespace

LiveValues::LiveValues(unsigned seed) : random(seed)
{
}

void LiveValues::walk(Channel& channel, double& value)
{
    std::normal_distribution<double> noise(0.0, channel.span * 0.03);
    // A gentle pull back to the centre keeps the walk near realistic values.
    value += noise(random) - (value - channel.centre) * 0.05;
    value = std::clamp(value, channel.centre - channel.span, channel.centre + channel.span);
}

void LiveValues::step(DeviceState::Access& device)
{
    std::vector<DeviceTree::Hit> hits;
    if (!device.tree().find("$.DATA.MK[*]", hits))
        return;

    TelegramBuilder telegram;
    std::set<std::string> listed;
    for (const DeviceTree::Hit& hit : hits) {
        const std::string key = keyOf(hit);
        listed.insert(key);
        const Json::Value& measured = memberOf(hit.value, "MV");
        const Json::Value& current = memberAt(measured, {"MW", "VAL"});
        double value = 0;
        if (isFaulted(memberAt(measured, {"STF", "VAL"})) || !InputLimits::toNumber(current, value))
            continue;

        // The sensor's own value wanders; the channel shows it less its offset.
        const double offset = offsetOf(hit.value);
        double sensor = value + offset;
        auto known = channels.find(key);
        if (known == channels.end()) {
            Channel channel;
            channel.centre = sensor;
            channel.span = std::max(std::fabs(sensor) * 0.02, 0.5);
            channel.decimals = decimalsOf(current);
            known = channels.emplace(key, channel).first;
        }
        walk(known->second, sensor);
        value = sensor - offset;
        const Json::Value next = inFormOf(current, value, known->second.decimals);
        if (next == current)
            continue;
        telegram.set(hit.path + ".MV.MW.VAL", next);

        double extreme = 0;
        const Json::Value& maximum = memberAt(measured, {"MAW", "VAL"});
        if (InputLimits::toNumber(maximum, extreme) && value > extreme)
            telegram.set(hit.path + ".MV.MAW.VAL", inFormOf(maximum, value, decimalsOf(maximum)));
        const Json::Value& minimum = memberAt(measured, {"MIW", "VAL"});
        if (InputLimits::toNumber(minimum, extreme) && value < extreme)
            telegram.set(hit.path + ".MV.MIW.VAL", inFormOf(minimum, value, decimalsOf(minimum)));
    }
    // A deleted channel is forgotten; one added later with its address starts afresh.
    for (auto channel = channels.begin(); channel != channels.end();)
        channel = listed.count(channel->first) ? std::next(channel) : channels.erase(channel);
    if (!telegram.isEmpty())
        device.applyAndPublish(telegram.build());
}

} // namespace devicesim
