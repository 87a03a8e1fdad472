#pragma once

#include <json/json.h>

#include <QObject>

// Turns device messages ("INST" "SET" "MSG") into status-bar lines and
// message dialogs. Until the message dialog exists the messages are only
// logged.
class MessageDialogUtil : public QObject
{
    Q_OBJECT

public:
    explicit MessageDialogUtil(QObject* parent = nullptr);

    // Called with every received telegram and with the login reply, on the
    // thread that received it.
    void convertJSONtoMessage(const Json::Value& telegram);
};
