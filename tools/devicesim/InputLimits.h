#pragma once

#include "DeviceTree.h"
#include "ValueRefusal.h"

#include <json/json.h>

#include <string>

namespace devicesim {

// Judges a value a client writes, the way the instrument's input check does:
// - an object node never becomes a scalar (keepsShape);
// - a number written as text onto a node that holds a number becomes a number;
// - null is not written over a number, a text or a boolean: a setting always
//   holds a value;
// - a write to "<entry>.VAL" must lie within "MIN" and "MAX" of the entry's
//   "INP" (a limit may be {"PATH": p}, read from the tree) and match its
//   "REGX" as a whole;
// - a write to a node that a column of a table description names (an element
//   of a "TD" list under "$.DISP" whose "PATH", any index read as any
//   element, is the written path) must lie within the column's "INP": "MIN",
//   "MAX" and "REGX", matched as a whole.
class InputLimits
{
public:
    // True when the value may be written; value may be converted in place.
    // refusal says why not and what the writer is told.
    static bool admit(DeviceTree& tree, const std::string& path, Json::Value& value, ValueRefusal& refusal);

    // True when the value keeps the node's shape: an object node never
    // becomes a scalar. reason says why not.
    static bool keepsShape(DeviceTree& tree, const std::string& path, const Json::Value& value, std::string& reason);

    // A number, or a text that holds exactly one, with a decimal point in any
    // locale ("12.3", never "12,3").
    static bool toNumber(const Json::Value& value, double& number);

private:
    // A limit of "INP": a number, or {"PATH": p} naming one; false when there is none.
    static bool limit(DeviceTree& tree, const Json::Value& node, double& number);
    // True when value lies within "MIN" and "MAX" of input, if it has them.
    static bool withinLimits(DeviceTree& tree, const Json::Value& input, const Json::Value& value,
                             ValueRefusal& refusal);
    // True when a "<entry>.VAL" value fits the entry's "INP": its limits and
    // its "REGX"; any other path fits.
    static bool fitsEntry(DeviceTree& tree, const std::string& path, const Json::Value& value, ValueRefusal& refusal);
    // True when value fits the "INP" of every table column naming path.
    static bool fitsColumns(DeviceTree& tree, const std::string& path, const Json::Value& value,
                            ValueRefusal& refusal);
};

} // namespace devicesim
