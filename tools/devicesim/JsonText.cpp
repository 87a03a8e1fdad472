#include "JsonText.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace devicesim {

namespace {

std::string write(const Json::Value& value, const char* indentation)
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = indentation;
    builder["emitUTF8"] = true;
    return Json::writeString(builder, value);
}

} // namespace

std::string toCompactText(const Json::Value& value)
{
    return write(value, "");
}

std::string toIndentedText(const Json::Value& value)
{
    return write(value, "  ");
}

bool parseJson(const std::string& text, Json::Value& value, std::string* error)
{
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    // Plain numbers and strings are fine at top level; deep nesting is not.
    builder["failIfExtra"] = true;
    builder["rejectDupKeys"] = false;
    builder["stackLimit"] = 200;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    Json::Value parsed;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &parsed, &errors)) {
            if (error)
                *error = errors;
            return false;
        }
    } catch (const std::exception& e) {   // jsoncpp throws when the stack limit is hit
        if (error)
            *error = e.what();
        return false;
    }
    value.swap(parsed);
    return true;
}

const Json::Value& memberOf(const Json::Value& value, const char* key)
{
    static const Json::Value null;
    if (!value.isObject())
        return null;
    const Json::Value* member = value.find(key, key + std::strlen(key));
    return member ? *member : null;
}

const Json::Value& memberAt(const Json::Value& value, std::initializer_list<const char*> keys)
{
    const Json::Value* node = &value;
    for (const char* key : keys)
        node = &memberOf(*node, key);
    return *node;
}

bool readJsonFile(const std::string& fileName, Json::Value& value, std::string* error)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot open " + fileName;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string reason;
    if (!parseJson(text.str(), value, &reason)) {
        if (error)
            *error = fileName + ": " + reason;
        return false;
    }
    return true;
}

} // namespace devicesim
