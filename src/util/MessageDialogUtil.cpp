#include "util/MessageDialogUtil.h"

#include "common/Severity.h"
#include "common/ThreadHandOver.h"
#include "util/AppContext.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"
#include "view/MessageDialog.h"
#include "view/OverallView.h"
#include "view/StatusBar.h"

#include <QMetaObject>
#include <QtDebug>

#include <exception>

namespace {

const int DEFAULT_STATUS_DURATION_MS = 10000;

// member of value when value is an object holding it; else a null value.
const Json::Value& memberOf(const Json::Value& value, const char* key)
{
    static const Json::Value none;
    if (!value.isObject())
        return none;
    const Json::Value* found = value.find(key, key + qstrlen(key));
    return found ? *found : none;
}

void missingKnot(const char* text)
{
    qWarning().noquote() << QString::fromLatin1(text);
}

} // namespace

MessageDialogUtil::MessageDialogUtil(QObject* parent)
    : OverallUtil(parent)
{
    qRegisterMetaType<structMessage>("structMessage");
}

void MessageDialogUtil::convertJSONtoMessage(const Json::Value& telegram)
{
    forEachMessage(telegram, [this](const structMessage& message) { deliver(message); });
}

QList<structMessage> MessageDialogUtil::convertMessages(const Json::Value& telegram)
{
    QList<structMessage> result;
    forEachMessage(telegram, [&result](const structMessage& message) { result.append(message); });
    return result;
}

void MessageDialogUtil::forEachMessage(const Json::Value& telegram,
                                       const std::function<void(const structMessage&)>& use)
{
    Json::Value list;
    try {
        list = memberOf(memberOf(memberOf(telegram, "INST"), "SET"), "MSG");
    } catch (const std::exception& e) {
        qWarning().noquote() << "Device messages could not be read:" << e.what();
        return;
    }
    if (!list.isArray() || list.empty())
        return;

    const quint64 session = app ? app->getSession() : 0;
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        try {
            structMessage message;
            if (!convertElement(list[i], session, message))
                return;
            use(message);
        } catch (const std::exception& e) {
            qWarning().noquote() << QStringLiteral("Device message %1 of the telegram could not be handled (%2); "
                                                   "the rest of the telegram is skipped")
                                        .arg(i)
                                        .arg(QString::fromLocal8Bit(e.what()));
            return;
        } catch (...) {
            qWarning().noquote() << QStringLiteral("Device message %1 of the telegram could not be handled; "
                                                   "the rest of the telegram is skipped")
                                        .arg(i);
            return;
        }
    }
}

bool MessageDialogUtil::convertElement(const Json::Value& element, quint64 session, structMessage& message)
{
    // A non-object element lacks every knot, beginning with "MID".
    const Json::Value& mid = memberOf(element, "MID");
    if (!mid.isInt64()) {
        missingKnot("Recieved missing JSON knot \"MID\" in JSON path $.\"INST\".\"SET\".\"MSG\".\n"
                    "Unable to execute message processing");
        return false;
    }
    const Json::Value& muid = memberOf(element, "MUID");
    if (!muid.isInt64()) {
        missingKnot("Recieved missing JSON knot \"MUID\" in JSON path $.\"INST\".\"SET\".\"MSG\".\n"
                    "Unable to execute message processing");
        return false;
    }
    const Json::Value& type = memberOf(element, "MTYP");
    if (!type.isInt()) {
        missingKnot("Recieved missing JSON knot \"MTYP\" in JSON path $.\"INST\".\"SET\".\"MSG\".\n"
                    "Unable to execute message processing");
        return false;
    }
    const Json::Value& text = memberOf(element, "MSG");
    if (!text.isObject() || text.empty()) {
        missingKnot("Received missing JSON knot \"MSG\" in JSON path $.\"INST\".\"SET\".\"MSG\".\n"
                    "Unable to execute message processing");
        return false;
    }

    message.mid = mid.asInt64();
    message.muid = muid.asInt64();
    message.type = type.asInt();
    message.session = session;
    const Json::Value& duration = memberOf(element, "MTD");
    message.duration = duration.isInt() ? duration.asInt() : -1;
    translate(text, message.text);
    const Json::Value& icon = memberOf(element, "ICON");
    message.icon = icon.isInt() ? icon.asInt() : -1;
    const Json::Value& severity = memberOf(element, "SEV");
    message.severity = severity.isInt() ? severity.asInt() : 1;
    readButtons(element, message);
    return true;
}

