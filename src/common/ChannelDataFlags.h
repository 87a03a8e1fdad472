#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>

namespace Json {
class Value;
}

// A channel's status letters and function flags as bit words.
//
// Status: the device sends an array of one-letter strings; each known letter
// sets one bit of LeftFlags (the style sheets show "LF" + bit). Function
// flags: the device sends booleans by name; each true name of the right-flag
// map sets its bit (the flag icons show "RF" + bit).
class ChannelDataFlags
{
public:
    // Registered as "ChannelDataFlags::LeftFlags"; table cells carry it as an int.
    typedef int LeftFlags;

    enum LeftFlag {
        OVERRANGE = 0x1,       // "O"
        UNDERRANGE = 0x2,      // "U"
        SENSOR_BREAK = 0x4,    // "-"
        U_LOW = 0x8,           // "F"
        INSTABLE = 0x10,       // "B"
        RESOLUTION = 0x20,     // "A"
        UNDEFINED = 0x40,      // "N"
        OFFLINE = 0x80,        // "X"
        TIMEOUT = 0x100,       // "T"
        INIT = 0x200,          // "I"
        HIGH = 0x400,          // "H": value red everywhere
        LOW = 0x800,           // "L": value blue everywhere
        MAXIMUM_MARK = 0x1000, // "h": value red in tables only
        MINIMUM_MARK = 0x2000  // "l": value blue in tables only
    };

    // The bits of a status array: every string equal to a known letter sets
    // its bit; anything else is ignored. Not an array: 0.
    static int parseLeftFlags(const Json::Value& status);

    // Function-flag name to bit ("AFA" 0x1 ... "REL" 0x10000), built once.
    static const QMap<QString, int>& rightFlagMap();

    // The bits of a function-flag node: each member of the map whose value
    // is the boolean true sets its bit. Not an object: 0.
    static int parseRightFlags(const Json::Value& flags);

    // Registers "ChannelDataFlags::LeftFlags".
    static void registerMetaTypes();
};
