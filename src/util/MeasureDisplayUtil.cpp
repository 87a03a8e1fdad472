#include "util/MeasureDisplayUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/ChannelDataFlags.h"
#include "common/CommonJSONUtil.h"
#include "common/EntryName.h"
#include "common/ThreadHandOver.h"
#include "util/DeviceConfigUtil.h"
#include "util/JSONUtil.h"
#include "util/MeasureDisplayUtilChannelBuilder.h"
#include "util/MeasureDisplayUtilGetTableDataWorker.h"
#include "util/TevaroApp.h"

#include <QThread>
#include <QtDebug>

namespace {

// path is target or lies below it.
bool isSameOrBelow(const QString& path, const QString& target)
{
    if (!path.startsWith(target))
        return false;
    if (path.size() == target.size())
        return true;
    const QChar next = path.at(target.size());
    return next == QLatin1Char('.') || next == QLatin1Char('[');
}

} // namespace

MeasureDisplayUtil::MeasureDisplayUtil(QObject* parent)
    : OverallUtil(parent), cellFactory(nullptr), worker(nullptr), thread(nullptr)
{
    qRegisterMetaType<GlobalEnums::InstructionType>("GlobalEnums::InstructionType");
    ChannelData::registerMetaTypes();
    ChannelDataFlags::registerMetaTypes();
    if (jsonUtil) {
        connect(jsonUtil, SIGNAL(telegramAvailable(GlobalEnums::InstructionType,QString)), this,
                SLOT(jsonTelegramm(GlobalEnums::InstructionType,QString)));
        connect(jsonUtil, SIGNAL(beforeTelegramAvailable()), this, SLOT(beforeJsonTelegramm()));
        connect(jsonUtil, SIGNAL(afterTelegramAvailable()), this, SLOT(afterJsonTelegramm()));
    }
    if (app)
        connect(app, SIGNAL(onLogout()), this, SLOT(endSession()));
    setBlockable(true);

    // One plain factory for every function cell and write. Its pending writes
    // hold the written cells until the device confirms them, or for the
    // factory's time-out; each release shows the channel anew. Its signals
    // come from the receive and poll threads, queued.
    cellFactory = new DeviceConfigUtil(this);
    connect(cellFactory, SIGNAL(updateConfigTable()), this, SIGNAL(updateChannelData()), Qt::QueuedConnection);
    connect(cellFactory, SIGNAL(writesNotConfirmed(QStringList)), this, SIGNAL(functionWriteNotConfirmed()),
            Qt::QueuedConnection);
    connect(cellFactory, SIGNAL(writesConfirmedAfterAll()), this, SIGNAL(functionWriteConfirmedAfterAll()),
            Qt::QueuedConnection);

    thread = new QThread();
    thread->setObjectName(QStringLiteral("MeasureDisplayUtil"));
    worker = new MeasureDisplayUtilGetTableDataWorker(this, jsonUtil);
    worker->moveToThread(thread);
    connect(worker, &MeasureDisplayUtilGetTableDataWorker::workRequested, worker,
            &MeasureDisplayUtilGetTableDataWorker::doWork, Qt::QueuedConnection);
    connect(worker, &MeasureDisplayUtilGetTableDataWorker::finished, this, &MeasureDisplayUtil::buildFinished,
            Qt::QueuedConnection);
    thread->start();
}

MeasureDisplayUtil::~MeasureDisplayUtil()
{
    worker->abort();
    thread->quit();
    waitForThread(thread);
    delete worker;
    delete thread;
}

int MeasureDisplayUtil::parseLeftFlags(const Json::Value& node)
{
    return ChannelDataFlags::parseLeftFlags(node);
}

// ------------------------------------------------------------- description

void MeasureDisplayUtil::readChannelDescription()
{
    if (!jsonUtil)
        return;
    Json::Value node;
    jsonUtil->getMasterJSONbyPath(QLatin1String(DESCRIPTION_PATH), node, true);
    description.read(node);
    if (node == lastDescription)
        return;
    lastDescription = node;
    unwritableClientPaths.clear();
    // A display path refused before is tried again once the description changed.
    AnnotatedMutexLocker locker(&worker->mutex());
    refusedDisplayPath.clear();
}

QString MeasureDisplayUtil::getUpdatePath() const
{
    return description.updatePath;
}

// ------------------------------------------------------------ channel list

