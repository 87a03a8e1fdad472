#include "util/SensorListUtil.h"

#include "common/CommonJSONUtil.h"
#include "common/JsonMember.h"
#include "common/PathRelation.h"
#include "util/DeviceConfigUtil.h"
#include "util/JSONUtil.h"

#include <QVector>
#include <QtDebug>

namespace {

const char* const DESCRIPTION_PATH = "$.DATA.SE";

// The part of a path before its first index: every concrete form of it starts so.
QString prefixOf(const QString& path)
{
    const int index = path.indexOf(QLatin1Char('['));
    return index < 0 ? path : path.left(index);
}

// The node a wildcard or filter path looks into: the part before its first "[*]" or "[?(".
QString containerOf(const QString& path)
{
    int end = path.size();
    for (const QLatin1String open : {QLatin1String("[*]"), QLatin1String("[?(")}) {
        const int index = path.indexOf(open);
        if (index >= 0 && index < end)
            end = index;
    }
    return path.left(end);
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
    descPaths.clear();
    segPath.clear();
    semPath.clear();
    destPath.clear();
    tabPath.clear();
    segIdxPath.clear();
    semIdxPath.clear();
    countPath.clear();
    followedPaths.clear();
    followedPrefixes.clear();
    lastProblem.clear();
    countProblem.clear();
    configUtil->resetRequestedReads();
}

bool SensorListUtil::readLink(const Json::Value& description, const char* key, QString& path)
{
    const Json::Value& link = jsonMember(jsonMember(description, key), "PATH");
    if (!link.isString())
        return false;
    path = QString::fromStdString(link.asString());
    return !path.isEmpty();
}

bool SensorListUtil::readNode(const QString& path, Json::Value& node)
{
    // A node this session has not read is asked for, once, even when the
    // mirror holds it: another screen's reads may have brought only part of it.
    jsonUtil->getMasterJSONbyPath(path, node, true);
    return !node.isNull();
}

void SensorListUtil::followPaths()
{
    QStringList paths{QLatin1String(DESCRIPTION_PATH), segPath, semPath, countPath};
    paths << descPaths << changePaths.values();
    followedPaths.clear();
    followedPrefixes.clear();
    for (const QString& path : qAsConst(paths)) {
        if (path.isEmpty())
            continue;
        const QString generic = CommonJSONUtil::getGenericPath(path);
        followedPaths.insert(generic);
        followedPrefixes.append(prefixOf(generic));
    }
    followedPrefixes.removeDuplicates();
}

SensorListUtil::PartState SensorListUtil::readSelectionNode(const QString& path, QString& idxPath)
{
    Json::Value node;
    if (!readNode(path, node))
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
    // The description as it reads now: parts that went missing are no longer followed.
    descPaths.clear();
    segPath.clear();
    semPath.clear();
    segIdxPath.clear();
    semIdxPath.clear();
    followPaths();

    Json::Value description;
    readNode(QLatin1String(DESCRIPTION_PATH), description);
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

    const Json::Value& desc = jsonMember(description, "DESC");
    if (desc.isArray()) {
        for (const Json::Value& entry : desc) {
            const Json::Value& path = jsonMember(entry, "PATH");
            if (path.isString())
                descPaths.append(QString::fromStdString(path.asString()));
        }
    } else {
        note(stateOf(desc), QStringLiteral("DESC"));
    }
    if (readLink(description, "SEG", segPath)) {
        note(readSelectionNode(segPath, segIdxPath), segPath);
    } else {
        note(stateOf(jsonMember(description, "SEG")), QStringLiteral("SEG"));
    }
    if (readLink(description, "SEM_", semPath)) {
        note(readSelectionNode(semPath, semIdxPath), semPath);
    } else {
        note(stateOf(jsonMember(description, "SEM_")), QStringLiteral("SEM_"));
    }
    if (!readLink(description, "TAB", tabPath))
        note(stateOf(jsonMember(description, "TAB")), QStringLiteral("TAB"));
    if (!readLink(description, "DEST", destPath))
        note(stateOf(jsonMember(description, "DEST")), QStringLiteral("DEST"));
    const Json::Value& markers = jsonMember(description, "CCHG");
    if (markers.isArray()) {
        changePaths.clear();
        for (const Json::Value& entry : markers) {
            const Json::Value& path = jsonMember(entry, "PATH");
            if (path.isString())
                changePaths.insert(QString::fromStdString(path.asString()));
        }
    } else {
        note(stateOf(markers), QStringLiteral("CCHG"));
    }

    followPaths();
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
    // Only the count's link is copied, not the whole selection node; that node
    // is asked for when the link is missing.
    Json::Value link;
    QString path;
    jsonUtil->getMasterJSONbyPath(segPath + QStringLiteral(".RCNT"), link, false);
    const Json::Value& linkPath = jsonMember(link, "PATH");
    if (linkPath.isString()) {
        path = QString::fromStdString(linkPath.asString());
    } else {
        Json::Value node;
        if (readNode(segPath, node))
            readLink(node, "RCNT", path);
    }
    if (path != countPath) {
        countPath = path;
        followPaths();
    }
    Json::Value count;
    if (countPath.isEmpty() || !readNode(countPath, count)) {
        countProblem.clear();
        return 0;   // what is missing was asked for; its notification brings it
    }
    // One warning per bad value, not one per refresh.
    QString problem;
    qint64 devices = 0;
    if (!count.isInt64()) {
        problem = QStringLiteral("Device count at %1 is no whole number; no devices are listed").arg(countPath);
    } else {
        devices = count.asInt64();
        if (devices < 0 || devices > MAX_DEVICES)
            problem = QStringLiteral("Device count %1 at %2 is outside 0 ... %3 - no devices are listed")
                          .arg(devices)
                          .arg(countPath)
                          .arg(MAX_DEVICES);
    }
    if (!problem.isEmpty() && problem != countProblem)
        qWarning().noquote() << problem;
    countProblem = problem;
    return problem.isEmpty() ? int(devices) : 0;
}

void SensorListUtil::readDeviceList()
{
    const int count = jsonUtil && !segPath.isEmpty() ? readDeviceCount() : 0;
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QString());
    // No devices, no names to look for: nothing is read or asked for.
    QString askedContainer;
    for (int d = 0; count > 0 && d < descPaths.size(); ++d) {
        QVector<Json::Value> values;
        jsonUtil->getMasterJSONbyPath(descPaths.at(d), values, false);
        // The names come with their container. Devices that the reads of another
        // screen made hold only what those brought, so the mirror having the
        // container does not spare its read; this session having read it does.
        const QString container = containerOf(descPaths.at(d));
        if (container != askedContainer) {
            askedContainer = container;
            jsonUtil->requestReadOnce(container);
        }
        if (values.size() != count)
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
    // The link may name the element itself or a node inside it (its settings, for one).
    if (!pathCovers(solved, linkPath)) {
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
    // Tables are asked for only once the description is complete: one arriving
    // before is a build of an earlier session, taken before the login's reset.
    if (!initialised)
        return;
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

bool SensorListUtil::concernsList(const QString& path) const
{
    // Most notifications are live values: a look at the prefixes sends them away.
    bool near = false;
    for (const QString& prefix : followedPrefixes) {
        if (path.startsWith(prefix) || prefix.startsWith(path)) {
            near = true;
            break;
        }
    }
    if (!near)
        return false;
    const QString generic = CommonJSONUtil::getGenericPath(path);
    for (const QString& followed : followedPaths) {
        if (pathsRelated(generic, followed))
            return true;
    }
    return false;
}

void SensorListUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    Q_UNUSED(type)
    if (concernsList(path)) {
        readSensorList();   // acts only while the description is incomplete
        dirty = true;
    }
}

void SensorListUtil::afterJsonTelegramm()
{
    if (dirty)
        emit updateData();
    dirty = false;
}
