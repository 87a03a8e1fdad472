#include "common/ChannelDataFlags.h"

#include <json/json.h>

#include <QMetaType>

namespace {

struct Letter
{
    const char* text;
    int bit;
};

// Compared in this order; the first equal letter counts.
const Letter LETTERS[] = {
    {"O", ChannelDataFlags::OVERRANGE},  {"U", ChannelDataFlags::UNDERRANGE}, {"-", ChannelDataFlags::SENSOR_BREAK},
    {"F", ChannelDataFlags::U_LOW},      {"B", ChannelDataFlags::INSTABLE},   {"A", ChannelDataFlags::RESOLUTION},
    {"N", ChannelDataFlags::UNDEFINED},  {"X", ChannelDataFlags::OFFLINE},    {"T", ChannelDataFlags::TIMEOUT},
    {"I", ChannelDataFlags::INIT},       {"L", ChannelDataFlags::LOW},        {"H", ChannelDataFlags::HIGH},
    {"h", ChannelDataFlags::MAXIMUM_MARK}, {"l", ChannelDataFlags::MINIMUM_MARK},
};

} // namespace

int ChannelDataFlags::parseLeftFlags(const Json::Value& status)
{
    if (!status.isArray())
        return 0;
    int bits = 0;
    for (const Json::Value& element : status) {
        if (!element.isString())
            continue;
        const std::string text = element.asString();
        for (const Letter& letter : LETTERS) {
            if (text == letter.text) {
                bits |= letter.bit;
                break;
            }
        }
    }
    return bits;
}

const QMap<QString, int>& ChannelDataFlags::rightFlagMap()
{
    static const QMap<QString, int> map = {
        {QStringLiteral("AFA"), 0x1},     {QStringLiteral("AFD"), 0x2},     {QStringLiteral("AFMA"), 0x4},
        {QStringLiteral("AFMI"), 0x8},    {QStringLiteral("AFMT"), 0x10},   {QStringLiteral("CP"), 0x20},
        {QStringLiteral("CP_"), 0x40},    {QStringLiteral("CT"), 0x80},     {QStringLiteral("CT_"), 0x100},
        {QStringLiteral("CTP"), 0x200},   {QStringLiteral("CTP_"), 0x400},  {QStringLiteral("CJ"), 0x800},
        {QStringLiteral("DAMP"), 0x1000}, {QStringLiteral("KORR"), 0x2000}, {QStringLiteral("MT"), 0x4000},
        {QStringLiteral("REF"), 0x8000},  {QStringLiteral("REL"), 0x10000},
    };
    return map;
}

int ChannelDataFlags::parseRightFlags(const Json::Value& flags)
{
    if (!flags.isObject())
        return 0;
    int bits = 0;
    const QMap<QString, int>& map = rightFlagMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const std::string name = it.key().toStdString();
        const Json::Value* member = flags.find(name.data(), name.data() + name.size());
        if (member && member->isBool() && member->asBool())
            bits |= it.value();
    }
    return bits;
}

void ChannelDataFlags::registerMetaTypes()
{
    qRegisterMetaType<int>("ChannelDataFlags::LeftFlags");
}
