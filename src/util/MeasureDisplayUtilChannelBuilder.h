#pragma once

#include "common/ChannelData.h"
#include "common/TableStructure.h"

#include <json/json.h>

#include <QString>

class DeviceConfigUtil;
class JSONUtil;
struct MeasureDisplayUtilDescription;

// Builds the ChannelData of one channel node for the measured-value display:
// value, unit, status and function flags, the table of range, maximum,
// minimum and active compensations, and, when asked for, the channel's
// functions with one settings table each.
//
// Device members of the wrong type never throw: a text becomes empty or
// "---", a flag no bit, an entry is skipped. GUI thread (the input cells
// come from the configuration cell factory).
class MeasureDisplayUtilChannelBuilder
{
public:
    // jsonUtil translates device texts (null: a text is its "T");
    // cellFactory makes the functions' input cells (null: no functions).
    MeasureDisplayUtilChannelBuilder(JSONUtil* jsonUtil, DeviceConfigUtil* cellFactory);

    ChannelData build(const MeasureDisplayUtilDescription& description, const Json::Value& channel,
                      const QString& channelPath, int channelIndex, bool loadFunctions) const;

    // A number as QString::number(v, 'g', 6), a string unchanged; false for
    // anything else.
    static bool valueText(const Json::Value& value, QString& text);
    // The member at a dotted way below channel; null when the way is empty
    // or leads nowhere.
    static Json::Value lookUp(const Json::Value& channel, const QString& way);
    // A device text {"T", "ID"} in the user's language; empty for anything else.
    QString deviceText(const Json::Value& node) const;
    // A unit: a string, or a device text.
    QString unitText(const Json::Value& dim) const;

    // Shown for a range or extreme value the channel does not give.
    static const QString NO_VALUE;

private:
    TableStructure compensationTable(const MeasureDisplayUtilDescription& description, const Json::Value& channel,
                                     int leftFlags, int rightFlags) const;
    QVector<TableCell> extremesRow(const MeasureDisplayUtilDescription& description, const Json::Value& channel,
                                   int leftFlags) const;
    QVector<TableCell> compensationRow(const Json::Value& compensation) const;
    void addFunctions(const MeasureDisplayUtilDescription& description, const Json::Value& channel,
                      const QString& channelPath, ChannelData& data) const;
    QVector<TableCell> functionValueRow(const Json::Value& node, const QString& valuePath) const;

    JSONUtil* jsonUtil;
    DeviceConfigUtil* cellFactory;
};
