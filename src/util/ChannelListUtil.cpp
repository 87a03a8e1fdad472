#include "util/ChannelListUtil.h"

#include "common/JsonMember.h"
#include "common/ThreadHandOver.h"
#include "util/ChannelListUtilGetTableDataWorker.h"
#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"

#include <QThread>
#include <QtDebug>

namespace {

const QString DESCRIPTION_PATH = QStringLiteral("$.DATA.CH");
const QString SELECTION_KEY = QStringLiteral("Config/Channellist/SelectionIndex/Item");
const int TEXT_CHANNEL = 564;

// The text of a string member of an object; false (text unchanged) otherwise.
bool readText(const Json::Value& node, const char* key, QString& text)
{
    const Json::Value& value = jsonMember(node, key);
    if (!value.isString())
        return false;
    text = QString::fromStdString(value.asString());
    return true;
}

} // namespace

ChannelListUtil::ChannelListUtil(QObject* parent)
    : OverallUtil(parent), worker(nullptr), thread(nullptr)
{
    GlobalEnums::registerMetaTypes();
    // The rows reach the GUI thread queued, and screens pass tables by reference.
    TableStructure::registerMetaTypes();
    if (jsonUtil) {
        // Queued: the mirror announces its changes on the receive thread.
        connect(jsonUtil, QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable), this,
                &ChannelListUtil::jsonTelegramm);
        connect(jsonUtil, &JSONUtil::beforeTelegramAvailable, this, &ChannelListUtil::beforeJsonTelegramm);
        connect(jsonUtil, &JSONUtil::afterTelegramAvailable, this, &ChannelListUtil::afterJsonTelegramm);
    }
    if (app)
        connect(app, &TevaroApp::onLogout, this, &ChannelListUtil::abortTableData);
    setBlockable(true);

    thread = new QThread();
    worker = new ChannelListUtilGetTableDataWorker(jsonUtil);
    worker->moveToThread(thread);
    connect(worker, SIGNAL(workRequested()), thread, SLOT(start()));
    connect(thread, &QThread::started, worker, &ChannelListUtilGetTableDataWorker::doWork);
    // Direct: the thread ends even while the GUI thread waits for it.
    connect(worker, &ChannelListUtilGetTableDataWorker::finished, thread, &QThread::quit, Qt::DirectConnection);
    connect(worker, &ChannelListUtilGetTableDataWorker::tableBuilt, this, &ChannelListUtil::publishTable);
    connect(worker, &ChannelListUtilGetTableDataWorker::displayPathRefused, this,
            &ChannelListUtil::refuseDisplayPath);
}

ChannelListUtil::~ChannelListUtil()
{
    // The build uses the worker up to its last signal: nothing goes before the thread has ended.
    worker->abort();
    thread->quit();
    waitForThread(thread);
    delete worker;
    delete thread;
}

// --- Description and header ------------------------------------------------

void ChannelListUtil::readChannelDescription()
{
    if (!jsonUtil)
        return;
    Json::Value description;
    jsonUtil->getMasterJSONbyPath(DESCRIPTION_PATH, description, true);
    if (description.isObject()) {
        readText(jsonMember(description, "DISP"), "PATH", displayPath);
        readText(jsonMember(description, "UPD"), "PATH", updatePath);
        const Json::Value& parts = jsonMember(description, "DESC");
        if (parts.isArray()) {
            descriptionWays.clear();
            for (const Json::Value& part : parts) {
                QString way;
                if (readText(part, "WAY", way))
                    descriptionWays.append(way);
            }
        }
        readItems(description);
        readText(jsonMember(description, "FL"), "WAY", flagWay);
    }
    readWay(QStringLiteral("$.DATA.CH.MVTB.MW"), valueWay);
    readWay(QStringLiteral("$.DATA.CH.MVTB.MAW"), maximumWay);
    readWay(QStringLiteral("$.DATA.CH.MVTB.MIW"), minimumWay);
    displayGenericPath = CommonJSONUtil::getGenericPath(displayPath);
}

void ChannelListUtil::forgetItems()
{
    items.clear();
    itemNames.clear();
}

void ChannelListUtil::readItems(const Json::Value& description)
{
    Json::Value list;
    CommonJSONUtil::getValueByKeyPath(description, list, QStringLiteral("MVTB.ITEM"));
    if (!list.isArray())
        return;
    // Rebuilt whole: items the device no longer lists are no longer offered.
    items.clear();
    int key = 0;
    for (const Json::Value& element : list) {
        if (!element.isString() || element.asString().empty())
            continue;
        Json::Value node;
        CommonJSONUtil::getValueByKeyPath(description, node,
                                          QStringLiteral("MVTB.") + QString::fromStdString(element.asString()));
        if (!node.isObject())
            continue;
        int id = -1;
        QString name;
        jsonUtil->getInternationalisationFromID(node, id, name);
        QString way;
        readText(node, "WAY", way);
        items.insert(key++, qMakePair(name, way));
    }
}

void ChannelListUtil::readWay(const QString& path, QString& way)
{
    Json::Value node;
    jsonUtil->getMasterJSONbyPath(path, node, true);
    if (node.isObject())
        readText(node, "WAY", way);
}

