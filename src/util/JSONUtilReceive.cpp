// The receive path of JSONUtil: unwrapping answers, the received list, and
// applying telegrams to the mirror with their change notifications.
#include "util/JSONUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/LogRedaction.h"
#include "common/ZZJSON.h"
#include "json/MasterJSON.h"
#include "util/AppContext.h"
#include "util/CustomPlotLineUtil.h"
#include "util/DeviceConfigUtil.h"
#include "util/MessageDialogUtil.h"
#include "util/TevaroApp.h"

#include <QtDebug>

#include <exception>

using KORVALIS::JSON::TelegramResult;

namespace {

// The member key of value when value is an object holding it; else null.
const Json::Value* member(const Json::Value* value, const char* key)
{
    if (!value || !value->isObject() || !value->isMember(key))
        return nullptr;
    return &(*value)[key];
}

GlobalEnums::InstructionType typeOf(int instruction)
{
    switch (instruction) {
    case 1:
        return GlobalEnums::GET;
    case TelegramResult::Set:
        return GlobalEnums::SET;
    case TelegramResult::Delete:
        return GlobalEnums::DEL;
    default:
        return GlobalEnums::NO_INSTRUCTION;
    }
}

} // namespace

qint64 JSONUtil::handleReplies(qint64 lastReqId, QList<Reply>& replies)
{
    for (const Reply& reply : qAsConst(replies)) {
        try {
            Json::Value answer;
            if (!getJsonFromByteArray(reply.getData(), answer))
                continue;

            const Json::Value* reqId = member(&answer, "ReqID");
            if (reqId && reqId->isInt64() && reqId->asInt64() >= 0) {
                lastReqId = reqId->asInt64();
                addReceiveJSON(answer["ReqContent"]);
            } else if (answer.isObject() || answer.isArray()) {
                addReceiveJSON(answer);
            }
        } catch (const std::exception& e) {
            qWarning().noquote() << "Answer of the device could not be handled:" << e.what();
        }
    }
    return lastReqId;
}

void JSONUtil::addReceiveJSON(const Json::Value& value)
{
    if (value.empty())
        return;
    AnnotatedMutexLocker locker(&receivedMutex);
    if (value.isObject()) {
        received.append(value);
    } else if (value.isArray()) {
        for (const Json::Value& element : value)
            received.append(element);
    }
}

Json::Value JSONUtil::getReceiveJSON(const int& index)
{
    AnnotatedMutexLocker locker(&receivedMutex);
    if (index < 0 || index >= received.size())
        return Json::Value();
    return received.at(index);
}

bool JSONUtil::takeReceiveJSON(Json::Value& telegram)
{
    AnnotatedMutexLocker locker(&receivedMutex);
    if (received.isEmpty())
        return false;
    telegram = received.takeFirst();
    return true;
}

void JSONUtil::removeReceiveJSON(const int& index)
{
    AnnotatedMutexLocker locker(&receivedMutex);
    if (index >= 0 && index < received.size())
        received.removeAt(index);
}

int JSONUtil::getReceiveCount()
{
    AnnotatedMutexLocker locker(&receivedMutex);
    return received.size();
}

void JSONUtil::clearReceiveJSON()
{
    AnnotatedMutexLocker locker(&receivedMutex);
    received.clear();
}

void JSONUtil::handleReceiveJSON(Json::Value& telegram)
{
    if (!telegram.isObject() || telegram.empty())
        return;

    try {
        std::vector<TelegramResult> results;
        bool applied = false;
        try {
            applied = masterJSON->applyTelegram(telegram, masterJSON->getJSON(), &results);
        } catch (const std::exception&) {
            applied = false;
        }
        if (!applied) {
            qWarning().noquote() << QStringLiteral("JSON telegram could not be added to MasterJSON. \n%1")
                                        .arg(LogRedaction::forLog(ZZJSON::toStyledQString(telegram)));
        } else if (!results.empty()) {
            noteSentNodes(telegram, results);
            announceResults(results);
        }
        forwardTelegram(telegram);
    } catch (const std::exception& e) {
        qWarning().noquote() << "Received telegram could not be handled:" << e.what();
    }
}

