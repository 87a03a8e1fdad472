#include "view/SensorList.h"
#include "ui_SensorList.h"

#include "util/Language.h"
#include "util/SensorListUtil.h"
#include "view/MainWindow.h"

#include <QSignalBlocker>
#include <QTimer>
#include <QtDebug>

namespace {

const int INIT_DELAY_MS = 200;
const int UPDATE_DELAY_MS = 250;
const int FIRST_COLUMN_WIDTH = 80;
const int LAST_COLUMN_WIDTH = 100;
const int NO_DEVICE = -2;

} // namespace

SensorList::SensorList(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::SensorList),
      util(nullptr),
      updateTimer(nullptr),
      initTimer(nullptr),
      requestedDevice(NO_DEVICE),
      waitingForTable(false)
{
    ui->setupUi(this);
    util = new SensorListUtil(nullptr);
    connect(ui->cmbDeviceListMenu, SIGNAL(currentIndexChanged(int)), this, SLOT(changedDevice(int)));
    // Only links act; changeValue stays unconnected, nothing is written from here.
    connect(ui->tblSensorListContent, SIGNAL(clickValue(int&,int&,TableCell&)), this,
            SLOT(clickedSensor(int&,int&,TableCell&)));

    updateTimer = new QTimer();
    updateTimer->setSingleShot(true);
    updateTimer->setInterval(UPDATE_DELAY_MS);
    initTimer = new QTimer();
    initTimer->setSingleShot(true);
    initTimer->setInterval(INIT_DELAY_MS);
    connect(initTimer, SIGNAL(timeout()), this, SLOT(setData()));
}

SensorList::~SensorList()
{
    delete initTimer;
    delete updateTimer;
    delete util;
    delete ui;
}

TableObject* SensorList::tableObject() const
{
    return ui->tblSensorListContent;
}

void SensorList::showEvent(QShowEvent* event)
{
    const Qt::ConnectionType unique = Qt::UniqueConnection;
    connect(util, SIGNAL(updateData()), this, SLOT(startInitTimer()), unique);
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(startInitTimer()), unique);
    connect(updateTimer, SIGNAL(timeout()), this, SLOT(updateSensorTable()), unique);
    connect(util, SIGNAL(updateDeviceList(QStringList&)), this, SLOT(setComboBox(QStringList&)), unique);
    connect(util, SIGNAL(updateSensorTable(TableStructure&)), this, SLOT(setSensorTable(TableStructure&)), unique);
    connect(util, SIGNAL(setDeviceConfigByPath(QString&,QString&)), this,
            SLOT(getDeviceConfigByPath(QString&,QString&)), unique);
    QWidget::showEvent(event);
    startInitTimer();
}

void SensorList::hideEvent(QHideEvent* event)
{
    disconnect(util, SIGNAL(updateData()), this, SLOT(startInitTimer()));
    if (MainWindow* window = getMainWindow())
        disconnect(window, SIGNAL(updateAppActive()), this, SLOT(startInitTimer()));
    disconnect(updateTimer, SIGNAL(timeout()), this, SLOT(updateSensorTable()));
    disconnect(util, SIGNAL(updateDeviceList(QStringList&)), this, SLOT(setComboBox(QStringList&)));
    disconnect(util, SIGNAL(updateSensorTable(TableStructure&)), this, SLOT(setSensorTable(TableStructure&)));
    disconnect(util, SIGNAL(setDeviceConfigByPath(QString&,QString&)), this,
               SLOT(getDeviceConfigByPath(QString&,QString&)));
    initTimer->stop();
    updateTimer->stop();
    QWidget::hideEvent(event);
}

void SensorList::startInitTimer()
{
    if (!initTimer->isActive())
        initTimer->start();
}

void SensorList::startUpdateTimer()
{
    if (!updateTimer->isActive())
        updateTimer->start();
}

void SensorList::setData()
{
    util->readSensorList();
    util->readDeviceList();   // fills the combo box at once while shown
    selectDevice(ui->cmbDeviceListMenu->currentIndex());
}

void SensorList::setComboBox(QStringList& names)
{
    ZComboBox* combo = ui->cmbDeviceListMenu;
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown.append(combo->itemText(i));
    if (shown == names)
        return;   // an open list stays open
    const QSignalBlocker blocker(combo);
    const QString text = combo->currentText();
    const int index = combo->currentIndex();
    combo->clear();
    combo->addItems(names);
    // Names need not be unique or set: the same place with the same name is the same device.
    if (index >= 0 && index < names.size() && names.at(index) == text)
        combo->setCurrentIndex(index);
    else if (names.contains(text))
        combo->setCurrentIndex(names.indexOf(text));
}

void SensorList::changedDevice(int index)
{
    selectDevice(index);
}

void SensorList::selectDevice(int index)
{
    if (index != requestedDevice) {
        requestedDevice = index;
        waitingForTable = true;
    }
    util->setDevice(index);
}

void SensorList::setSensorTable(TableStructure& t)
{
    table = t;
    startUpdateTimer();
}

void SensorList::updateSensorTable()
{
    TableObject* shown = ui->tblSensorListContent;
    shown->setTableHeader(table);
    const int columns = table.getHeader().size();
    if (columns > 0) {
        shown->setColumnWidth(0, FIRST_COLUMN_WIDTH);
        shown->setColumnWidth(columns - 1, LAST_COLUMN_WIDTH);
    }
    // Input stays off: links work without it, and nothing here is editable.
    const QString status = language->getText(900, QStringLiteral("Aktualisierung der Fühlerliste"));
    shown->setTableData(table, false, status, false, 0);
    waitingForTable = false;
}

void SensorList::clickedSensor(int& row, int& column, TableCell& cell)
{
    Q_UNUSED(column)
    if (cell.getCellType() != TableCell::LINK)
        return;
    if (waitingForTable) {
        qInfo().noquote() << "Sensor row" << row << "belongs to the previous device's table; nothing is opened";
        return;
    }
    util->openSensor(row, ui->tblSensorListContent->getTable().getContPath(), cell.getPath());
}

void SensorList::getDeviceConfigByPath(QString& path, QString& startPath)
{
    emit setDeviceConfigByPath(path, startPath);
}

void SensorList::setDefault()
{
    util->setDefault();
    {
        const QSignalBlocker blocker(ui->cmbDeviceListMenu);
        ui->cmbDeviceListMenu->clear();
    }
    TableObject* shown = ui->tblSensorListContent;
    shown->clearTable();
    shown->clearTableContent();
    shown->QTableWidget::clear();
    shown->setColumnCount(0);
    table = TableStructure();
    requestedDevice = NO_DEVICE;
    waitingForTable = false;
}
