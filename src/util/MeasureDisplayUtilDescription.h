#pragma once

#include <json/json.h>

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// What the device's channel description "$.DATA.CH" tells the measured-value
// display: where the displayed channels are, how to name them, and the member
// ways (dotted key paths inside one channel node) of value, status, flags,
// range, compensations, functions and client references.
struct MeasureDisplayUtilDescription
{
    QString displayPath;                       // "DISP"."PATH": JSONPath selecting the channel nodes
    QString updatePath;                        // "UPD"."PATH": changes below it refresh the display
    QStringList descriptionWays;               // "DESC"[]."WAY": the parts of a channel's name
    QStringList compensationWays;              // "COMP"[]."WAY"
    QString valueWay;                          // "MVTB"."MW"."WAY"
    QString maximumWay;                        // "MVTB"."MAW"."WAY"
    QString minimumWay;                        // "MVTB"."MIW"."WAY"
    QString rangeWay;                          // "BE"."WAY"
    QString functionFlagWay;                   // "FR"."WAY"
    QString statusWay;                         // "FL"."WAY"
    QStringList functionWays;                  // "MADJ".<item>."WAY"
    QVector<QStringList> functionValueWays;    // "MADJ".<item>."ADD"[]."WAY", parallel to functionWays
    QMap<QString, QString> clientMap;          // "CLNT"[]: channel member way -> mirror path

    // Reads a description node. Not an object: nothing changes. Otherwise the
    // lists are read afresh, and every other field keeps its value when its
    // node is missing or of another type.
    void read(const Json::Value& description);
};
