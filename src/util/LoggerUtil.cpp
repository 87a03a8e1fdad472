#include "util/LoggerUtil.h"

#include "common/PathRelation.h"

#include "util/DeviceConfigUtil.h"
#include "util/JSONUtil.h"

#include <QDateTime>
#include <QDebug>

namespace {

const int COLUMN_COUNT = 4;
const int MEMORY_ROWS = 7;
const int EXPORT_ROWS = 2;
const QString NO_VALUE = QStringLiteral("---");
// Largest start time a date can be shown for (31.12.9999 23:59:59.999 UTC).
const qint64 LAST_SHOWN_MS = 253402300799999LL;

// The changes that refresh the memory-status table; the measurement name is
// also watched below its node, where the device confirms a new name.
const char* const WATCHED[] = {"$.SERV.STAT.MEAS.FILE", "$.SERV.STAT.MEAS.STAT", "$.MEM.TRE.DIM",
                               "$.MEM.TRE.VAL", "$.MEM.SF.DIM", "$.MEM.SF.VAL", "$.MEM.SFP.VAL",
                               "$.MEM.SFP.DIM", "$.MEM.SG.DIM", "$.MEM.SG.VAL", "$.MEM.RING"};

// Integers in decimal, reals with 16 significant digits (3.8 stays "3.8").
QString numberText(const Json::Value& value)
{
    if (value.isInt64())
        return QString::number(value.asInt64());
    if (value.isUInt64())
        return QString::number(value.asUInt64());
    return QString::asprintf("%.16g", value.asDouble());
}

bool readInt64(const Json::Value& value, qint64& out)
{
    if (!value.isInt64())   // also a real with an integral value in range; never a bool or text
        return false;
    out = value.asInt64();
    return true;
}

} // namespace

LoggerUtil::LoggerUtil(QObject* parent)
    : OverallUtil(parent), configUtil(new DeviceConfigUtil(nullptr)), dirty(false), inBatch(false)
{
    initMemoryTable();
    GlobalEnums::registerMetaTypes();
    TableStructure::registerMetaTypes();
    if (jsonUtil) {
        connect(jsonUtil, QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable),
                this, &LoggerUtil::jsonTelegramm);
        connect(jsonUtil, &JSONUtil::beforeTelegramAvailable, this, &LoggerUtil::beforeJsonTelegramm);
        connect(jsonUtil, &JSONUtil::afterTelegramAvailable, this, &LoggerUtil::afterJsonTelegramm);
    }
    // A confirmed (or dropped) name write makes the cell editable again.
    connect(configUtil, QOverload<>::of(&DeviceConfigUtil::updateConfigTable), this, &LoggerUtil::onConfigChanged);
    connect(configUtil, &DeviceConfigUtil::writesNotConfirmed, this, &LoggerUtil::writesNotConfirmed);
    connect(configUtil, &DeviceConfigUtil::writesConfirmedAfterAll, this, &LoggerUtil::writesConfirmedAfterAll);
    setBlockable(true);
}

LoggerUtil::~LoggerUtil()
{
    delete configUtil;
}

// ------------------------------------------------------------------ tables

QString LoggerUtil::text(int id, const char* germanDefault)
{
    const QString fallback = QString::fromUtf8(germanDefault);
    return jsonUtil ? jsonUtil->getTranslation(id, fallback) : fallback;
}

void LoggerUtil::resetTable(TableStructure& table, int rowCount)
{
    table.setHeader(QVector<TableEntry>(COLUMN_COUNT, TableEntry()));
    table.setHeaderVisible(false);
    table.setRows(QVector<QVector<TableCell>>(rowCount, QVector<TableCell>(COLUMN_COUNT, TableCell())));
}

