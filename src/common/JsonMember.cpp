#include "common/JsonMember.h"

#include <cstring>

const Json::Value& jsonMember(const Json::Value& node, const char* key)
{
    static const Json::Value none;
    if (!node.isObject())
        return none;
    const Json::Value* found = node.find(key, key + std::strlen(key));
    return found ? *found : none;
}

bool readJsonInt(const Json::Value& value, int& out)
{
    if (!value.isInt())
        return false;
    out = value.asInt();
    return true;
}

bool readIntMember(const Json::Value& node, const char* key, int& out)
{
    return readJsonInt(jsonMember(node, key), out);
}
