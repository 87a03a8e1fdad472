#pragma once

#include <json/json.h>

#include <string>

namespace devicesim {

// Builds one device telegram: {"INST":{"DEL":{"VAL":[...]},"SET":{"VAL":[...],"MSG":[...],"MEM":[...]}}}.
// Lists that stay empty are left out. Elements carry "MODE" and a "DEST"
// with "PATH", "DEV" 1 and an empty "PROP", as the client writes them.
class TelegramBuilder
{
public:
    TelegramBuilder& set(const std::string& path, const Json::Value& value);
    TelegramBuilder& del(const std::string& path, int mode = 0);
    TelegramBuilder& message(const Json::Value& message);    // one "MSG" element
    TelegramBuilder& chartBlock(const Json::Value& block);   // one "MEM" block

    bool isEmpty() const;
    Json::Value build() const;

    static Json::Value setElement(const std::string& path, const Json::Value& value);
    static Json::Value delElement(const std::string& path, int mode = 0);

private:
    Json::Value sets = Json::Value(Json::arrayValue);
    Json::Value dels = Json::Value(Json::arrayValue);
    Json::Value messages = Json::Value(Json::arrayValue);
    Json::Value chartBlocks = Json::Value(Json::arrayValue);
};

} // namespace devicesim
