// The chart worker's life cycle, its queue and its GUI-thread side:
// measurement state, start/stop function, limit and stored-window requests.
// The feed itself is in CustomPlotLineUtilFeed.cpp.
#include "util/CustomPlotLineUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/Severity.h"
#include "common/ThreadHandOver.h"
#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"
#include "util/StatusMessageSink.h"
#include "util/UserRoleUtil.h"
#include "view/CustomPlotLine.h"
#include "widgets/LockedGraph.h"

#include <QDateTime>
#include <QtDebug>

#include <limits>
#include <utility>

namespace {

const char* const MAX_POINTS_KEY = "Config/LineChart/Data/Max";
const int DEFAULT_MAX_POINTS = 500000;
const qlonglong LOWEST_MAX_POINTS = 1000;
const qlonglong HIGHEST_MAX_POINTS = 10000000;
// Accepts no block: the id of no measurement while a new one is being prepared.
const int NO_MEASUREMENT_ID = std::numeric_limits<int>::min();

const char* const START_STOP_PATH = "$.SERV.FCT.STST";
const char* const START_STOP_VALUE_PATH = "$.SERV.FCT.STST.VAL";
const char* const MEASURE_PATH = "$.SERV.STAT.MEAS";
const char* const MEASURE_STATE_PATH = "$.SERV.STAT.MEAS.VAL";
const char* const LIMIT_PATH = "$.SERV.STAT.MEAS.LIMT";
const char* const MEASURE_TABLE_PATH = "$.MEM.MTAB";

const int LIMIT_TEXT_ID = 965;
const int LIMIT_MESSAGE_MS = 10000;

int readMaxPoints(SettingsUtil* settings)
{
    const QVariant value = settings ? settings->getValue(QLatin1String(MAX_POINTS_KEY), DEFAULT_MAX_POINTS)
                                    : QVariant(DEFAULT_MAX_POINTS);
    bool ok = false;
    const qlonglong count = value.toString().trimmed().toLongLong(&ok);
    if (!ok || count < LOWEST_MAX_POINTS || count > HIGHEST_MAX_POINTS) {
        qWarning().noquote() << QStringLiteral("Setting %1 is no whole number from %2 to %3 (%4); %5 points are kept")
                                    .arg(QLatin1String(MAX_POINTS_KEY))
                                    .arg(LOWEST_MAX_POINTS)
                                    .arg(HIGHEST_MAX_POINTS)
                                    .arg(value.toString())
                                    .arg(DEFAULT_MAX_POINTS);
        return DEFAULT_MAX_POINTS;
    }
    return int(count);
}

const Json::Value& memberOf(const Json::Value& node, const char* key)
{
    static const Json::Value none;
    if (!node.isObject())
        return none;
    const Json::Value* found = node.find(key, key + qstrlen(key));
    return found ? *found : none;
}

const Json::Value& elementOf(const Json::Value& list, Json::ArrayIndex index)
{
    static const Json::Value none;
    if (!list.isArray() || index >= list.size())
        return none;
    return list[index];
}

QString textOf(const Json::Value& value)
{
    return value.isString() ? QString::fromStdString(value.asString()) : QString();
}

qint64 timeOf(const Json::Value& measure, const char* key)
{
    const Json::Value& value = memberOf(measure, key);
    if (value.isInt64())
        return value.asInt64();
    qWarning().noquote() << QStringLiteral("Measurement time %1 is no whole number; 0 is taken").arg(QLatin1String(key));
    return 0;
}

int measureIdOf(const Json::Value& measure)
{
    const Json::Value& id = memberOf(measure, "ID");
    if (id.isInt())
        return id.asInt();
    if (id.isNull())
        qWarning() << "Measure-ID is NULL!";
    else
        qWarning() << "Measure-ID is no whole number; 0 is taken";
    return 0;
}

// The running measurement with one channel per address of ADR.
Measure measureFrom(const Json::Value& node, const QString& name)
{
    const int id = measureIdOf(node);
    Measure result(name, id, timeOf(node, "STAT"), timeOf(node, "STOT"));
    const Json::Value& addresses = memberOf(node, "ADR");
    if (!addresses.isArray()) {
        if (!addresses.isNull())
            qWarning() << "Channel list ADR of the measurement is no list; no channels";
        return result;
    }
    const Json::Value& units = memberOf(node, "DIM");
    const Json::Value& designations = memberOf(node, "KB");
    QSet<QString> seen;
    for (Json::ArrayIndex i = 0; i < addresses.size(); ++i) {
        const Json::Value& address = addresses[i];
        if (!address.isString()) {
            qWarning().noquote() << QStringLiteral("Channel %1 of the measurement has no address text; skipped").arg(i);
            continue;
        }
        const QString channel = QString::fromStdString(address.asString());
        if (seen.contains(channel)) {
            qWarning().noquote() << "Channel " + channel + " appears twice in the measurement; the first is kept";
            continue;
        }
        seen.insert(channel);
        result.addChannel(CharacteristicLine(name, channel, textOf(elementOf(units, i)),
                                             textOf(elementOf(designations, i)), id, 1, -1));
    }
    return result;
}

bool blockHasId(const Json::Value& block, int id)
{
    const Json::Value& value = memberOf(block, "ID");
    return value.isInt() && value.asInt() == id;
}

// The blocks of array whose ID is id, in order; they are moved out of array.
Json::Value takeBlocksOf(Json::Value& array, int id)
{
    Json::Value kept(Json::arrayValue);
    if (!array.isArray())
        return kept;
    for (Json::Value& block : array) {
        if (blockHasId(block, id))
            kept.append(std::move(block));
    }
    return kept;
}

// QList of Qt 5 has no moving append; a swap saves the deep copy.
void appendSwapped(QList<Json::Value>& list, Json::Value& value)
{
    list.append(Json::Value());
    list.last().swap(value);
}

void keepBlocksOf(QList<Json::Value>& arrays, int id)
{
    QList<Json::Value> kept;
    for (Json::Value& array : arrays) {
        Json::Value blocks = takeBlocksOf(array, id);
        if (!blocks.empty())
            appendSwapped(kept, blocks);
    }
    arrays.swap(kept);
}

} // namespace