void MeasureDisplayUtil::requestChannelList()
{
    handOverChangedNames();
    QString path = description.displayPath;
    {
        AnnotatedMutexLocker locker(&worker->mutex());
        if (path == refusedDisplayPath)
            path.clear();   // not queried (and reported) on every refresh
    }
    if (worker->requestWork(path, description.descriptionWays, listGeneration))
        listBuildOpen = true;
    else
        rebuildPending = true;
}

void MeasureDisplayUtil::takeChannelList(const QVector<QString>& paths, const QVector<QString>& names,
                                         quint64 generation, const QString& refusedPath)
{
    if (generation != listGeneration)
        return;
    channelList.publish(paths, names);
    if (!refusedPath.isEmpty() && refusedPath != refusedDisplayPath) {
        refusedDisplayPath = refusedPath;
        qWarning().noquote() << "The channels' display path is refused; no channels are shown:" << refusedPath;
    }
}

bool MeasureDisplayUtil::handOverChangedNames()
{
    if (signalsBlocked())
        return false;   // kept for the next request
    QStringList names;
    {
        AnnotatedMutexLocker locker(&worker->mutex());
        if (!channelList.comboChanged)
            return false;
        channelList.comboChanged = false;
        names = channelList.nameList();
    }
    emit updateComboBox(names);
    // The screens show the current channel's data anew, whoever hands the names over:
    // a request between a build's list and its end takes them before buildFinished.
    emit updateChannelData();
    return true;
}

void MeasureDisplayUtil::buildFinished()
{
    listBuildOpen = false;
    // New names or another current channel: the screens show them now.
    handOverChangedNames();
    if (rebuildPending) {
        rebuildPending = false;
        requestChannelList();
    }
}

bool MeasureDisplayUtil::isWorking()
{
    return worker->isWorking();
}

QVector<QString> MeasureDisplayUtil::getChannelNames()
{
    AnnotatedMutexLocker locker(&worker->mutex());
    return channelList.names;
}

QVector<QString> MeasureDisplayUtil::getChannelPaths()
{
    AnnotatedMutexLocker locker(&worker->mutex());
    return channelList.paths;
}

void MeasureDisplayUtil::getChannelList(QVector<QString>& paths, QVector<QString>& names)
{
    AnnotatedMutexLocker locker(&worker->mutex());
    paths = channelList.paths;
    names = channelList.names;
}

QString MeasureDisplayUtil::getCurrentChannelPath()
{
    AnnotatedMutexLocker locker(&worker->mutex());
    return channelList.currentPath;
}

int MeasureDisplayUtil::getCurrentChannelIndex()
{
    AnnotatedMutexLocker locker(&worker->mutex());
    return channelList.currentIndex();
}

void MeasureDisplayUtil::resendChannelNames()
{
    AnnotatedMutexLocker locker(&worker->mutex());
    channelList.comboChanged = true;
}

void MeasureDisplayUtil::reset()
{
    {
        AnnotatedMutexLocker locker(&worker->mutex());
        channelList.clear();
        refusedDisplayPath.clear();
        ++listGeneration;   // a build still running belongs to the session before
    }
    lastDescription = Json::Value();
    shownPath.clear();
    unwritableClientPaths.clear();
    cellFactory->clearPendingWrites();
    cellFactory->resetRequestedReads();
}

void MeasureDisplayUtil::endSession()
{
    worker->abort();
    rebuildPending = false;
    emit sessionEnded();
}

// ------------------------------------------------------------ one channel

void MeasureDisplayUtil::requestChannel(const bool& loadFunctions, int index)
{
    QString path;
    {
        AnnotatedMutexLocker locker(&worker->mutex());
        if (index >= 0 && index < channelList.paths.size())
            path = channelList.paths.at(index);
    }
    if (!path.isEmpty())
        buildChannelData(path, loadFunctions);
}

void MeasureDisplayUtil::requestCurrentChannel(const bool& loadFunctions)
{
    const QString path = getCurrentChannelPath();
    if (!path.isEmpty())
        buildChannelData(path, loadFunctions);
}

void MeasureDisplayUtil::selectChannel(const QString& path, const bool& loadFunctions)
{
    bool listed = false;
    {
        AnnotatedMutexLocker locker(&worker->mutex());
        listed = channelList.select(path);
    }
    if (listed)
        buildChannelData(path, loadFunctions);
}

void MeasureDisplayUtil::requestChannelFunctions(const QString& path)
{
    bool listed = false;
    {
        AnnotatedMutexLocker locker(&worker->mutex());
        listed = channelList.indexOf(path) >= 0;
    }
    if (listed)
        buildChannelData(path, true);
}

