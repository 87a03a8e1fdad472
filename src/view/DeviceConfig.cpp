#include "view/DeviceConfig.h"
#include "ui_DeviceConfig.h"

#include "util/DeviceConfigUtil.h"
#include "util/Language.h"
#include "view/DataMain.h"
#include "view/MainWindow.h"
#include "view/StatusBar.h"
#include "view/WriteNotice.h"

#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QtDebug>

namespace {

const char* const ROOT_PATH = "$.DISP";
const int REFRESH_DELAY_MS = 250;
const int ICON_COLUMN_WIDTH = 80;
const int LAST_COLUMN_WIDTH = 100;
const int STATUS_MS = 10000;

const int TEXT_TABLE_UPDATED = 899;
const int TEXT_SAVING = 424;
const int TEXT_DOCUMENT_FAILED = 1020;

} // namespace

DeviceConfig::DeviceConfig(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::DeviceConfig),
      dataMain(qobject_cast<DataMain*>(parent)),
      util(nullptr),
      table(nullptr),
      keepScroll(false),
      refreshTimer(nullptr),
      mode(0)
{
    ui->setupUi(this);
    util = new DeviceConfigUtilTask(this);
    table = new TableObject(this);
    ui->verticalLayout->addWidget(table);
    connect(table, SIGNAL(detectFailure(TableObject::TableFailure,QString)), this,
            SLOT(getFailure(TableObject::TableFailure,QString)));

    connect(util, SIGNAL(deleteConfigTable(QString)), this, SLOT(checkTableSequence(QString)));
    connect(util, SIGNAL(notExistingConfigPath()), this, SLOT(setFormerTable()));
    qRegisterMetaType<TableStructure>("TableStructure");
    qRegisterMetaType<TableStructure>("TableStructure&");
    connect(util, SIGNAL(updateConfigTable(TableStructure&)), this, SLOT(setConfigTable(TableStructure&)));
    connect(table, SIGNAL(clickValue(int&,int&,TableCell&)), this, SLOT(clickCellElement(int&,int&,TableCell&)));
    connect(table, SIGNAL(changeValue(int,int,TableCell&)), this, SLOT(saveConfig(int,int,TableCell&)));
    // A write the device did not confirm is said on the status bar, where the routine note of the
    // tables that follow does not replace it while it shows; taken back once confirmed after all.
    connect(util, &DeviceConfigUtil::writesNotConfirmed, this, &WriteNotice::showNotConfirmed);
    connect(util, &DeviceConfigUtil::writesConfirmedAfterAll, this, &WriteNotice::withdrawNotConfirmed);

    refreshTimer = new QTimer();
    refreshTimer->setSingleShot(true);
    connect(refreshTimer, SIGNAL(timeout()), this, SLOT(updateConfigTable()));
}

DeviceConfig::~DeviceConfig()
{
    delete refreshTimer;
    delete ui;
}

QStringList DeviceConfig::historyPaths() const
{
    QStringList paths;
    for (const TableStructure& entry : history)
        paths.append(entry.getPath());
    return paths;
}

TableObject* DeviceConfig::tableObject() const
{
    return table;
}

void DeviceConfig::showEvent(QShowEvent* event)
{
    const Qt::ConnectionType unique = Qt::UniqueConnection;
    connect(util, SIGNAL(updateConfigTable()), this, SLOT(updateConfig()), unique);
    connect(util, SIGNAL(updateRights()), this, SLOT(updateConfigHard()), unique);
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(updateConfigHard()), unique);
    QWidget::showEvent(event);
}

void DeviceConfig::hideEvent(QHideEvent* event)
{
    disconnect(util, SIGNAL(updateConfigTable()), this, SLOT(updateConfig()));
    disconnect(util, SIGNAL(updateRights()), this, SLOT(updateConfigHard()));
    if (MainWindow* window = getMainWindow())
        disconnect(window, SIGNAL(updateAppActive()), this, SLOT(updateConfigHard()));
    QWidget::hideEvent(event);
}

TableStructure DeviceConfig::request(const QString& path, bool force)
{
    return util->getConfigTable(force, path);
}

void DeviceConfig::pushTable(const TableStructure& t)
{
    if (!history.isEmpty() && history.last().getPath() == t.getPath())
        replaceTableSequence(t);
    else
        history.append(t);
}

void DeviceConfig::replaceTableSequence(TableStructure t)
{
    for (TableStructure& entry : history) {
        if (entry.getPath() == t.getPath())
            entry = t;
    }
}

void DeviceConfig::openRootTable()
{
    history.clear();
    keepScroll = false;
    pushTable(request(QLatin1String(ROOT_PATH)));
}

void DeviceConfig::openConfig(const bool& restart, int newMode)
{
    if (!restart && !history.isEmpty() && newMode == mode)
        request(history.last().getPath());
    else
        openRootTable();
    mode = newMode;
}

void DeviceConfig::openConfigPath(const QString& path, int newMode, const QString& start)
{
    resetConfig();
    startPath = start;
    mode = newMode;
    pushTable(request(path));
}