CustomPlotLineTask::CustomPlotLineTask(CustomPlotLineUtil* util) : QThread(nullptr), util(util)
{
    setObjectName(QStringLiteral("CustomPlotLineTask"));
}

void CustomPlotLineTask::run()
{
    util->runFeed();
}

CustomPlotLineUtil::CustomPlotLineUtil(CustomPlotLine* owner, QObject* parent)
    : OverallUtil(parent),
      owner(owner),
      measureStart(0),
      maxPoints(DEFAULT_MAX_POINTS),
      mode(0),
      task(nullptr),
      stopping(false),
      abortFeed(false)
{
    GlobalEnums::registerMetaTypes();
    if (jsonUtil)
        connect(jsonUtil, SIGNAL(telegramAvailable(GlobalEnums::InstructionType,QString)), this,
                SLOT(jsonTelegramm(GlobalEnums::InstructionType,QString)));
    connect(this, &OverallUtil::updateRights, this, &CustomPlotLineUtil::getStartStop);
    link = jsonUtil;
    if (link)
        link->setCustomPlotLineUtil(this);
    maxPoints = readMaxPoints(settings);
    setBlockable(true);
    task = new CustomPlotLineTask(this);
    task->start(QThread::InheritPriority);
}

CustomPlotLineUtil::~CustomPlotLineUtil()
{
    // First: once this returns the receive thread hands nothing more to us.
    if (link)
        link->setCustomPlotLineUtil(nullptr);
    abortFeed = true;
    {
        AnnotatedMutexLocker locker(&queueMutex);
        stopping = true;
        pending.clear();
        queueChanged.wakeAll();
    }
    waitForThread(task);
    delete task;
    task = nullptr;
}