void LoggerUtil::initMemoryTable()
{
    for (const char* path : WATCHED)
        watchedPaths.insert(QString::fromLatin1(path));

    resetTable(memoryTable, MEMORY_ROWS);
    const int left = TableCell::ALIGN_LEFT;
    const int right = TableCell::ALIGN_RIGHT;
    const auto label = [&](int row, int column, int id, const char* german) {
        setLoggerCell(memoryTable, row, column, text(id, german), TableCell::TEXT, TableCell::NO_RIGHTS_INFO, left,
                      QString(), false);
    };
    const auto value = [&](int row, const QString& path) {
        setLoggerCell(memoryTable, row, VALUE_COLUMN, QVariant(), TableCell::TEXT, TableCell::READ_ONLY, right, path,
                      false);
    };
    setLoggerCell(memoryTable, 0, 0, QString::fromLatin1(PICTURE_IDLE), TableCell::ANIMATION,
                  TableCell::NO_RIGHTS_INFO, TableCell::ALIGN_CENTER, QString(), false);
    label(0, 1, 689, "Speicherstatus");
    value(0, QStringLiteral("$.MEM.SFP.VAL"));
    label(2, 1, 684, "Speicher frei");
    value(2, QStringLiteral("$.MEM.SF.VAL"));
    label(1, 1, 685, "Speicher gesamt");
    value(1, QStringLiteral("$.MEM.SG.VAL"));
    label(3, 0, 854, "Name der Messung");
    // Read-only until the device's entry is known, so a save never writes a
    // plain text over the entry object.
    setLoggerCell(memoryTable, NAME_ROW, VALUE_COLUMN, QVariant(), TableCell::TEXT_EDIT, TableCell::READ_ONLY, right,
                  QString::fromLatin1(MEASUREMENT_FILE_PATH), false);
    label(4, 0, 874, "Messung aktiv seit");
    value(4, QString());
    label(5, 0, 875, "Messungen verwalten");
    setLoggerCell(memoryTable, MANAGE_ROW, VALUE_COLUMN, QVariant(), TableCell::LINK, TableCell::EDITABLE, right,
                  QString(), false);
    label(6, 0, 876, "Voraussichtliche Restdauer");
    value(6, QString::fromLatin1(REMAINING_TIME_PATH));
}

void LoggerUtil::buildExportTable()
{
    resetTable(exportTable, EXPORT_ROWS);
    const int left = TableCell::ALIGN_LEFT;
    const int right = TableCell::ALIGN_RIGHT;
    setLoggerCell(exportTable, 0, 0, text(911, "Messungen exportieren"), TableCell::TEXT, TableCell::NO_RIGHTS_INFO,
                  left, QString(), true);
    setLoggerCell(exportTable, 0, VALUE_COLUMN, QVariant(), TableCell::LINK, TableCell::EDITABLE, right, QString(),
                  true);
    setLoggerCell(exportTable, 1, 0, text(912, "Exportierte Messungen löschen"), TableCell::TEXT,
                  TableCell::NO_RIGHTS_INFO, left, QString(), true);
    setLoggerCell(exportTable, 1, VALUE_COLUMN, QVariant(), TableCell::LINK, TableCell::EDITABLE, right, QString(),
                  true);
    emit updateLoggerExport(exportTable);
}

void LoggerUtil::saveConfig(const TableStructure& table)
{
    configUtil->saveConfig(table);
}

void LoggerUtil::holdPendingCells(TableStructure& table)
{
    configUtil->holdPendingCells(table);
}

void LoggerUtil::setDefault()
{
    configUtil->clearPendingWrites();
    initMemoryTable();
}

// ----------------------------------------------------------------- refresh

Json::Value LoggerUtil::read(const QString& path)
{
    Json::Value value;
    if (!jsonUtil)
        return value;
    // Each read copies only its node, under the mirror's lock. One this session
    // has not read is asked for once, not at every refresh.
    QVector<Json::Value> values;
    jsonUtil->getMasterJSONbyPath(path, values, true);
    if (values.size() == 1)
        value.swap(values.first());
    else if (values.size() > 1)
        qWarning().noquote() << "Logger: more than one value at" << path;
    return value;
}

QString LoggerUtil::unitText(const QString& dimPath)
{
    const Json::Value dim = read(dimPath);
    int id = -1;
    QString unit;
    if (jsonUtil)
        jsonUtil->getInternationalisationFromID(dim, id, unit);
    return unit;
}

