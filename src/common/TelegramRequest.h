#pragma once

#include "common/RequestType.h"

#include <json/json.h>

#include <QString>

// One queued read or write, copied by value into the request queue.
struct TelegramRequest
{
    RequestType kind = REQUEST_PATH;
    qint64 id = -1;        // -1 until the request is queued
    QString path;          // empty for a message answer
    Json::Value value;     // value to write, filter of a read, or the message answer
    int mode = 0;          // a GlobalEnums::InstructionType; unused by types 1 and 3
    QString user;          // message answer: the answering user's name
    qint64 muid = 0;       // message answer: "MUID" of the answered message
    qint64 mid = 0;        // message answer: "MID" of the answered message
    int mtyp = 0;          // message answer: "MTYP" of the answered message
    QString label;         // configuration write: the entry as the screen names it; never sent
    const void* writer = nullptr;  // configuration write: who queued it, to be told when it ends; never sent
    quint64 save = 0;              // configuration write: which of the writer's saves it belongs to
    bool sent = false;             // handed to the network at least once
    bool mayHaveReached = false;   // an attempt ended unanswered: the device may have taken it
};
