#include "DeviceMessages.h"

#include "JsonText.h"
#include "SecretMask.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

namespace devicesim {

namespace {

Json::Value button(int textId, const char* text, int operation, int value)
{
    Json::Value entry(Json::objectValue);
    entry["ID"] = textId;
    entry["T"] = text;
    entry["OPRT"] = operation;
    entry["VAL"] = value;
    return entry;
}

} // namespace

Json::Value DeviceMessages::complete(const Json::Value& message)
{
    Json::Value result = message.isObject() ? message : Json::Value(Json::objectValue);
    std::lock_guard<std::mutex> guard(mutex);
    if (!result.isMember("MID"))
        result["MID"] = Json::Int64(nextMid++);
    if (!result.isMember("MUID"))
        result["MUID"] = Json::Int64(nextMuid++);
    if (!result.isMember("MTYP"))
        result["MTYP"] = 1;
    if (!result.isMember("MSG")) {
        result["MSG"]["ID"] = 20900;
        result["MSG"]["T"] = "Meldung des Geräts";
    }
    if (!result.isMember("INP") && result["MTYP"] != 0)
        result["INP"]["TAB"].append(button(628, "Ok", 1, 1));
    return result;
}

Json::Value DeviceMessages::prepare(const Json::Value& messages, bool raw)
{
    Json::Value list(Json::arrayValue);
    if (messages.isArray()) {
        for (const Json::Value& message : messages)
            list.append(raw ? message : complete(message));
    } else {
        list.append(raw ? messages : complete(messages));
    }
    return list;
}

Json::Value DeviceMessages::raise(DeviceState::Access& device, const Json::Value& messages, bool raw)
{
    const Json::Value list = prepare(messages, raw);
    TelegramBuilder telegram;
    for (const Json::Value& message : list)
        telegram.message(message);
    device.publish(telegram.build());
    qInfo("Device message raised: %s", SecretMask::logText(list).c_str());
    return list;
}

Json::Value DeviceMessages::raiseAtLogin(const Json::Value& messages, bool raw)
{
    const Json::Value list = prepare(messages, raw);
    std::lock_guard<std::mutex> guard(mutex);
    for (const Json::Value& message : list)
        loginMessages.append(message);
    return list;
}

Json::Value DeviceMessages::takeLoginMessages()
{
    std::lock_guard<std::mutex> guard(mutex);
    Json::Value taken(Json::arrayValue);
    taken.swap(loginMessages);
    return taken;
}

void DeviceMessages::recordAnswer(const Json::Value& answer, const std::string& user)
{
    qInfo("Answer of \"%s\" to device message: %s", user.c_str(), SecretMask::logText(answer).c_str());
    std::lock_guard<std::mutex> guard(mutex);
    answerList.append(answer);
}

Json::Value DeviceMessages::answers() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return answerList;
}

} // namespace devicesim
