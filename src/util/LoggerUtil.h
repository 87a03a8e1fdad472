#pragma once

#include "common/GlobalEnums.h"
#include "common/TableCell.h"
#include "common/TableStructure.h"
#include "util/OverallUtil.h"

#include <json/json.h>

#include <QSet>
#include <QString>
#include <QVariant>

class DeviceConfigUtil;

// The logger screen's worker: builds the memory-status table (ring-buffer
// picture, memory figures, the editable name of the next measurement, start
// of the running measurement, remaining recording time) and the export table,
// refreshes the first when one of its device values changes, and writes an
// edited measurement name back to the device: while that write waits, every
// memory table shows the name as written, read-only, as the configuration
// tables do (DeviceConfigUtil::holdPendingCells).
//
// Runs in the GUI thread; the change notifications arrive queued.
class LoggerUtil : public OverallUtil
{
    Q_OBJECT

public:
    explicit LoggerUtil(QObject* parent = nullptr);
    ~LoggerUtil() override;

    static constexpr const char* MEASUREMENT_FILE_PATH = "$.SERV.STAT.MEAS.FILE";
    static constexpr const char* MEASUREMENT_START_PATH = "$.SERV.STAT.MEAS.STAT";
    static constexpr const char* REMAINING_TIME_PATH = "$.MEM.TRE.VAL";
    static constexpr const char* REMAINING_UNIT_PATH = "$.MEM.TRE.DIM";
    static constexpr const char* PICTURE_IDLE = ":/pic/logger/icon_messung_inaktiv_195x195.png";
    static constexpr const char* PICTURE_RING_INACTIVE = ":/pic/logger/icon_rinspeicher_inaktiv_195x195.gif";
    static constexpr const char* PICTURE_RING_ACTIVE = ":/pic/logger/icon_rinspeicher_aktiv_195x195.gif";

    // Positions of the cells the screen reacts to.
    static constexpr int NAME_ROW = 3;
    static constexpr int MANAGE_ROW = 5;
    static constexpr int VALUE_COLUMN = 2;

    // Adds the watched paths and rebuilds the memory-status template. Emits nothing.
    void initMemoryTable();
    // Fills a copy of the template from the mirror and emits updateLogger(TableStructure).
    void updateMemoryTable();
    // Rebuilds the export table and emits updateLoggerExport.
    void buildExportTable();
    // Sends the edited measurement name (cells with rights 2 and the changed flag).
    void saveConfig(const TableStructure& table);
    // For a table about to be shown while the name's write waits: the name as written, read-only.
    void holdPendingCells(TableStructure& table);
    // After a login: new template in the current language, no writes left waiting.
    void setDefault();

    // "mm:ss", "hh:mm:ss" or "<d>d hh:mm:ss".
    static QString formatDuration(qint64 seconds);

    // Whether a change at path concerns the memory-status table.
    bool isWatched(const QString& path) const;
    int watchedPathCount() const { return watchedPaths.size(); }
    TableStructure getMemoryTemplate() const { return memoryTable; }
    TableStructure getExportTable() const { return exportTable; }

    static void setLoggerCell(TableStructure& table, const int& row, const int& column, const QVariant& value,
                              const TableCell::CellType& type, const int& rights, const int& alignment,
                              const QString& path, bool noSpans);
    static TableCell getCell(const TableStructure& table, const int& row, const int& column);
    static void setCellValue(TableStructure& table, const int& row, const int& column, const QVariant& value);
    static void setCell(TableStructure& table, const TableCell& cell, const int& row, const int& column);

signals:
    void updateLogger();
    void updateLogger(TableStructure table);
    void updateLoggerExport(TableStructure table);
    // The name's write was not confirmed in time (its read back is on its way);
    // confirmed after all.
    void writesNotConfirmed();
    void writesConfirmedAfterAll();

public slots:
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
    void beforeJsonTelegramm();
    void afterJsonTelegramm();

private slots:
    // A write of the name was confirmed or dropped.
    void onConfigChanged();

private:
    // The mirror's value at path, copied under the mirror's lock; one this
    // session has not read is asked for once, and a missing one reads as null.
    Json::Value read(const QString& path);
    QString unitText(const QString& dimPath);
    void fillNumberRow(TableStructure& table, const QString& node, int row);
    void fillMeasurementName(TableStructure& table);
    void fillStartTime(TableStructure& table);
    void fillRemainingTime(TableStructure& table);
    void fillRingBuffer(TableStructure& table);
    QString text(int id, const char* germanDefault);
    static void resetTable(TableStructure& table, int rowCount);

    TableStructure memoryTable;
    TableStructure exportTable;
    QSet<QString> watchedPaths;
    DeviceConfigUtil* configUtil;   // owned, no Qt parent
    bool dirty;
    bool inBatch;                   // between beforeJsonTelegramm and afterJsonTelegramm
};