void LoggerUtil::updateMemoryTable()
{
    TableStructure table = memoryTable;
    try {
        fillNumberRow(table, QStringLiteral("$.MEM.SFP"), 0);
        fillNumberRow(table, QStringLiteral("$.MEM.SG"), 1);
        fillNumberRow(table, QStringLiteral("$.MEM.SF"), 2);
        fillMeasurementName(table);
        fillStartTime(table);
        fillRemainingTime(table);
        fillRingBuffer(table);
    } catch (const std::exception& e) {
        qWarning().noquote() << "Logger: memory table could not be filled:" << e.what();
    }
    // The mirror may still hold the name from before a write that waits.
    holdPendingCells(table);
    emit updateLogger(table);
}

void LoggerUtil::fillNumberRow(TableStructure& table, const QString& node, int row)
{
    const Json::Value value = read(node + QStringLiteral(".VAL"));
    const QString unit = unitText(node + QStringLiteral(".DIM"));
    if (value.isNumeric())
        setCellValue(table, row, VALUE_COLUMN, numberText(value) + QLatin1Char(' ') + unit);
    else if (!value.isNull())
        qWarning().noquote() << "Logger:" << node << "holds no number";
}

void LoggerUtil::fillMeasurementName(TableStructure& table)
{
    const QString path = QString::fromLatin1(MEASUREMENT_FILE_PATH);
    const Json::Value file = read(path);
    if (file.isObject()) {
        TableCell cell = getCell(memoryTable, NAME_ROW, VALUE_COLUMN);
        configUtil->setInputCell(file, path, cell);
        if (cell.getCellType() == TableCell::NONE) {
            // An entry no editor can be made for is shown, never written.
            const Json::Value& name = file["VAL"];
            cell.setCellType(TableCell::TEXT);
            cell.setRights(TableCell::READ_ONLY);
            cell.setValue(name.isString() ? QString::fromStdString(name.asString()) : QString());
        }
        cell.setAlignment(TableCell::ALIGN_RIGHT);
        setCell(table, cell, NAME_ROW, VALUE_COLUMN);
    } else if (file.isString()) {
        // A plain text is the device's label for the name: shown, never edited.
        TableCell cell = getCell(table, NAME_ROW, VALUE_COLUMN);
        cell.setValue(QString::fromStdString(file.asString()));
        cell.setCellType(TableCell::TEXT);
        cell.setRights(TableCell::NO_RIGHTS_INFO);
        setCell(table, cell, NAME_ROW, VALUE_COLUMN);
    } else if (!file.isNull()) {
        qWarning().noquote() << "Logger:" << path << "is neither an entry nor a text";
    }
}

void LoggerUtil::fillStartTime(TableStructure& table)
{
    const Json::Value start = read(QString::fromLatin1(MEASUREMENT_START_PATH));
    qint64 ms = 0;
    if (!readInt64(start, ms) || ms < 0 || ms > LAST_SHOWN_MS) {
        if (!start.isNull())
            qWarning().noquote() << "Logger: no usable start time at" << MEASUREMENT_START_PATH;
        return;
    }
    setCellValue(table, 4, VALUE_COLUMN,
                 QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("dd.MM.yyyy / HH:mm:ss")));
}

void LoggerUtil::fillRemainingTime(TableStructure& table)
{
    const Json::Value remaining = read(QString::fromLatin1(REMAINING_TIME_PATH));
    const QString unit = unitText(QString::fromLatin1(REMAINING_UNIT_PATH));
    qint64 seconds = 0;
    if (remaining.isNull()) {
        setCellValue(table, 6, VALUE_COLUMN, NO_VALUE);
    } else if (readInt64(remaining, seconds)) {
        if (seconds < 0)
            setCellValue(table, 6, VALUE_COLUMN, NO_VALUE);
        else
            setCellValue(table, 6, VALUE_COLUMN,
                         QStringLiteral("%1 (%2 %3)").arg(formatDuration(seconds)).arg(seconds).arg(unit));
    } else {
        qWarning().noquote() << "Logger: no usable remaining time at" << REMAINING_TIME_PATH;
    }
}

