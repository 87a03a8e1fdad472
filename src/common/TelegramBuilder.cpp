#include "common/TelegramBuilder.h"

#include "common/GlobalEnums.h"

Json::Value TelegramBuilder::makeTemplate()
{
    Json::Value telegram(Json::objectValue);
    Json::Value& inst = telegram["INST"];
    inst["SET"]["VAL"] = Json::Value(Json::arrayValue);
    inst["SET"]["MSG"] = Json::Value(Json::arrayValue);
    inst["DEL"]["VAL"] = Json::Value(Json::arrayValue);
    inst["GET"]["VAL"] = Json::Value(Json::arrayValue);
    return telegram;
}

void TelegramBuilder::appendRequest(Json::Value& telegram, const TelegramRequest& request)
{
    const int mode = request.mode;
    switch (request.kind) {
    case REQUEST_PATH:
        // A plain read never carries a value, whatever its mode.
        appendGet(telegram, request.path, Json::Value());
        break;
    case REQUEST_MESSAGE:
        appendMessage(telegram, request);
        break;
    case REQUEST_CONFIG:
    case REQUEST_USER:
        if (mode == GlobalEnums::DEL)
            appendDelete(telegram, request.path, request.value);
        else if (mode == GlobalEnums::SET)
            appendSet(telegram, request.path, request.value, DEVICE);
        break;
    case REQUEST_MEASURE:
    case REQUEST_EXPORT:
        if (mode == GlobalEnums::GET)
            appendGet(telegram, request.path, request.value);
        else if (mode == GlobalEnums::DEL)
            appendDelete(telegram, request.path, request.value);
        else if (mode == GlobalEnums::SET)
            appendSet(telegram, request.path, request.value, DEVICE);
        break;
    }
}

void TelegramBuilder::appendSet(Json::Value& telegram, const QString& path, const Json::Value& value,
                                Destination destination)
{
    Json::Value element(Json::objectValue);
    element["MODE"] = 0;
    element["DEST"]["PATH"] = path.toStdString();
    element["DEST"]["DEV"] = static_cast<int>(destination);
    element["DEST"]["PROP"] = "";
    element["VAL"] = value;   // always present, null included
    telegram["INST"]["SET"]["VAL"].append(element);
}

void TelegramBuilder::appendDelete(Json::Value& telegram, const QString& path, const Json::Value& value)
{
    telegram["INST"]["DEL"]["VAL"].append(pathElement(path, value));
}

void TelegramBuilder::appendGet(Json::Value& telegram, const QString& path, const Json::Value& value)
{
    telegram["INST"]["GET"]["VAL"].append(pathElement(path, value));
}

void TelegramBuilder::appendMessage(Json::Value& telegram, const TelegramRequest& request)
{
    Json::Value element(Json::objectValue);
    element["USER"] = request.user.toStdString();
    element["MID"] = static_cast<Json::Int64>(request.mid);
    element["MUID"] = static_cast<Json::Int64>(request.muid);
    element["MTYP"] = request.mtyp;
    element["VAL"] = request.value.isInt() ? request.value.asInt() : 0;
    telegram["INST"]["SET"]["MSG"].append(element);
}

Json::Value TelegramBuilder::pathElement(const QString& path, const Json::Value& value)
{
    Json::Value element(Json::objectValue);
    element["MODE"] = 0;
    element["DEST"]["PATH"] = path.toStdString();
    if (!value.empty())   // null, [] and {} are left out
        element["VAL"] = value;
    return element;
}
