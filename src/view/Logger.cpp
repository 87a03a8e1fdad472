#include "view/Logger.h"
#include "ui_Logger.h"

#include "util/LoggerUtil.h"
#include "view/DataMain.h"
#include "view/EditTableDelegate.h"
#include "view/HistMeasureList.h"
#include "view/MainWindow.h"
#include "view/TableObject.h"
#include "view/WriteNotice.h"

#include <QScrollBar>
#include <QTimer>

namespace {

const int EXPORT_ROW = 0;
const int DELETE_EXPORTS_ROW = 1;

void addToPage(QWidget* page, QWidget* list)
{
    page->layout()->addWidget(list);
}

} // namespace

Logger::Logger(DataMain* host, QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::Logger),
      dataMain(host),
      util(nullptr),
      manageList(nullptr),
      exportList(nullptr),
      deleteExportsList(nullptr),
      memoryTableObject(nullptr),
      exportTableObject(nullptr),
      refreshTimer(nullptr)
{
    ui->setupUi(this);
    util = new LoggerUtil();
    initTables();
    initHistMeasureLists();
    if (dataMain) {
        connect(ui->btnLoggerStartStop, SIGNAL(clicked()), dataMain, SLOT(startStopMeasure()));
        connect(dataMain, SIGNAL(changingStartStop(bool,QString)), this, SLOT(setStartStopButton(bool,QString)));
    }
    refreshTimer = new QTimer();
    refreshTimer->setSingleShot(true);
    connect(refreshTimer, SIGNAL(timeout()), this, SLOT(setLogger()));
    // Told also when the page was left meanwhile.
    connect(util, &LoggerUtil::writesNotConfirmed, this, &WriteNotice::showNotConfirmed);
    connect(util, &LoggerUtil::writesConfirmedAfterAll, this, &WriteNotice::withdrawNotConfirmed);
}

Logger::~Logger()
{
    delete ui;
    delete util;
    delete manageList;
    delete refreshTimer;
    delete exportList;
    delete deleteExportsList;
}

void Logger::initTables()
{
    memoryTableObject = new TableObject(this);
    exportTableObject = new TableObject(this);
    ui->wgtLoggerTable->layout()->addWidget(memoryTableObject);
    ui->wgtLoggerExportTable->layout()->addWidget(exportTableObject);
    for (TableObject* table : {memoryTableObject, exportTableObject}) {
        table->setTableStyle(EditTableDelegate::HORIZONTAL_LINES);
        table->setSelectionMode(QAbstractItemView::NoSelection);
        connect(table, SIGNAL(clickValue(int&,int&,TableCell&)), this, SLOT(clickCellElement(int&,int&,TableCell&)));
        connect(table, SIGNAL(changeValue(int,int,TableCell&)), this, SLOT(saveConfig(int,int,TableCell&)));
    }
}

void Logger::initHistMeasureLists()
{
    manageList = new HistMeasureList(1);
    exportList = new HistMeasureList(2);
    deleteExportsList = new HistMeasureList(3);
    addToPage(ui->pLoggerHistMeasure, manageList);
    addToPage(ui->pLoggerExportHistMeasure, exportList);
    addToPage(ui->pLoggerDeleteExportedMeasure, deleteExportsList);
}

void Logger::showEvent(QShowEvent* event)
{
    qRegisterMetaType<TableStructure>("TableStructure");
    // Unique: a second show without a hide between must not double them.
    const Qt::ConnectionType unique = Qt::UniqueConnection;
    connect(util, SIGNAL(updateLogger(TableStructure)), this, SLOT(updateLogger(TableStructure)), unique);
    connect(util, SIGNAL(updateLogger()), this, SLOT(updateLogger()), unique);
    connect(util, SIGNAL(updateRights()), this, SLOT(updateLoggerHard()), unique);
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(updateLoggerHard()), unique);
    connect(util, SIGNAL(updateLoggerExport(TableStructure)), this, SLOT(updateLoggerExport(TableStructure)), unique);
    refreshTimer->start(REFRESH_MS);
    util->buildExportTable();
    QWidget::showEvent(event);
}

