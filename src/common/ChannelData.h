#pragma once

#include "common/TableStructure.h"

#include <QMetaType>
#include <QString>
#include <QVector>

// One channel for the measured-value screens: value, unit, status and function
// flags and the channel's extra tables.
class ChannelData
{
public:
    // One function of the channel with its flag.
    struct Function
    {
        QString name;
        bool flag = false;
    };

    ChannelData();

    QString getValue() const { return value; }
    void setValue(const QString& text) { value = text; }

    QString getUnit() const { return unit; }
    void setUnit(const QString& text) { unit = text; }

    // A ChannelDataFlags::LeftFlags word.
    int getLeftFlags() const { return leftFlags; }
    void setLeftFlags(const int& flags) { leftFlags = flags; }

    int getRightFlags() const { return rightFlags; }
    void setRightFlags(const int& flags) { rightFlags = flags; }

    QVector<Function> getFunctionList() const { return functionList; }
    void setFunctionList(const QVector<Function>& functions) { functionList = functions; }

    // -1 until the producer selects a channel; screens select it when >= 0.
    int getChannelIndex() const { return channelIndex; }
    void setChannelIndex(int index) { channelIndex = index; }

    TableStructure getTable() const { return table; }
    void setTable(const TableStructure& extras) { table = extras; }

    QVector<TableStructure> getFunctionTables() const { return functionTables; }
    void setFunctionTables(const QVector<TableStructure>& tables) { functionTables = tables; }

    // Registers "ChannelData" and "ChannelData&" for queued connections.
    static void registerMetaTypes();

private:
    QString value;
    QString unit;
    int leftFlags = 0;
    int rightFlags = 0;
    QVector<Function> functionList;
    int channelIndex = -1;
    TableStructure table;
    QVector<TableStructure> functionTables;
};

Q_DECLARE_METATYPE(ChannelData)