void CustomPlotLineUtil::addChartData(const Json::Value& memArray)
{
    Json::Value copy = memArray;   // the copy costs; not under the lock
    AnnotatedMutexLocker locker(&queueMutex);
    appendSwapped(pending, copy);
    queueChanged.wakeOne();
}

void CustomPlotLineUtil::registerChannel(const QString& channel, const int& graphIndex)
{
    AnnotatedMutexLocker locker(&channelMutex);
    channelTable.insert(channel, graphIndex);
}

void CustomPlotLineUtil::clearData()
{
    AnnotatedMutexLocker locker(&channelMutex);
    channelTable.clear();
}

void CustomPlotLineUtil::setMode(int value)
{
    mode = value;
    newestTime = 0.0;
}

void CustomPlotLineUtil::setMeasure(const Measure& value)
{
    measure = value;
    newestTime = 0.0;
    channelKeys.clear();
    const QList<CharacteristicLine> channels = measure.getChannels();
    channelKeys.reserve(size_t(channels.size()));
    for (const CharacteristicLine& channel : channels)
        channelKeys.push_back({channel.getChannel(), channel.getChannel().toStdString()});

    AnnotatedMutexLocker locker(&queueMutex);
    Json::Value revived(Json::arrayValue);
    for (Json::Value& group : parked) {
        for (Json::Value& block : group) {
            if (blockHasId(block, measure.getId()))
                revived.append(std::move(block));
        }
    }
    parked.clear();
    ++parkedEpoch;
    if (!revived.empty()) {
        pending.prepend(Json::Value());
        pending.first().swap(revived);
    }
    queueChanged.wakeOne();
}

int CustomPlotLineUtil::pendingCount()
{
    AnnotatedMutexLocker locker(&queueMutex);
    return pending.size();
}

void CustomPlotLineUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    Q_UNUSED(type)
    if (path.startsWith(QLatin1String(START_STOP_PATH)))
        getStartStop();
    else if (path == QLatin1String(MEASURE_STATE_PATH))
        getMeasureState();
    else if (path == QLatin1String(LIMIT_PATH))
        getLimit();
}

void CustomPlotLineUtil::getStartStop()
{
    if (!jsonUtil)
        return;
    Json::Value node;
    jsonUtil->getMasterJSONbyPath(QLatin1String(START_STOP_PATH), node, true);
    if (!node.isObject() || node.empty())
        return;
    int id = -1;
    QString text;
    jsonUtil->getInternationalisationFromID(node, id, text);
    const Json::Value& value = memberOf(node, "VAL");
    bool enabled = value.isInt() && value.asInt() == 0 && userRoleUtil
                   && userRoleUtil->checkNodeRights(node) == UserRoleUtil::EDITABLE;
    emit updateStartStop(enabled, text);
}

void CustomPlotLineUtil::requestStartStop()
{
    if (jsonUtil)
        jsonUtil->requestConfig(QLatin1String(START_STOP_VALUE_PATH), Json::Value(1), GlobalEnums::SET);
}

