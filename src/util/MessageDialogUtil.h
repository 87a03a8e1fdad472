#pragma once

#include "util/OverallUtil.h"
#include "util/StructMessage.h"

#include <json/json.h>

#include <atomic>
#include <functional>

// Turns device messages ("INST" "SET" "MSG" of any received telegram and of
// the login answer) into status-bar lines (type 0) and message dialogs, and
// carries out the button the user pressed: an answer telegram, a logout, or
// nothing. Malformed input is reported in the log and never throws.
class MessageDialogUtil : public OverallUtil
{
    Q_OBJECT

public:
    explicit MessageDialogUtil(QObject* parent = nullptr);

    // Runs on the thread that received the telegram. Each message is
    // delivered as soon as it is converted, so the ones before a faulty
    // element stay delivered.
    void convertJSONtoMessage(const Json::Value& telegram);
    // The messages of one telegram as far as they are well-formed, in order;
    // conversion stops at the first malformed element.
    QList<structMessage> convertMessages(const Json::Value& telegram);

    // Whether an answer telegram was queued since the last call; the flag is cleared.
    bool takeAnswersQueued();

public slots:
    void receivedButton_ID(int index, structMessage message);

protected:
    // Resolves a device text {"ID", "T"}, each looked up by its own id.
    virtual void translate(const Json::Value& deviceText, QString& text);

private slots:
    // GUI thread: shows a status-bar line unless its session has ended.
    void showStatusLine(structMessage message);

private:
    std::atomic<bool> answersQueued{false};

    // Converts the elements in order and hands each message to use; stops at
    // the first malformed element or failure.
    void forEachMessage(const Json::Value& telegram, const std::function<void(const structMessage&)>& use);
    // False (with a warning) when a required knot is missing.
    bool convertElement(const Json::Value& element, quint64 session, structMessage& message);
    void deliver(const structMessage& message);
    void readButtons(const Json::Value& element, structMessage& message);
    bool belongsToEndedSession(const structMessage& message) const;
};
