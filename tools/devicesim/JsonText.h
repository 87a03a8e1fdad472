#pragma once

#include <json/json.h>

#include <initializer_list>
#include <string>

namespace devicesim {

// Compact one-line JSON text (UTF-8 kept as it is), as the device sends it.
std::string toCompactText(const Json::Value& value);

// Indented JSON text, for logs.
std::string toIndentedText(const Json::Value& value);

// Parses a whole text strictly (one JSON value, nothing but blanks after it).
// False with a reason in error on any failure, also on absurdly deep nesting.
bool parseJson(const std::string& text, Json::Value& value, std::string* error = nullptr);

// The member key of value; null when value is not an object or lacks it.
// (jsoncpp's const operator[] throws on values that are not objects.)
const Json::Value& memberOf(const Json::Value& value, const char* key);

// memberOf along a chain of keys: memberOf(memberOf(value, a), b) ...
const Json::Value& memberAt(const Json::Value& value, std::initializer_list<const char*> keys);

// Reads a whole JSON file; false with a reason on failure.
bool readJsonFile(const std::string& fileName, Json::Value& value, std::string* error = nullptr);

} // namespace devicesim
