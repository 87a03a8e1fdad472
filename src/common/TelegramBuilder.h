#pragma once

#include "common/TelegramRequest.h"

#include <json/json.h>

#include <QString>

// Builds the JSON telegrams the client sends: the "INST" template with its
// empty "SET", "DEL" and "GET" lists, and one element per queued request.
class TelegramBuilder
{
public:
    // "DEV" of a SET element: sent to the device, or merged locally.
    enum Destination { DEVICE = 1, LOCAL = 2 };

    // {"INST":{"DEL":{"VAL":[]},"GET":{"VAL":[]},"SET":{"MSG":[],"VAL":[]}}}
    static Json::Value makeTemplate();

    // Appends the element the request's type and mode call for; some
    // combinations add nothing (the request is still part of the telegram).
    static void appendRequest(Json::Value& telegram, const TelegramRequest& request);

    static void appendSet(Json::Value& telegram, const QString& path, const Json::Value& value,
                          Destination destination);
    static void appendDelete(Json::Value& telegram, const QString& path, const Json::Value& value);
    static void appendGet(Json::Value& telegram, const QString& path, const Json::Value& value);
    static void appendMessage(Json::Value& telegram, const TelegramRequest& request);

private:
    static Json::Value pathElement(const QString& path, const Json::Value& value);
};
