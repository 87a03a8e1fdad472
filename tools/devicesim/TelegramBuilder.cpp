#include "TelegramBuilder.h"

namespace devicesim {

namespace {

Json::Value destination(const std::string& path)
{
    Json::Value dest(Json::objectValue);
    dest["PATH"] = path;
    dest["DEV"] = 1;
    dest["PROP"] = "";
    return dest;
}

} // namespace

Json::Value TelegramBuilder::setElement(const std::string& path, const Json::Value& value)
{
    Json::Value element(Json::objectValue);
    element["MODE"] = 0;
    element["DEST"] = destination(path);
    element["VAL"] = value;
    return element;
}

Json::Value TelegramBuilder::delElement(const std::string& path, int mode)
{
    Json::Value element(Json::objectValue);
    element["MODE"] = mode;
    element["DEST"] = destination(path);
    return element;
}

TelegramBuilder& TelegramBuilder::set(const std::string& path, const Json::Value& value)
{
    sets.append(setElement(path, value));
    return *this;
}

TelegramBuilder& TelegramBuilder::del(const std::string& path, int mode)
{
    dels.append(delElement(path, mode));
    return *this;
}

TelegramBuilder& TelegramBuilder::message(const Json::Value& message)
{
    messages.append(message);
    return *this;
}

TelegramBuilder& TelegramBuilder::chartBlock(const Json::Value& block)
{
    chartBlocks.append(block);
    return *this;
}

bool TelegramBuilder::isEmpty() const
{
    return sets.empty() && dels.empty() && messages.empty() && chartBlocks.empty();
}

Json::Value TelegramBuilder::build() const
{
    Json::Value inst(Json::objectValue);
    if (!dels.empty())
        inst["DEL"]["VAL"] = dels;
    if (!sets.empty())
        inst["SET"]["VAL"] = sets;
    if (!messages.empty())
        inst["SET"]["MSG"] = messages;
    if (!chartBlocks.empty())
        inst["SET"]["MEM"] = chartBlocks;
    Json::Value telegram(Json::objectValue);
    telegram["INST"] = inst;
    return telegram;
}

} // namespace devicesim