void LoggerUtil::fillRingBuffer(TableStructure& table)
{
    const Json::Value ring = read(QStringLiteral("$.MEM.RING"));
    if (!ring.isInt()) {
        if (!ring.isNull())
            qWarning().noquote() << "Logger: ring-buffer state is no integer";
        return;
    }
    switch (ring.asInt()) {
    case 1:
        setCellValue(table, 0, 0, QString::fromLatin1(PICTURE_IDLE));
        break;
    case 2:
        setCellValue(table, 0, 0, QString::fromLatin1(PICTURE_RING_INACTIVE));
        break;
    case 3:
        setCellValue(table, 0, 0, QString::fromLatin1(PICTURE_RING_ACTIVE));
        break;
    default:
        break;
    }
}

QString LoggerUtil::formatDuration(qint64 seconds)
{
    const qint64 s = seconds % 60;
    const qint64 t = seconds / 60;
    const qint64 m = t % 60;
    const qint64 u = t / 60;
    const qint64 h = u % 24;
    const qint64 d = u / 24;
    const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    if (d == 0 && h == 0)
        return two(m) + QLatin1Char(':') + two(s);
    const QString clock = two(h) + QLatin1Char(':') + two(m) + QLatin1Char(':') + two(s);
    return d == 0 ? clock : QStringLiteral("%1d %2").arg(d).arg(clock);
}

// ------------------------------------------------------------- cell helpers

void LoggerUtil::setLoggerCell(TableStructure& table, const int& row, const int& column, const QVariant& value,
                               const TableCell::CellType& type, const int& rights, const int& alignment,
                               const QString& path, bool noSpans)
{
    TableCell cell = getCell(table, row, column);
    cell.setValue(value);
    cell.setRights(rights);
    cell.setCellType(type);
    cell.setAlignment(alignment);
    cell.setPath(path);
    if (!noSpans) {
        if (row == 0 && column == 0)
            cell.setRowSpan(3);
        else if (row >= 4 && column == 0)
            cell.setColumnSpan(2);
    }
    if (column == VALUE_COLUMN)
        cell.setColumnSpan(2);
    setCell(table, cell, row, column);
}

TableCell LoggerUtil::getCell(const TableStructure& table, const int& row, const int& column)
{
    const QVector<QVector<TableCell>> rows = table.getRows();
    if (row < 0 || row >= rows.size() || column < 0 || column >= rows.at(row).size())
        return TableCell();
    return rows.at(row).at(column);
}

void LoggerUtil::setCellValue(TableStructure& table, const int& row, const int& column, const QVariant& value)
{
    TableCell cell = getCell(table, row, column);
    cell.setValue(value);
    setCell(table, cell, row, column);
}

void LoggerUtil::setCell(TableStructure& table, const TableCell& cell, const int& row, const int& column)
{
    if (row < 0 || row >= table.getRows().size() || column < 0 || column >= table.getRow(row).size())
        return;
    table.getRow(row)[column] = cell;
}

// ----------------------------------------------------------- change filter

bool LoggerUtil::isWatched(const QString& path) const
{
    if (watchedPaths.contains(path))
        return true;
    const QString file = QString::fromLatin1(MEASUREMENT_FILE_PATH);
    // Below the name's node only: that is where the device confirms a new name.
    return path.size() > file.size() && watchedPaths.contains(file) && pathsRelated(path, file);
}

void LoggerUtil::beforeJsonTelegramm()
{
    dirty = false;
    inBatch = true;
}

void LoggerUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    Q_UNUSED(type)
    if (isWatched(path))
        dirty = true;
}

void LoggerUtil::afterJsonTelegramm()
{
    inBatch = false;
    if (dirty)
        emit updateLogger();
    dirty = false;
}

void LoggerUtil::onConfigChanged()
{
    // Within a batch the batch's end announces it, once.
    if (inBatch)
        dirty = true;
    else
        emit updateLogger();
}