void ChannelListUtil::buildTableHeader()
{
    itemNames = getItemNames();
    selection.clear();

    const QString channelText = QStringLiteral("Messkanal");
    QVector<TableEntry> header;
    header.append(TableEntry(jsonUtil ? jsonUtil->getTranslation(TEXT_CHANNEL, channelText) : channelText));
    const int count = itemNames.size();
    int defaultIndex = 0;
    for (int column = 1; column <= ChannelListUtilRows::VALUE_COLUMNS; ++column) {
        // Without items there is nothing to choose: the stored choice, or the
        // default written back, waits for the description's items.
        int index = count > 0 ? SettingsUtil::getValue(SELECTION_KEY + QString::number(column), defaultIndex).toInt() : 0;
        if (index < 0 || index >= count)
            index = 0;
        selection.insert(column, index);
        TableEntry entry;
        entry.setData(itemNames);
        entry.setValue(index);
        header.append(entry);
        // Defaults 0, 1, 2, wrapping to 0 when there are fewer items.
        defaultIndex = defaultIndex < count - 1 ? defaultIndex + 1 : 0;
    }
    TableStructure headerTable;
    headerTable.setHeader(header);
    headerTable.setHeaderVisible(true);
    emit updateTableHeader(headerTable);
}

void ChannelListUtil::setSelectionIndex(const int& column, const int& index)
{
    if (column < 1 || column > ChannelListUtilRows::VALUE_COLUMNS)
        return;
    SettingsUtil::setValue(SELECTION_KEY + QString::number(column), index);
    selection.insert(column, index);
    requestTableData();
}

QStringList ChannelListUtil::getItemNames() const
{
    QStringList names;
    for (const auto& item : items)
        names.append(item.first);
    return names;
}

QStringList ChannelListUtil::getItemWays() const
{
    QStringList ways;
    for (const auto& item : items)
        ways.append(item.second);
    return ways;
}

// --- Building -----------------------------------------------------------------

ChannelListBuildInput ChannelListUtil::buildInput() const
{
    ChannelListBuildInput input;
    input.session = session;
    if (displayPath != refusedPath)
        input.displayPath = displayPath;
    input.descriptionWays = descriptionWays;
    for (int column = 1; column <= ChannelListUtilRows::VALUE_COLUMNS; ++column)
        input.columnWays.append(items.value(selection.value(column, 0)).second);
    input.flagWay = flagWay;
    input.valueWay = valueWay;
    input.maximumWay = maximumWay;
    input.minimumWay = minimumWay;
    return input;
}

void ChannelListUtil::requestTableData()
{
    if (!worker->takeRequest(buildInput()))
        return;   // the running build builds again with it
    // The thread ends right after the last build's finished(); an idle one returns at once.
    waitForThread(thread);
    emit worker->workRequested();
}

void ChannelListUtil::abortTableData()
{
    ++session;
    worker->abort();
}

bool ChannelListUtil::isBuilding() const
{
    return worker->isWorking();
}

void ChannelListUtil::refuseDisplayPath(QString path)
{
    if (path.isEmpty() || path == refusedPath)
        return;
    refusedPath = path;
    qWarning().noquote() << "The channel list's display path is refused, no channels are shown:" << path;
}

void ChannelListUtil::publishTable(TableStructure built, quint64 builtSession)
{
    // Decided on before the logout's abort, it may arrive after it: a table of the last session goes.
    if (builtSession != session)
        return;
    table = built;
    emit updateTableData(table);
}

int ChannelListUtil::cycleTimeFromSetting(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return DEFAULT_CYCLE_MS;
    bool ok = false;
    const int value = trimmed.toInt(&ok);
    if (!ok || value <= 0) {
        qWarning().noquote() << "Config/Channellist/CycleTime is not a whole number above 0 (" + text
                                    + "); the channel list refreshes every" << DEFAULT_CYCLE_MS << "ms";
        return DEFAULT_CYCLE_MS;
    }
    if (value < MIN_CYCLE_MS) {
        qWarning().noquote() << "Config/Channellist/CycleTime" << value << "ms is below" << MIN_CYCLE_MS
                             << "ms; the channel list refreshes every" << MIN_CYCLE_MS << "ms";
        return MIN_CYCLE_MS;
    }
    return value;
}

// --- Change filter -------------------------------------------------------------

void ChannelListUtil::beforeJsonTelegramm()
{
    dataDirty = false;
    headerDirty = false;
}

void ChannelListUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    if (path == DESCRIPTION_PATH) {
        headerDirty = true;
        refusedPath.clear();   // the new description's path is tried again, and a refusal said once more
        return;
    }
    if (dataDirty)
        return;
    if (type == GlobalEnums::DEL) {
        dataDirty = true;
        return;
    }
    const QString generic = CommonJSONUtil::getGenericPath(path);
    // Channels that arrive with their container (for instance "$.DATA.MK" for
    // "$.DATA.MK[*]") need not pass through the update path.
    if ((!updatePath.isEmpty() && generic.count(updatePath) == 1) || isAncestorOfDisplayPath(generic))
        dataDirty = true;
}

void ChannelListUtil::afterJsonTelegramm()
{
    if (headerDirty) {
        emit updateTableHeader();
        emit updateTableData();
    } else if (dataDirty) {
        emit updateTableData();
    }
}

bool ChannelListUtil::isAncestorOfDisplayPath(const QString& genericPath) const
{
    if (displayGenericPath.isEmpty() || genericPath.isEmpty())
        return false;
    if (genericPath == displayGenericPath)
        return true;
    if (!displayGenericPath.startsWith(genericPath) || displayGenericPath.size() <= genericPath.size())
        return false;
    const QChar next = displayGenericPath.at(genericPath.size());
    return next == QLatin1Char('.') || next == QLatin1Char('[');
}