void CustomPlotLineUtil::getMeasureState()
{
    if (!jsonUtil)
        return;
    Json::Value node;
    Json::Value stateValue;
    jsonUtil->getMasterJSONbyPath(QLatin1String(MEASURE_PATH), node, true);
    jsonUtil->getMasterJSONbyPath(QLatin1String(MEASURE_STATE_PATH), stateValue, true);
    if (!stateValue.isString() || !node.isObject())
        return;

    const Json::Value& file = memberOf(node, "FILE");
    const QString name = textOf(memberOf(file, "VAL"));
    Measure current = measureFrom(node, name);

    const QString stateText = QString::fromStdString(stateValue.asString());
    GlobalEnums::ChartMeasureState state;
    if (stateText == QLatin1String("START")) {
        if (userRoleUtil)
            userRoleUtil->setMeasurementRunning(true);
        if (current.getStart() != measureStart) {
            measureStart = current.getStart();
            // A stored measurement on show keeps its data; the live one starts afresh.
            if (mode == 0)
                dropOtherMeasurements(current.getId());
        }
        state = GlobalEnums::START;
    } else if (stateText == QLatin1String("STOP")) {
        if (userRoleUtil)
            userRoleUtil->setMeasurementRunning(false);
        state = GlobalEnums::STOP;
    } else {
        qWarning().noquote() << "Unknown measurement state " + stateText + "; ignored";
        return;
    }
    emit updateMeasureState(state, current);
}

void CustomPlotLineUtil::dropOtherMeasurements(int measureId)
{
    // Lock order: structure lock, queueMutex, channelMutex.
    AnnotatedWriteLocker structure(owner ? &owner->structureLock() : nullptr);
    AnnotatedMutexLocker queue(&queueMutex);
    keepBlocksOf(pending, measureId);
    keepBlocksOf(parked, measureId);
    ++parkedEpoch;
    AnnotatedMutexLocker channels(&channelMutex);
    channelTable.clear();
    // The old measurement is no longer accepted: until the chart accepts the
    // new one, its blocks wait parked instead of missing their graphs.
    measure = Measure(QString(), NO_MEASUREMENT_ID, 0, 0);
    channelKeys.clear();
}

void CustomPlotLineUtil::requestHistData(const int& id, const qint64& low, const qint64& up, int dirc)
{
    {
        AnnotatedWriteLocker structure(owner ? &owner->structureLock() : nullptr);
        histWindow = QCPRange(low / 1000.0, up / 1000.0);
    }
    if (!jsonUtil)
        return;
    Json::Value request(Json::objectValue);
    request["ID"] = id;
    request["LOW"] = Json::Int64(low);
    request["UP"] = Json::Int64(up);
    request["DIRC"] = dirc;
    jsonUtil->requestMeasure(QLatin1String(MEASURE_TABLE_PATH), request, GlobalEnums::GET);
}

void CustomPlotLineUtil::resetHistRequest()
{
    if (!jsonUtil)
        return;
    Json::Value request(Json::objectValue);
    request["ID"] = -1;
    jsonUtil->requestMeasure(QLatin1String(MEASURE_TABLE_PATH), request, GlobalEnums::GET);
}

void CustomPlotLineUtil::getLimit()
{
    if (!jsonUtil)
        return;
    Json::Value value;
    jsonUtil->getMasterJSONbyPath(QLatin1String(LIMIT_PATH), value, true);
    if (!value.isInt64()) {
        qWarning().noquote() << QStringLiteral("Limit %1 is no time in milliseconds; the chart is not cut")
                                    .arg(QLatin1String(LIMIT_PATH));
        return;
    }
    applyLimit(value.asInt64());
}

void CustomPlotLineUtil::applyLimit(qint64 limitMs)
{
    // GUI thread: graphs are added and removed here only, so the list holds still.
    if (mode != 0 || !owner || owner->graphCount() <= 0)
        return;
    const double limit = limitMs / 1000.0;
    for (int i = 0; i < owner->graphCount(); ++i) {
        if (LockedGraph* graph = owner->lockedGraph(i))
            graph->cutAt(limit);
    }
    emit updateMeasureData();
    const QString title = jsonUtil ? jsonUtil->getTranslation(LIMIT_TEXT_ID, QStringLiteral("Limit Telegramm"))
                                   : QStringLiteral("Limit Telegramm");
    StatusMessageSink::post(
        title + QLatin1Char(' ') + QDateTime::fromMSecsSinceEpoch(limitMs).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
        SEVERITY_NOTICE, LIMIT_MESSAGE_MS);
}