void MessageDialogUtil::translate(const Json::Value& deviceText, QString& text)
{
    int textId = -1;
    if (jsonUtil)
        jsonUtil->getInternationalisationFromID(deviceText, textId, text);
}

void MessageDialogUtil::readButtons(const Json::Value& element, structMessage& message)
{
    message.buttonTexts.clear();
    message.buttonValues.clear();
    message.buttonOperations.clear();
    const Json::Value& table = memberOf(memberOf(element, "INP"), "TAB");
    if (!table.isArray())
        return;

    for (const Json::Value& entry : table) {
        QString caption;
        if (entry.isString()) {
            // A bare text serves as its own caption.
            caption = QString::fromStdString(entry.asString());
        } else if (entry.isObject()) {
            translate(entry, caption);
        } else {
            qWarning().noquote() << "Button entry of device message" << message.mid
                                 << "is neither an object nor a text and was left out";
            continue;
        }
        const Json::Value& operation = memberOf(entry, "OPRT");
        const Json::Value& value = memberOf(entry, "VAL");
        message.buttonTexts.append(caption);
        message.buttonOperations.append(operation.isInt() ? operation.asInt() : 0);
        if (value.isInt()) {
            message.buttonValues.append(value.asInt());
        } else {
            qWarning().noquote() << QStringLiteral("Recieved missing JSON knot \"VAL\" in JSON path "
                                                   "$.\"INST\".\"SET\".\"MSG\".\"INP\".\"TAB\".\n\"VAL\" will be "
                                                   "set to value")
                                 << -1;
            message.buttonValues.append(-1);
        }
    }
}

void MessageDialogUtil::deliver(const structMessage& message)
{
    AppContext* context = AppContext::get();
    const bool haveWindow = context->getMainWindow() != nullptr;
    AppContext::release();
    if (!haveWindow)
        return;

    if (message.type != 0) {
        MessageDialog* dialog = OverallView::getMessageDialog();
        if (dialog)
            emit dialog->showMessage(message);
        return;
    }
    // The session is checked on the GUI thread, where the line is shown: a
    // line converted just before a logout must not appear after it.
    postCall(this, [this, message] { showStatusLine(message); }, Qt::AutoConnection);
}

bool MessageDialogUtil::belongsToEndedSession(const structMessage& message) const
{
    return !message.isOwnMessage() && app && message.session != app->getSession();
}

void MessageDialogUtil::showStatusLine(structMessage message)
{
    if (belongsToEndedSession(message)) {
        qInfo().noquote() << QStringLiteral("Status line %1 of an ended session is not shown").arg(message.mid);
        return;
    }
    StatusBar* statusBar = OverallView::getStatusBar();
    if (statusBar)
        emit statusBar->showMessage(message.text, static_cast<Severity>(message.severity),
                                    message.duration < 0 ? DEFAULT_STATUS_DURATION_MS : message.duration);
}

bool MessageDialogUtil::takeAnswersQueued()
{
    return answersQueued.exchange(false);
}

void MessageDialogUtil::receivedButton_ID(int index, structMessage message)
{
    // Only device messages are answered here; the program's own questions
    // belong to whoever asked them.
    if (message.isOwnMessage())
        return;
    if (index < 0 || index >= message.buttonOperations.size())
        return;
    const int operation = message.buttonOperations.at(index);
    if (operation & structMessage::NO_OPERATION)
        return;

    if ((operation & structMessage::SEND_ANSWER) && jsonUtil) {
        const int value = index < message.buttonValues.size() ? message.buttonValues.at(index) : -1;
        const QString user = userRoleUtil ? userRoleUtil->getUserName() : QString();
        jsonUtil->requestMessage(user, message.muid, message.mid, message.type, value);
        answersQueued = true;
    }
    if (operation & structMessage::LOGOUT) {
        AppContext* context = AppContext::get();
        TevaroApp* application = context->getApp();
        AppContext::release();
        if (application)
            application->stop();
    }
}
