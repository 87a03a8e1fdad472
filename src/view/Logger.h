#pragma once

#include "common/TableCell.h"
#include "common/TableStructure.h"
#include "view/OverallView.h"

#include <QString>
#include <QWidget>

class DataMain;
class HistMeasureList;
class LoggerUtil;
class QTimer;
class TableObject;

namespace Ui {
class Logger;
}

// The logger and memory screen, page 3 of the measurement screen. Its start
// page has the memory-status tab (ring-buffer picture, memory figures, name
// of the next measurement, remaining recording time) and the export tab, with
// the start/stop button below; the links of both tabs open the stored-
// measurement lists (delete recordings, export, delete exports) as pages.
// Shows tables only: the JSON work is LoggerUtil's.
class Logger : public QWidget, public OverallView
{
    Q_OBJECT

public:
    // Stacked pages.
    enum Page { STATUS_PAGE = 0, MANAGE_PAGE = 1, EXPORT_PAGE = 2, DELETE_EXPORTS_PAGE = 3 };
    // Tabs of the start page.
    enum Tab { MEMORY_TAB = 0, EXPORT_TAB = 1 };
    // Refreshes of the memory table come at most this often.
    static constexpr int REFRESH_MS = 200;

    Logger(DataMain* dataMain, QWidget* parent = nullptr);
    ~Logger() override;

    // Page 0, memory-status tab.
    void setStartPage();
    // The logger's own back step: true when it went back within the logger.
    bool setFormerPage();
    // After a login: tables emptied, labels in the current language, start page.
    void setDefault();

    TableObject* memoryTable() const { return memoryTableObject; }
    TableObject* exportTable() const { return exportTableObject; }
    LoggerUtil* worker() const { return util; }

public slots:
    void clickCellElement(int& row, int& column, TableCell& cell);
    void saveConfig(int row, int column, TableCell& cell);
    // A watched value changed: one refresh per burst, REFRESH_MS after its start.
    void updateLogger();
    void setLogger();
    void updateLogger(TableStructure table);
    void updateLoggerExport(TableStructure table);
    // Mirrors the chart's start/stop button.
    void setStartStopButton(bool enabled, QString text);
    // Rights or application state changed: input off, refresh at once.
    void updateLoggerHard();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void initTables();
    void initHistMeasureLists();
    void showList(Page page, HistMeasureList* list);

    Ui::Logger* ui;
    DataMain* dataMain;
    LoggerUtil* util;
    HistMeasureList* manageList;
    HistMeasureList* exportList;
    HistMeasureList* deleteExportsList;
    TableObject* memoryTableObject;
    TableObject* exportTableObject;
    QTimer* refreshTimer;
};
