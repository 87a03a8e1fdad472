#pragma once

#include <json/json.h>

// Type-checked reading of device values: jsoncpp throws on conversions of
// the wrong type, and device answers may hold anything.

// The member key of node; a static null value when node is no object or has
// no such member.
const Json::Value& jsonMember(const Json::Value& node, const char* key);

// out = value when it is an int (no double, nothing outside int's range);
// false, out unchanged, otherwise.
bool readJsonInt(const Json::Value& value, int& out);

// readJsonInt of jsonMember(node, key).
bool readIntMember(const Json::Value& node, const char* key, int& out);
