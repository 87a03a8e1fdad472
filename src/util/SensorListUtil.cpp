#include "util/SensorListUtil.h"

#include "common/CommonJSONUtil.h"
#include "common/PathRelation.h"
#include "util/DeviceConfigUtil.h"
#include "util/JSONUtil.h"

#include <QVector>
#include <QtDebug>

namespace {

const char* const DESCRIPTION_PATH = "$.DATA.SE";

const Json::Value& member(const Json::Value& node, const char* key)
{
    static const Json::Value none;
    return node.isObject() ? node[key] : none;
}

// The part of a path before its first index: every concrete form of it starts so.
QString prefixOf(const QString& path)
{
    const int index = path.indexOf(QLatin1Char('['));
    return index < 0 ? path : path.left(index);
}

// path starts with one of the prefixes, or lies above one.
bool touches(const QString& path, const QStringList& prefixes)
{
    for (const QString& prefix : prefixes) {
        if (path.startsWith(prefix) || prefix.startsWith(path))
            return true;
    }
    return false;
}

// A path still holding a "($...)" reference did not solve.
bool isSolved(const QString& path)
{
    return !path.isEmpty() && !path.contains(QLatin1String("($."));
}

} // namespace

SensorListUtil::SensorListUtil(QObject* parent)
    : OverallUtil(parent), configUtil(nullptr), dirty(false), initialised(false)
{
    configUtil = new DeviceConfigUtilTask(this);
    TableStructure::registerMetaTypes();
    connect(configUtil, SIGNAL(updateConfigTable(TableStructure&)), this, SLOT(getSensorContent(TableStructure&)));
    connect(configUtil, SIGNAL(updateConfigTable()), this, SLOT(updateContent()));
    GlobalEnums::registerMetaTypes();
    if (jsonUtil) {
        connect(jsonUtil, SIGNAL(telegramAvailable(GlobalEnums::InstructionType,QString)), this,
                SLOT(jsonTelegramm(GlobalEnums::InstructionType,QString)));
        connect(jsonUtil, SIGNAL(beforeTelegramAvailable()), this, SLOT(beforeJsonTelegramm()));
        connect(jsonUtil, SIGNAL(afterTelegramAvailable()), this, SLOT(afterJsonTelegramm()));
    }
    setBlockable(true);
}

void SensorListUtil::setDefault()
{
    initialised = false;
    changePaths.clear();
    changePrefixes.clear();
    listPaths.clear();
    listPrefixes.clear();
    watchedPaths.clear();
    descPaths.clear();
    segPath.clear();
    semPath.clear();
    destPath.clear();
    tabPath.clear();
    segIdxPath.clear();
    semIdxPath.clear();
    lastProblem.clear();
    // A new login may find a new mirror: what the last one asked for is asked for again.
    configUtil->resetRequestedReads();
}

bool SensorListUtil::readLink(const Json::Value& description, const char* key, QString& path)
{
    const Json::Value& link = member(member(description, key), "PATH");
    if (!link.isString())
        return false;
    path = QString::fromStdString(link.asString());
    return !path.isEmpty();
}

SensorListUtil::PartState SensorListUtil::readSelectionNode(const QString& path, QString& idxPath)
{
    Json::Value node;
    jsonUtil->getMasterJSONbyPath(path, node, true);
    if (node.isNull())
        return PART_MISSING;   // asked for; its notification brings it
    if (!node.isObject())
        return PART_WRONG;
    // Without an index path nothing is selected there, which is no fault of the description.
    readLink(node, "IDX", idxPath);
    return PART_READ;
}

