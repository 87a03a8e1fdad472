#pragma once

#include "DeviceTree.h"

#include <json/json.h>

#include <string>

namespace devicesim {

// Judges a value a client writes, the way the instrument's input check does:
// - a number written as text onto a node that holds a number becomes a number;
// - a write to "<entry>.VAL" must lie within "MIN" and "MAX" of the entry's
//   "INP" (a limit may be {"PATH": p}, read from the tree).
class InputLimits
{
public:
    // True when the value may be written; value may be converted in place.
    // reason says why not.
    static bool admit(DeviceTree& tree, const std::string& path, Json::Value& value, std::string& reason);

    // True when the value keeps the node's shape and, written to
    // "<entry>.VAL", matches the entry's "INP"."REGX" as a whole: an object
    // node never becomes a scalar, and a name failing the pattern is not
    // taken. reason says why not.
    static bool admitShape(DeviceTree& tree, const std::string& path, const Json::Value& value, std::string& reason);

    // A number, or a text that holds exactly one.
    static bool toNumber(const Json::Value& value, double& number);

private:
    // A limit of "INP": a number, or {"PATH": p} naming one; false when there is none.
    static bool limit(DeviceTree& tree, const Json::Value& node, double& number);
};

} // namespace devicesim
