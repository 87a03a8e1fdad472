#include "LiveValues.h"

#include "InputLimits.h"
#include "JsonText.h"
#include "TelegramBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace devicesim {

namespace {

int decimalsOf(const Json::Value& value)
{
    if (!value.isString())
        return 2;
    const std::string text = value.asString();
    const auto point = text.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// The value in the form of like: fixed-point text or a rounded number.
Json::Value inFormOf(const Json::Value& like, double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    if (!like.isString())
        return rounded;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, rounded);
    return text;
}

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

} // namespace

LiveValues::LiveValues(unsigned seed) : random(seed)
{
}

Json::Value LiveValues::nextValue(Channel& channel, const Json::Value& old, double& value)
{
    std::normal_distribution<double> noise(0.0, channel.span * 0.03);
    // A gentle pull back to the centre keeps the walk near realistic values.
    value += noise(random) - (value - channel.centre) * 0.05;
    value = std::clamp(value, channel.centre - channel.span, channel.centre + channel.span);
    return inFormOf(old, value, channel.decimals);
}

void LiveValues::step(DeviceState::Access& device)
{
    std::vector<DeviceTree::Hit> hits;
    if (!device.tree().find("$.DATA.MK[*]", hits))
        return;

    TelegramBuilder telegram;
    for (const DeviceTree::Hit& hit : hits) {
        const Json::Value& measured = memberOf(hit.value, "MV");
        const Json::Value& current = memberAt(measured, {"MW", "VAL"});
        double value = 0;
        if (isFaulted(memberAt(measured, {"STF", "VAL"})) || !InputLimits::toNumber(current, value))
            continue;

        auto known = channels.find(hit.path);
        if (known == channels.end()) {
            Channel channel;
            channel.centre = value;
            channel.span = std::max(std::fabs(value) * 0.02, 0.5);
            channel.decimals = decimalsOf(current);
            known = channels.emplace(hit.path, channel).first;
        }
        const Json::Value next = nextValue(known->second, current, value);
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
    if (!telegram.isEmpty())
        device.applyAndPublish(telegram.build());
}

} // namespace devicesim