void DeviceConfig::resetConfig()
{
    table->clearTableContent();
    util->clearPendingWrites();
    util->resetRequestedReads();
    history.clear();
}

void DeviceConfig::setConfigTable(TableStructure& t)
{
    // Every request of this screen enters the history first: an empty history
    // means the table answers a request from before a reset (a logout).
    if (history.isEmpty() || t.getPath() != history.last().getPath())
        return;   // answers a request the user has already left
    if (table->isEditing() && t.getPath() == table->getTable().getPath()) {
        // A refresh asked for before the editor opened: the edit wins, and the
        // table is asked for anew once the editor closes, with what it wrote.
        table->refreshWhenIdle([this] { refreshShownTable(); });
        return;
    }
    const int scrollPos = table->verticalScrollBar()->value();
    if (isVisible() && dataMain)
        dataMain->getHeaderLabel()->setText(t.getTitle());
    table->setTableHeader(t);
    if (t.getTableType() == TableStructure::ROWS || t.getTableType() == TableStructure::STAB) {
        table->setColumnWidth(0, ICON_COLUMN_WIDTH);
        table->setColumnWidth(t.getHeader().size() - 1, LAST_COLUMN_WIDTH);
    }
    util->holdPendingCells(t);
    const bool enableInput = true;
    // A notice still showing outranks the routine note.
    const QString updated = language->getText(TEXT_TABLE_UPDATED, QStringLiteral("Aktualisierung der Einstellung"));
    const QString status = statusBarHoldsNoMessageBut(updated) ? updated : QString();
    table->setTableData(t, enableInput, status, keepScroll, scrollPos);
    pushTable(t);
}

bool DeviceConfig::statusBarHoldsNoMessageBut(const QString& note) const
{
    const StatusBar* bar = getStatusBar();
    const QString shown = bar ? bar->message() : QString();
    return shown.isEmpty() || shown == note
           || shown == language->getText(TEXT_SAVING, QStringLiteral("Einstellungen speichern"));
}

void DeviceConfig::clickCellElement(int& row, int& column, TableCell& cell)
{
    Q_UNUSED(column)
    if (cell.getCellType() != TableCell::LINK)
        return;
    keepScroll = false;
    if (table->getTable().getTableType() == TableStructure::STAB) {
        // The chosen row goes into the local mirror; the solved content path
        // records in the history which element was opened.
        TableStructure shown = table->getTable();
        util->writeLocalIndex(shown, row);
        replaceTableSequence(shown);
    }
    pushTable(request(cell.getValue().toString()));
}

bool DeviceConfig::setFormerTable()
{
    if (history.size() < 2)
        return false;
    table->setInputEnabled(false);
    keepScroll = false;
    history.removeLast();
    request(history.last().getPath());
    return true;
}

void DeviceConfig::updateConfig()
{
    if (!refreshTimer->isActive())
        refreshTimer->start(REFRESH_DELAY_MS);
}

void DeviceConfig::updateConfigTable()
{
    // The user's edit wins while it is open; the table then shows what the device holds.
    table->refreshWhenIdle([this] { refreshShownTable(); });
}

void DeviceConfig::refreshShownTable()
{
    keepScroll = true;
    if (history.isEmpty())
        pushTable(request(QLatin1String(ROOT_PATH), false));
    else
        request(history.last().getPath(), false);
}

void DeviceConfig::updateConfigHard()
{
    table->setInputEnabled(false);
    if (history.isEmpty())
        pushTable(request(QLatin1String(ROOT_PATH)));
    else
        request(history.last().getPath());
}

void DeviceConfig::checkTableSequence(QString path)
{
    // The deleted node, or one above it, goes with everything below it.
    auto removes = [&path](const QString& node) {
        if (node.isEmpty() || !node.startsWith(path))
            return false;
        return node.size() == path.size() || node.at(path.size()) == QLatin1Char('.')
               || node.at(path.size()) == QLatin1Char('[');
    };
    for (int i = 0; i < history.size(); ++i) {
        if (removes(history.at(i).getContPath())) {
            history.resize(i + 1);
            updateConfigHard();
            return;
        }
    }
    if (mode == 1 && removes(startPath) && dataMain)
        dataMain->setSensorWidget();
}

void DeviceConfig::saveConfig(int row, int column, TableCell& cell)
{
    Q_UNUSED(row)
    Q_UNUSED(column)
    Q_UNUSED(cell)
    table->setInputEnabled(false);
    showStatus(language->getText(TEXT_SAVING, QStringLiteral("Einstellungen speichern")), STATUS_MS);
    util->saveConfig(table->getTable());
    // The written value shows read-only at once: on a slow link no table comes before the answer.
    TableStructure held = table->getTable();
    util->holdPendingCells(held);
    table->refreshTableData(held);
}

void DeviceConfig::getFailure(TableObject::TableFailure failure, QString path)
{
    Q_UNUSED(path)
    if (failure != 0)
        return;
    showStatus(language->getText(TEXT_DOCUMENT_FAILED, QStringLiteral("Das Dokument kann nicht geöffnet werden. "
                                                                      "Bitte installieren Sie einen PDF-Reader.")),
               STATUS_MS);
}