// A registered change filter. The announcing thread keeps it alive while it
// calls the filter, so removing the filter can wait for that call.
struct JSONUtil::ChangeFilterGate
{
    explicit ChangeFilterGate(DeviceConfigUtil* filter) : filter(filter) {}

    DeviceConfigUtil* const filter;
    QMutex mutex;           // held while the filter is called and while it is removed
    bool removed = false;   // under mutex
};

void JSONUtil::addChangeFilter(DeviceConfigUtil* filter)
{
    auto gate = std::make_shared<ChangeFilterGate>(filter);
    AnnotatedMutexLocker locker(&filterListMutex);
    changeFilters.append(gate);
}

void JSONUtil::removeChangeFilter(DeviceConfigUtil* filter)
{
    std::shared_ptr<ChangeFilterGate> gate;
    {
        AnnotatedMutexLocker locker(&filterListMutex);
        for (int i = 0; i < changeFilters.size() && !gate; ++i) {
            if (changeFilters.at(i)->filter == filter)
                gate = changeFilters.takeAt(i);
        }
    }
    if (!gate)
        return;
    AnnotatedMutexLocker locker(&gate->mutex);   // waits for a call under way
    gate->removed = true;
}

JSONUtil::ChangeFilters JSONUtil::changeFilterSnapshot()
{
    AnnotatedMutexLocker locker(&filterListMutex);
    return ChangeFilters(changeFilters.cbegin(), changeFilters.cend());   // no list shared with the GUI thread
}

void JSONUtil::callChangeFilters(const ChangeFilters& filters, const std::function<void(DeviceConfigUtil*)>& call)
{
    for (const std::shared_ptr<ChangeFilterGate>& gate : filters) {
        AnnotatedMutexLocker locker(&gate->mutex);
        if (!gate->removed)
            call(gate->filter);
    }
}

void JSONUtil::announceResults(const std::vector<TelegramResult>& results)
{
    allowReadsAround(results);
    const ChangeFilters filters = changeFilterSnapshot();
    callChangeFilters(filters, [](DeviceConfigUtil* filter) { filter->beforeJsonTelegramm(); });
    emit beforeTelegramAvailable();
    for (const TelegramResult& result : results) {
        const QString path = QString::fromStdString(result.path);
        if (result.result == TelegramResult::Applied && result.instruction == TelegramResult::Delete)
            forgetReadsAround(path);
        if (result.result == TelegramResult::Applied) {
            const GlobalEnums::InstructionType type = typeOf(result.instruction);
            callChangeFilters(filters, [type, &path](DeviceConfigUtil* filter) { filter->jsonTelegramm(type, path); });
            emit telegramAvailable(type, path);
        }
        emit telegramAvailable(static_cast<GlobalEnums::InstructionResult>(result.result), path);
        if (path == QLatin1String("$.IPTH"))
            requestInitialPaths();
    }
    callChangeFilters(filters, [](DeviceConfigUtil* filter) { filter->afterJsonTelegramm(); });
    emit afterTelegramAvailable();
}

void JSONUtil::forwardTelegram(const Json::Value& telegram)
{
    const Json::Value* memArray = member(member(member(&telegram, "INST"), "SET"), "MEM");
    if (memArray && memArray->isArray() && !memArray->empty()) {
        AnnotatedMutexLocker locker(&chartMutex);   // the worker cannot go while it takes the data
        if (chartUtil)
            chartUtil->addChartData(*memArray);
    }
    forwardMessages(telegram);
}

void JSONUtil::forwardMessages(const Json::Value& telegram)
{
    AppContext* context = AppContext::get();
    TevaroApp* app = context->getApp();
    MessageDialogUtil* messages = app ? app->getMessageDialogUtil() : nullptr;
    AppContext::release();
    if (messages)
        messages->convertJSONtoMessage(telegram);
}

void JSONUtil::requestInitialPaths()
{
    Json::Value paths;
    getMasterJSONbyPath(QStringLiteral("$.IPTH"), paths, true);
    if (!paths.isArray())
        return;
    QStringList reads;
    for (const Json::Value& path : paths) {
        if (path.isString())
            reads << QString::fromStdString(path.asString());
    }
    requestPaths(reads);
}
