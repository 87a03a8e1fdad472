#pragma once

#include <json/json.h>

#include <string>

namespace devicesim {

// Passwords never reach a log line: the values of "PW" (user changes) and
// "PASS" (logins) become "***" wherever a body, element or value is printed.
// Only the request log (/control/requests) keeps bodies as they came.
class SecretMask
{
public:
    // A copy of value with every "PW" and "PASS" member, at any depth, masked.
    static Json::Value ofValue(const Json::Value& value);

    // Text that may not be JSON (a body that did not parse, a log line):
    // the value after a key PW or PASS and ':' or '=' ("PW":"x", PASS=x,
    // {\"PW\":\"x\"} inside a JSON string) is masked up to its closing quote
    // or bracket, or to the next ',', '}', ']', '&' or blank.
    static std::string ofText(const std::string& text);

    // Compact JSON text of value for a log line, masked.
    static std::string logText(const Json::Value& value);

    static const char* const mask;   // "***"
};

} // namespace devicesim
