#pragma once

#include "common/TableCell.h"

#include <json/json.h>

#include <QString>
#include <QStringList>
#include <QVector>

#include <string>
#include <vector>

class JSONUtil;

// What one build of the channel list reads. The util copies it when the build
// is asked for, so the GUI thread may read a new description meanwhile.
struct ChannelListBuildInput
{
    QString displayPath;            // selects the channels; empty: no channels
    QStringList descriptionWays;    // parts of a channel's description
    QStringList columnWays;         // way of the item shown in columns 1, 2, 3 ("" none)
    QString flagWay;                // status letters, below it ".VAL"
    QString valueWay;               // items whose status bits the column shows
    QString maximumWay;
    QString minimumWay;
    quint64 session = 0;            // the list's session the build belongs to
};

// Turns channel nodes into rows of the channel list: column 0 the channel's
// description, columns 1 to 3 measured-value cells of the chosen items. Every
// device member is type-checked: nothing throws, a mistyped member shows as
// missing. The ways are split once, so building a row copies no JSON.
class ChannelListUtilRows
{
public:
    static constexpr int VALUE_COLUMNS = 3;

    // jsonUtil translates units given as text objects; without it their "T" shows.
    ChannelListUtilRows(const ChannelListBuildInput& input, JSONUtil* jsonUtil);

    // The row of one channel; false (no row) when channel is not an object.
    bool buildRow(const Json::Value& channel, const QString& path, QVector<TableCell>& row) const;

    // "VAL" as shown: a text unchanged, a number with 6 significant digits,
    // anything else "---".
    static QString valueText(const Json::Value& value);

private:
    using KeyPath = std::vector<std::string>;

    // Which status bits a value column keeps.
    enum StatusMask { ALL_BUT_MARKS, MAXIMUM_MARK_ONLY, MINIMUM_MARK_ONLY, NO_STATUS };

    static KeyPath split(const QString& way);
    // The member at path below node, or null when a step is missing or no object;
    // an empty path finds nothing.
    static const Json::Value* find(const Json::Value& node, const KeyPath& path);
    static int masked(int bits, StatusMask mask);

    QString description(const Json::Value& channel) const;
    TableCell valueCell(const Json::Value& item, const QString& path, int status, StatusMask mask) const;
    QString unitText(const Json::Value& dim) const;

    JSONUtil* jsonUtil;
    std::vector<KeyPath> descriptionWays;
    std::vector<KeyPath> columnWays;
    std::vector<StatusMask> columnMasks;
    KeyPath statusPath;
};
