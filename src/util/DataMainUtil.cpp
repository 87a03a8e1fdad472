#include "util/DataMainUtil.h"

#include "util/JSONUtil.h"
#include "util/RingBufferState.h"

#include <json/json.h>

namespace {

const char* const SSID_PATH = "$.SERV.NET.SSID";

} // namespace

DataMainUtil::DataMainUtil(QObject* parent)
    : OverallUtil(parent)
{
    GlobalEnums::registerMetaTypes();
    if (jsonUtil)
        connect(jsonUtil, SIGNAL(telegramAvailable(GlobalEnums::InstructionType,QString)), this,
                SLOT(jsonTelegramm(GlobalEnums::InstructionType,QString)));
    setBlockable(true);
}

void DataMainUtil::readRingBuffer()
{
    int state = 0;
    if (readRingBufferState(jsonUtil, state))
        emit updateRingBuffer(state);
}

void DataMainUtil::readConnectionInfo()
{
    if (!jsonUtil)
        return;
    Json::Value value;
    jsonUtil->getMasterJSONbyPath(QLatin1String(SSID_PATH), value, true);
    if (!value.isNull() && value.isString())
        emit updateConnectionInfo(QString::fromStdString(value.asString()));
}

void DataMainUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    Q_UNUSED(type)
    if (path == QLatin1String(RING_BUFFER_PATH))
        emit updateRingBuffer();
    else if (path == QLatin1String(SSID_PATH))
        emit updateConnectionInfo();
}
