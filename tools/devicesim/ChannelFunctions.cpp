#include "ChannelFunctions.h"

#include "InputLimits.h"
#include "JsonText.h"
#include "ValueForm.h"

#include <QtGlobal>

namespace devicesim {

namespace {

const char* const channelList = "$.DATA.MK";
const char* const valueItems[] = {".MV.MW.VAL", ".MV.MAW.VAL", ".MV.MIW.VAL", ".MV.MTW.VAL"};

// "$.DATA.MK[3]" of "$.DATA.MK[3].FCT.TARA.VAL".
std::string channelOf(const std::string& path)
{
    return path.substr(0, path.find(".FCT."));
}

bool isTrigger(const Json::Value& value)
{
    double number = 0;
    return InputLimits::toNumber(value, number) && number == 1;
}

// The channel's values, each less delta, in their own form.
void shiftValues(DeviceTree& tree, const std::string& channel, double delta, TelegramProcessor::Writes& changes)
{
    for (const char* item : valueItems) {
        const std::string path = channel + item;
        const Json::Value current = tree.valueAt(path);
        double number = 0;
        if (InputLimits::toNumber(current, number))
            changes.emplace_back(path, inFormOf(current, number - delta, decimalsOf(current)));
    }
}

} // namespace

void ChannelFunctions::registerWith(TelegramProcessor& processor)
{
    const std::string functions = std::string(channelList) + "[*].FCT.";
    processor.addFunction(functions + "CLMX.VAL", &ChannelFunctions::clearExtremes);
    processor.addFunction(functions + "TARA.VAL", &ChannelFunctions::tare);
    processor.addFunction(functions + "TARA.OFFS.VAL", &ChannelFunctions::offsetChanged);
    processor.addFixedList(channelList);
}

void ChannelFunctions::clearExtremes(DeviceTree& tree, const std::string& path, const Json::Value&,
                                     const Json::Value& value, TelegramProcessor::Writes& changes)
{
    if (!isTrigger(value))
        return;
    const std::string channel = channelOf(path);
    const Json::Value current = tree.valueAt(channel + ".MV.MW.VAL");
    double number = 0;
    const bool numeric = InputLimits::toNumber(current, number);
    for (const char* item : {".MV.MAW.VAL", ".MV.MIW.VAL"}) {
        bool exists = false;
        const Json::Value extreme = tree.valueAt(channel + item, &exists);
        if (exists)   // a number keeps the extreme's form; "-----" is taken as it is
            changes.emplace_back(channel + item, numeric ? inFormOf(extreme, number, decimalsOf(current)) : current);
    }
    changes.emplace_back(path, 0);
}

void ChannelFunctions::tare(DeviceTree& tree, const std::string& path, const Json::Value&, const Json::Value& value,
                            TelegramProcessor::Writes& changes)
{
    if (!isTrigger(value))
        return;
    const std::string channel = channelOf(path);
    const std::string offsetPath = channel + ".FCT.TARA.OFFS.VAL";
    bool hasOffset = false;
    const Json::Value oldOffset = tree.valueAt(offsetPath, &hasOffset);
    double offset = 0;
    double measured = 0;
    if (!hasOffset || !InputLimits::toNumber(oldOffset, offset)
        || !InputLimits::toNumber(tree.valueAt(channel + ".MV.MW.VAL"), measured)) {
        qInfo("Zero of %s refused: no offset or no measured value", channel.c_str());
    } else {
        const Json::Value places = tree.valueAt(channel + ".FCT.TARA.OFFS.INP.DP");
        Json::Value newOffset =
            inFormOf(oldOffset, offset + measured, places.isInt() ? places.asInt() : decimalsOf(oldOffset));
        ValueRefusal refusal;
        if (!InputLimits::admit(tree, offsetPath, newOffset, refusal)) {
            qInfo("Zero of %s refused: %s", channel.c_str(), refusal.reason.c_str());
        } else {
            changes.emplace_back(offsetPath, newOffset);
            shiftValues(tree, channel, measured, changes);
        }
    }
    changes.emplace_back(path, 0);
}

void ChannelFunctions::offsetChanged(DeviceTree& tree, const std::string& path, const Json::Value& previous,
                                     const Json::Value& value, TelegramProcessor::Writes& changes)
{
    double before = 0;
    double after = 0;
    if (InputLimits::toNumber(previous, before) && InputLimits::toNumber(value, after) && after != before)
        shiftValues(tree, channelOf(path), after - before, changes);
}

} // namespace devicesim