void SensorListUtil::readSensorList()
{
    if (initialised || !jsonUtil)
        return;
    descPaths.clear();
    watchedPaths.clear();
    watchedPaths.insert(QLatin1String(DESCRIPTION_PATH));

    Json::Value description;
    jsonUtil->getMasterJSONbyPath(QLatin1String(DESCRIPTION_PATH), description, true);
    if (!description.isObject()) {
        if (!description.isNull() && lastProblem != QLatin1String("SE")) {
            lastProblem = QStringLiteral("SE");
            qWarning().noquote() << "Sensor list description" << DESCRIPTION_PATH << "is no object";
        }
        return;
    }

    // Every part is read; one that is missing or of the wrong type is read again next time.
    QStringList missing;
    QStringList wrong;
    auto note = [&](PartState state, const QString& part) {
        if (state == PART_MISSING)
            missing << part;
        else if (state == PART_WRONG)
            wrong << part;
    };
    auto stateOf = [](const Json::Value& value) { return value.isNull() ? PART_MISSING : PART_WRONG; };

    const Json::Value& desc = member(description, "DESC");
    if (desc.isArray()) {
        for (const Json::Value& entry : desc) {
            const Json::Value& path = member(entry, "PATH");
            if (path.isString())
                descPaths.append(QString::fromStdString(path.asString()));
        }
    } else {
        note(stateOf(desc), QStringLiteral("DESC"));
    }
    if (readLink(description, "SEG", segPath)) {
        watchedPaths.insert(segPath);
        note(readSelectionNode(segPath, segIdxPath), segPath);
    } else {
        note(stateOf(member(description, "SEG")), QStringLiteral("SEG"));
    }
    if (readLink(description, "SEM_", semPath)) {
        watchedPaths.insert(semPath);
        note(readSelectionNode(semPath, semIdxPath), semPath);
    } else {
        note(stateOf(member(description, "SEM_")), QStringLiteral("SEM_"));
    }
    if (!readLink(description, "TAB", tabPath))
        note(stateOf(member(description, "TAB")), QStringLiteral("TAB"));
    if (!readLink(description, "DEST", destPath))
        note(stateOf(member(description, "DEST")), QStringLiteral("DEST"));
    const Json::Value& markers = member(description, "CCHG");
    if (markers.isArray()) {
        changePaths.clear();
        changePrefixes.clear();
        for (const Json::Value& entry : markers) {
            const Json::Value& path = member(entry, "PATH");
            if (!path.isString())
                continue;
            const QString marker = QString::fromStdString(path.asString());
            changePaths.insert(marker);
            changePrefixes.append(prefixOf(marker));
        }
    } else {
        note(stateOf(markers), QStringLiteral("CCHG"));
    }

    initialised = missing.isEmpty() && wrong.isEmpty();
    // Parts still on their way are normal for a moment; parts of the wrong type are the device's fault.
    const QString problem = wrong.join(QStringLiteral(", "));
    if (!wrong.isEmpty() && problem != lastProblem)
        qWarning().noquote() << "Sensor list description" << DESCRIPTION_PATH
                             << "is incomplete; not of the expected type:" << problem;
    lastProblem = problem;
}

int SensorListUtil::readDeviceCount()
{
    Json::Value node;
    jsonUtil->getMasterJSONbyPath(segPath, node, true);
    QString countPath;
    if (!readLink(node, "RCNT", countPath))
        return 0;
    listPaths.insert(countPath);
    Json::Value count;
    jsonUtil->getMasterJSONbyPath(countPath, count, true);
    if (count.isNull())
        return 0;   // asked for; its notification brings it
    if (!count.isInt64()) {
        qWarning().noquote() << "Device count at" << countPath << "is no whole number; no devices are listed";
        return 0;
    }
    const qint64 devices = count.asInt64();
    if (devices < 0 || devices > MAX_DEVICES) {
        qWarning().noquote() << "Device count" << devices << "at" << countPath << "is outside 0 ..." << MAX_DEVICES
                             << "- no devices are listed";
        return 0;
    }
    return int(devices);
}

