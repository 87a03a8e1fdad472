#pragma once

#include <json/json.h>

namespace devicesim {

// Measured values keep the form they have in the tree: fixed-point text with
// a number of decimals ("78.42"), or a JSON number.

// The decimals of a fixed-point text; 2 for anything else.
int decimalsOf(const Json::Value& value);

// value in the form of like: text with decimals decimals when like is text,
// else a number rounded to them. Never "-0.00".
Json::Value inFormOf(const Json::Value& like, double value, int decimals);

} // namespace devicesim