void MeasureDisplayUtil::buildChannelData(const QString& path, const bool& loadFunctions)
{
    int index = -1;
    QString channelPath;
    {
        AnnotatedMutexLocker locker(&worker->mutex());
        index = channelList.indexOf(path);
        if (index >= 0) {
            channelList.currentPath = path;
        } else if (!channelList.paths.isEmpty()) {
            index = 0;
            channelList.currentPath = channelList.paths.first();
        }
        channelPath = channelList.currentPath;
    }
    if (channelPath.isEmpty() || !jsonUtil)
        return;
    // The whole channel node, unless this session read it: the list's reads bring only some of its members.
    jsonUtil->requestReadOnce(channelPath);
    Json::Value channel;
    jsonUtil->getMasterJSONbyPath(channelPath, channel, false);
    if (!channel.isObject() || channel.empty())
        return;   // not (yet) in the mirror: its read is queued

    writeClientReferences(channel);
    const MeasureDisplayUtilChannelBuilder builder(jsonUtil, cellFactory);
    ChannelData data = builder.build(description, channel, channelPath, index, loadFunctions);
    bool withFunctions = loadFunctions;
    shownPath = channelPath;
    deliveredPath = channelPath;
    deliveredName = MeasureDisplayUtilGetTableDataWorker::channelName(channel, description.descriptionWays);
    emit updateChannelData(data, withFunctions);
    deliveredPath.clear();
    deliveredName.clear();
}

void MeasureDisplayUtil::writeClientReferences(const Json::Value& channel)
{
    // The mirror's client nodes name the shown channel, so configuration
    // paths referring to them resolve to it. Local only: nothing is sent.
    for (auto it = description.clientMap.cbegin(); it != description.clientMap.cend(); ++it) {
        const QString& path = it.value();
        const Json::Value value = MeasureDisplayUtilChannelBuilder::lookUp(channel, it.key());
        if (!value.isInt() || unwritableClientPaths.contains(path))
            continue;
        Json::Value present;
        jsonUtil->getMasterJSONbyPath(path, present, false);
        if (present == value)
            continue;
        jsonUtil->appendJson(value, path);
        Json::Value written;
        jsonUtil->getMasterJSONbyPath(path, written, false);
        if (written != value)
            unwritableClientPaths.insert(path);   // reported once, not on every refresh
    }
}

// ------------------------------------------------------------- functions

void MeasureDisplayUtil::triggerFunction(const TableStructure& functionTable, const QString& functionName)
{
    const QString path = functionTable.getPath();
    if (path.isEmpty() || !jsonUtil)
        return;
    // Named like the function's value cells, should the device never get it.
    jsonUtil->requestConfig(path, Json::Value(1), GlobalEnums::SET,
                            entryName({functionTable.getTitle(), functionName}));
}

void MeasureDisplayUtil::saveFunctionTable(const TableStructure& table)
{
    cellFactory->saveConfig(table);
}

bool MeasureDisplayUtil::isFunctionWriteWaiting()
{
    return cellFactory->hasPendingWrites();
}

void MeasureDisplayUtil::holdFunctionCells(TableStructure& table)
{
    cellFactory->holdPendingCells(table);
}

// ------------------------------------------------------- change detection

void MeasureDisplayUtil::beforeJsonTelegramm()
{
    descriptionDirty = false;
    dataDirty = false;
}

void MeasureDisplayUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    const QString descriptionPath = QLatin1String(DESCRIPTION_PATH);
    if (isSameOrBelow(path, descriptionPath) || isSameOrBelow(descriptionPath, path))
        descriptionDirty = true;
    // A change below the update path, or of a node holding it (the first load of the channels).
    const QString& update = description.updatePath;
    const QString generic = CommonJSONUtil::getGenericPath(path);
    if (!update.isEmpty() && (generic.count(update) == 1 || isSameOrBelow(update, generic)))
        dataDirty = true;

    if (type != GlobalEnums::DEL)
        return;
    if (!shownPath.isEmpty() && (isSameOrBelow(shownPath, path) || isSameOrBelow(path, shownPath))) {
        shownPath.clear();   // the screens clear the channel
        emit deleteSonsor();
    }
}

void MeasureDisplayUtil::afterJsonTelegramm()
{
    if (descriptionDirty) {
        emit updateJsonPath();
        emit updateChannelData();
    } else if (dataDirty) {
        emit updateChannelData();
    }
}
