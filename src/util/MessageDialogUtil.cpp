#include "util/MessageDialogUtil.h"

#include <QtDebug>

MessageDialogUtil::MessageDialogUtil(QObject* parent)
    : QObject(parent)
{
}

void MessageDialogUtil::convertJSONtoMessage(const Json::Value& telegram)
{
    if (!telegram.isObject())
        return;
    const Json::Value& inst = telegram["INST"];
    if (!inst.isObject() || !inst["SET"].isObject())
        return;
    const Json::Value& messages = inst["SET"]["MSG"];
    if (!messages.isArray() || messages.empty())
        return;
    qInfo().noquote() << "Received" << messages.size() << "device message(s); not shown yet";
}
