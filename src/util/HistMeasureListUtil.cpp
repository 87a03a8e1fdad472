#include "util/HistMeasureListUtil.h"

#include "common/PathRelation.h"

#include "util/JSONUtil.h"
#include "util/UserRoleUtil.h"

#include <QDebug>
#include <QStringList>

namespace {

const QString MEMORY_RIGHTS = QStringLiteral("$.MEM.INP");
const QString EXPORT_RIGHTS = QStringLiteral("$.EXP.INP");

// Instructions of the delete and export requests.
const int INSTRUCTION_GET_WITH_VALUE = 1;
const int INSTRUCTION_DEL = 2;

} // namespace

const QString HistMeasureListUtil::MEMORY_TABLE = QStringLiteral("$.MEM.MTAB");
const QString HistMeasureListUtil::EXPORT_TABLE = QStringLiteral("$.EXP.MTAB");
const QString HistMeasureListUtil::EXPORT_STATE = QStringLiteral("$.EXP.STAS");
const QString HistMeasureListUtil::DESTINATIONS = QStringLiteral("$.EXP.DEST");
const QString HistMeasureListUtil::TEMPLATES = QStringLiteral("$.EXP.TPL");

HistMeasureListUtil::HistMeasureListUtil(const int& listMode, QObject* parent)
    : OverallUtil(parent), changed(false), listMode(listMode), exportState(0)
{
    qRegisterMetaType<GlobalEnums::InstructionType>("GlobalEnums::InstructionType");
    if (jsonUtil) {
        // Automatic: the mirror announces its changes on the receive thread.
        connect(jsonUtil, QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable), this,
                &HistMeasureListUtil::jsonTelegramm);
        connect(jsonUtil, &JSONUtil::beforeTelegramAvailable, this, &HistMeasureListUtil::beforeJsonTelegramm);
        connect(jsonUtil, &JSONUtil::afterTelegramAvailable, this, &HistMeasureListUtil::afterJsonTelegramm);
    }
    if (userRoleUtil)
        connect(userRoleUtil, &UserRoleUtil::updateRights, this, &HistMeasureListUtil::onUpdateHistMeasure);
    setBlockable(true);
}

QString HistMeasureListUtil::exportTimeText(const Measure& exported, const QString& format)
{
    return exported.getStart() == NO_EXPORT_TIME ? QString() : exported.getStartText(format);
}

void HistMeasureListUtil::getHistMeasures()
{
    QVector<Measure> records;
    QString rightsPath;
    switch (listMode) {
    case 0:
    case 1:
        readMeasures(records);
        rightsPath = MEMORY_RIGHTS;
        break;
    case 2:
        readMeasures(records);
        readDestinations();
        readExportState();
        rightsPath = EXPORT_RIGHTS;
        break;
    case 3:
        readExports(records);
        readDestinations();
        rightsPath = EXPORT_RIGHTS;
        break;
    default:
        qWarning().noquote() << QStringLiteral("Stored-measurement list of unknown mode %1 reads nothing.")
                                    .arg(listMode);
        return;
    }
    Json::Value rights;
    const bool editable = readNode(rightsPath, rights) && userRoleUtil
                          && userRoleUtil->checkNodeRights(rights) == UserRoleUtil::EDITABLE;
    emit updateHistMeasure(records, editable);
}

void HistMeasureListUtil::deleteMeasures(const QVector<Measure>& measures)
{
    if (!jsonUtil || measures.isEmpty() || (listMode != 1 && listMode != 3))
        return;
    QStringList ids;
    ids.reserve(measures.size());
    for (const Measure& measure : measures)
        ids << QString::number(measure.getId());
    Json::Value value(Json::objectValue);
    value["ID"] = ids.join(QLatin1Char(',')).toStdString();
    if (listMode == 1)
        jsonUtil->requestMeasure(MEMORY_TABLE, value, INSTRUCTION_DEL);
    else
        jsonUtil->requestExport(EXPORT_TABLE, value, INSTRUCTION_DEL);
}

void HistMeasureListUtil::exportMeasure(const int& destinationId, const int& measureId)
{
    if (!jsonUtil)
        return;
    Json::Value value(Json::objectValue);
    value["DEST"]["ID"] = destinationId;
    value["MTAB"]["ID"] = measureId;
    jsonUtil->requestExport(EXPORT_TABLE, value, INSTRUCTION_GET_WITH_VALUE);
}

void HistMeasureListUtil::jsonTelegramm(GlobalEnums::InstructionType, QString path)
{
    // A whole "$.MEM" sent again concerns its table as much as one row does.
    if (pathsRelated(path, EXPORT_TABLE) || pathsRelated(path, MEMORY_TABLE) || pathsRelated(path, EXPORT_RIGHTS)
        || pathsRelated(path, MEMORY_RIGHTS)) {
        changed = true;
    }
    if (pathsRelated(path, EXPORT_STATE)) {
        readExportState();
    } else if ((listMode == 2 || listMode == 3)
               && (pathsRelated(path, DESTINATIONS) || pathsRelated(path, TEMPLATES))) {
        // Destinations the list shows, which may have come in after a read.
        changed = true;
    }
}

void HistMeasureListUtil::beforeJsonTelegramm()
{
    changed = false;
}

void HistMeasureListUtil::afterJsonTelegramm()
{
    if (changed)
        emit updateHistMeasure();
    changed = false;
}

void HistMeasureListUtil::onUpdateHistMeasure()
{
    emit updateHistMeasure();
}

bool HistMeasureListUtil::readNode(const QString& path, Json::Value& node)
{
    if (!jsonUtil)
        return false;
    // A table this session has not read is asked for once, even when the
    // mirror holds one: another screen's reads may have brought only part of it.
    QVector<Json::Value> values;
    if (jsonUtil->getMasterJSONbyPath(path, values, true) && values.size() == 1) {
        node.swap(values.first());
        return true;
    }
    return false;
}

bool HistMeasureListUtil::readTable(const QString& path, Json::Value& table)
{
    if (!readNode(path, table))
        return false;
    if (!table.isArray()) {
        warnOnce(path, QStringLiteral("not a list"));
        return false;
    }
    return true;
}

void HistMeasureListUtil::warnOnce(const QString& path, const QString& reason)
{
    const QString text = path + QStringLiteral(": ") + reason;
    if (warned.contains(text))
        return;
    warned.insert(text);
    qWarning().noquote() << QStringLiteral("Stored measurements: ") + text;
}
