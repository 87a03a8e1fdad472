#include "util/MeasureDisplayUtilDescription.h"

#include "common/JsonMember.h"

namespace {

// The string "WAY" of an object; false (text unchanged) otherwise.
bool readWay(const Json::Value& node, QString& text)
{
    const Json::Value& way = jsonMember(node, "WAY");
    if (!way.isString())
        return false;
    text = QString::fromStdString(way.asString());
    return true;
}

void readWayOf(const Json::Value& parent, const char* key, QString& text)
{
    readWay(jsonMember(parent, key), text);
}

void readPathOf(const Json::Value& parent, const char* key, QString& text)
{
    const Json::Value& path = jsonMember(jsonMember(parent, key), "PATH");
    if (path.isString())
        text = QString::fromStdString(path.asString());
}

// The ways of the object elements of an array whose "WAY" is a string.
QStringList waysOf(const Json::Value& array)
{
    QStringList ways;
    if (!array.isArray())
        return ways;
    for (const Json::Value& element : array) {
        QString way;
        if (readWay(element, way))
            ways << way;
    }
    return ways;
}

} // namespace

void MeasureDisplayUtilDescription::read(const Json::Value& description)
{
    if (!description.isObject())
        return;
    readPathOf(description, "DISP", displayPath);
    readPathOf(description, "UPD", updatePath);
    descriptionWays = waysOf(jsonMember(description, "DESC"));

    const Json::Value& table = jsonMember(description, "MVTB");
    readWayOf(table, "MW", valueWay);
    readWayOf(table, "MAW", maximumWay);
    readWayOf(table, "MIW", minimumWay);
    readWayOf(description, "BE", rangeWay);
    readWayOf(description, "FL", statusWay);
    readWayOf(description, "FR", functionFlagWay);
    compensationWays = waysOf(jsonMember(description, "COMP"));

    functionWays.clear();
    functionValueWays.clear();
    const Json::Value& functions = jsonMember(description, "MADJ");
    const Json::Value& items = jsonMember(functions, "ITEM");
    if (items.isArray()) {
        for (const Json::Value& item : items) {
            if (!item.isString())
                continue;
            const Json::Value& function = jsonMember(functions, item.asCString());
            const Json::Value& values = jsonMember(function, "ADD");
            QString way;
            if (!readWay(function, way) || !values.isArray())
                continue;
            functionWays << way;
            functionValueWays << waysOf(values);
        }
    }

    const Json::Value& clients = jsonMember(description, "CLNT");
    if (clients.isArray()) {
        clientMap.clear();   // a client the device no longer lists must not be written any more
        for (const Json::Value& client : clients) {
            const Json::Value& way = jsonMember(client, "WAY");
            const Json::Value& path = jsonMember(client, "PATH");
            if (way.isString() && path.isString())
                clientMap.insert(QString::fromStdString(way.asString()), QString::fromStdString(path.asString()));
        }
    }
}