void SensorListUtil::readDeviceList()
{
    // The list follows its own data too: the count and the descriptions, asked for or changed.
    listPaths.clear();
    for (const QString& descPath : descPaths)
        listPaths.insert(CommonJSONUtil::getGenericPath(descPath));
    QStringList names;
    const int count = jsonUtil && !segPath.isEmpty() ? readDeviceCount() : 0;
    listPrefixes.clear();
    for (const QString& path : listPaths)
        listPrefixes.append(prefixOf(path));
    for (int i = 0; i < count; ++i)
        names.append(QString());
    for (const QString& descPath : descPaths) {
        QVector<Json::Value> values;
        jsonUtil->getMasterJSONbyPath(descPath, values, true);
        if (count == 0 || values.size() != count)
            continue;
        for (int i = 0; i < count; ++i) {
            if (values.at(i).isString())
                names[i] += QLatin1Char(' ') + QString::fromStdString(values.at(i).asString());
        }
    }
    emit updateDeviceList(names);
}

void SensorListUtil::setDevice(int index)
{
    // Before the description is complete the index paths may be unknown and
    // the table path is: nothing is written and nothing asked for.
    if (!initialised || !jsonUtil)
        return;
    if (!segIdxPath.isEmpty())
        jsonUtil->appendJson(Json::Value(qMax(index, 0)), segIdxPath);
    if (!semIdxPath.isEmpty())
        jsonUtil->appendJson(Json::Value(0), semIdxPath);
    configUtil->getConfigTable(true, tabPath);
}

bool SensorListUtil::openSensor(int row, const QString& contPath, const QString& linkPath)
{
    if (row < 0 || !initialised || !jsonUtil || contPath.isEmpty())
        return false;
    // The element the content path names for this row, without selecting it yet.
    QString solved = contPath;
    if (!semIdxPath.isEmpty())
        solved.replace(QLatin1Char('(') + semIdxPath + QLatin1Char(')'), QString::number(row));
    jsonUtil->getAndSolvePath(solved);
    if (!isSolved(solved)) {
        qWarning().noquote() << "Sensor path" << contPath << "could not be solved; nothing is opened";
        return false;
    }
    if (solved != linkPath) {
        // The row shows an element the selection no longer names (another device chosen meanwhile).
        qInfo().noquote() << "Sensor row" << row << "shows" << linkPath << "but the selection names" << solved
                          << "- nothing is opened";
        return false;
    }
    if (!semIdxPath.isEmpty())
        jsonUtil->appendJson(Json::Value(row), semIdxPath);
    QString settingsPath = destPath;
    jsonUtil->getAndSolvePath(settingsPath);
    if (!isSolved(settingsPath)) {
        qWarning().noquote() << "Sensor settings path" << destPath << "could not be solved; nothing is opened";
        return false;
    }
    // The settings path goes unsolved: the configuration screen solves it when it asks for it.
    QString path = destPath;
    emit setDeviceConfigByPath(path, solved);
    return true;
}

void SensorListUtil::getSensorContent(TableStructure& table)
{
    emit updateSensorTable(table);
}

void SensorListUtil::updateContent()
{
    emit updateData();
}

void SensorListUtil::beforeJsonTelegramm()
{
    dirty = false;
}

bool SensorListUtil::concernsWatched(const QString& path) const
{
    for (const QString& watched : watchedPaths) {
        if (pathsRelated(path, watched))
            return true;
    }
    return false;
}

bool SensorListUtil::concernsList(const QString& genericPath) const
{
    for (const QString& listed : listPaths) {
        if (pathsRelated(genericPath, listed))
            return true;
    }
    return false;
}

void SensorListUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    Q_UNUSED(type)
    // Most notifications are live values: two prefix looks send them away.
    if (touches(path, changePrefixes) || touches(path, listPrefixes)) {
        const QString generic = CommonJSONUtil::getGenericPath(path);
        if (changePaths.contains(generic) || concernsList(generic)) {
            dirty = true;
            return;
        }
    }
    if (concernsWatched(path)) {
        readSensorList();
        dirty = true;
    }
}

void SensorListUtil::afterJsonTelegramm()
{
    if (dirty)
        emit updateData();
    dirty = false;
}