void Logger::hideEvent(QHideEvent* event)
{
    disconnect(util, SIGNAL(updateLogger(TableStructure)), this, SLOT(updateLogger(TableStructure)));
    disconnect(util, SIGNAL(updateLogger()), this, SLOT(updateLogger()));
    disconnect(util, SIGNAL(updateRights()), this, SLOT(updateLoggerHard()));
    if (MainWindow* window = getMainWindow())
        disconnect(window, SIGNAL(updateAppActive()), this, SLOT(updateLoggerHard()));
    disconnect(util, SIGNAL(updateLoggerExport(TableStructure)), this, SLOT(updateLoggerExport(TableStructure)));
    QWidget::hideEvent(event);
}

void Logger::updateLogger()
{
    if (!refreshTimer->isActive())
        refreshTimer->start(REFRESH_MS);
}

void Logger::setLogger()
{
    // The user's edit wins while it is open; the table is asked for once it closes.
    memoryTableObject->refreshWhenIdle([this] { util->updateMemoryTable(); });
}

void Logger::updateLogger(TableStructure table)
{
    if (memoryTableObject->isEditing()) {
        // Dropped, not lost: the values and the input switch come with a table
        // asked for once the editor closes.
        setLogger();
        return;
    }
    const int scroll = memoryTableObject->verticalScrollBar()->value();
    if (memoryTableObject->rowCount() == 0) {
        memoryTableObject->setTableHeader(table);
        memoryTableObject->setTableData(table, true, scroll);
    } else {
        memoryTableObject->refreshTableData(table);
    }
    memoryTableObject->setInputEnabled(true);
}

void Logger::updateLoggerExport(TableStructure table)
{
    const int scroll = exportTableObject->verticalScrollBar()->value();
    exportTableObject->setTableHeader(table);
    exportTableObject->setTableData(table, true, scroll);
}

void Logger::updateLoggerHard()
{
    memoryTableObject->setInputEnabled(false);
    util->updateMemoryTable();
}

void Logger::saveConfig(int row, int column, TableCell& cell)
{
    Q_UNUSED(row)
    Q_UNUSED(column)
    Q_UNUSED(cell)
    // Off until the next table shows what the device made of the edit.
    memoryTableObject->setInputEnabled(false);
    util->saveConfig(memoryTableObject->getTable());
    // The written name shows read-only at once: on a slow link no table comes before the answer.
    TableStructure held = memoryTableObject->getTable();
    util->holdPendingCells(held);
    memoryTableObject->refreshTableData(held);
}

void Logger::clickCellElement(int& row, int& column, TableCell& cell)
{
    if (cell.getCellType() != TableCell::LINK || column != LoggerUtil::VALUE_COLUMN)
        return;
    const int tab = ui->tabwgtLoggerDisplay->currentIndex();
    if (tab == MEMORY_TAB && row == LoggerUtil::MANAGE_ROW)
        showList(MANAGE_PAGE, manageList);
    else if (tab == EXPORT_TAB && row == EXPORT_ROW)
        showList(EXPORT_PAGE, exportList);
    else if (tab == EXPORT_TAB && row == DELETE_EXPORTS_ROW)
        showList(DELETE_EXPORTS_PAGE, deleteExportsList);
}

void Logger::showList(Page page, HistMeasureList* list)
{
    ui->stackedWidgetLogger->setCurrentIndex(page);
    list->requestHistMeasures();
}

bool Logger::setFormerPage()
{
    switch (ui->stackedWidgetLogger->currentIndex()) {
    case MANAGE_PAGE:
        setStartPage();
        return true;
    case EXPORT_PAGE:
    case DELETE_EXPORTS_PAGE:
        ui->stackedWidgetLogger->setCurrentIndex(STATUS_PAGE);
        ui->tabwgtLoggerDisplay->setCurrentIndex(EXPORT_TAB);
        return true;
    default:
        return false;
    }
}

void Logger::setStartStopButton(bool enabled, QString text)
{
    ui->btnLoggerStartStop->setText(text);
    ui->btnLoggerStartStop->setEnabled(enabled);
}

void Logger::setStartPage()
{
    ui->stackedWidgetLogger->setCurrentIndex(STATUS_PAGE);
    ui->tabwgtLoggerDisplay->setCurrentIndex(MEMORY_TAB);
}

void Logger::setDefault()
{
    memoryTableObject->clearTable();
    exportTableObject->clearTableContent();
    util->setDefault();
    setStartPage();
    manageList->setDefault();
    exportList->setDefault();
    deleteExportsList->setDefault();
}
