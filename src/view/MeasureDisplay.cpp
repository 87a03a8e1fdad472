#include "view/MeasureDisplay.h"
#include "ui_MeasureDisplay.h"

#include "util/MeasureDisplayUtil.h"
#include "view/ChannelFunctionDialog.h"
#include "view/MainWindow.h"
#include "view/WriteNotice.h"
#include "widgets/ZScaleLabel.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTimer>

namespace {
const int COMPENSATION_COLUMNS = 5;
const int COMPENSATION_STYLE = 4;   // horizontal lines only, no grid
}

MeasureDisplay::MeasureDisplay(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::MeasureDisplay),
      util(nullptr),
      dataTimer(nullptr),
      pathTimer(nullptr),
      currentChannelIndex(0),
      functionDialogOpen(false),
      shownStatus(-1),
      shownFlags(-1)
{
    ui->setupUi(this);
    util = new MeasureDisplayUtil(nullptr);
    ChannelData::registerMetaTypes();

    TableObject* table = ui->tblMeasureDisplayCompensation;
    table->setColumnCount(COMPENSATION_COLUMNS);
    // Names and values take what they need; the range text takes the rest.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table->setFocusPolicy(Qt::NoFocus);

    connect(util, SIGNAL(updateChannelData(ChannelData&,bool&)), this, SLOT(setChannelData(ChannelData&,bool&)));
    connect(util, SIGNAL(updateComboBox(QStringList&)), this, SLOT(setComboBox(QStringList&)));
    connect(util, SIGNAL(deleteSonsor()), this, SLOT(setDeletedSensor()));
    // Told here, not by the dialog: it may be closed before the write's time is up.
    connect(util, &MeasureDisplayUtil::functionWriteNotConfirmed, this, &WriteNotice::showNotConfirmed);
    connect(util, &MeasureDisplayUtil::functionWriteConfirmedAfterAll, this, &WriteNotice::withdrawNotConfirmed);
    connect(ui->cmbMeasureDisplayTop, SIGNAL(currentIndexChanged(int)), this, SLOT(setChannel(int)));
    closeFunctionDialog();

    dataTimer = new QTimer();
    dataTimer->setSingleShot(true);
    pathTimer = new QTimer();
    pathTimer->setSingleShot(true);
    connect(pathTimer, SIGNAL(timeout()), this, SLOT(getJsonPath()));
}

MeasureDisplay::~MeasureDisplay()
{
    delete dialog;   // it uses the worker
    delete ui;
    delete dataTimer;
    delete pathTimer;
    delete util;
}

bool MeasureDisplay::isRefreshing() const
{
    return pathTimer->isActive() || dataTimer->isActive() || util->isBuildingList();
}

ChannelFunctionDialog* MeasureDisplay::getFunctionDialog() const
{
    return dialog;
}

void MeasureDisplay::showEvent(QShowEvent* event)
{
    const Qt::ConnectionType unique = Qt::UniqueConnection;
    connect(util, SIGNAL(updateJsonPath()), this, SLOT(getJsonPath()), unique);
    connect(util, SIGNAL(updateChannelData()), this, SLOT(startTimer()), unique);
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(startTimer()), unique);
    connect(dataTimer, SIGNAL(timeout()), this, SLOT(setChannelData()), unique);
    pathTimer->start(REFRESH_DELAY_MS);
    QWidget::showEvent(event);
}

void MeasureDisplay::hideEvent(QHideEvent* event)
{
    disconnect(util, SIGNAL(updateJsonPath()), this, SLOT(getJsonPath()));
    disconnect(util, SIGNAL(updateChannelData()), this, SLOT(startTimer()));
    if (MainWindow* window = getMainWindow())
        disconnect(window, SIGNAL(updateAppActive()), this, SLOT(startTimer()));
    disconnect(dataTimer, SIGNAL(timeout()), this, SLOT(setChannelData()));
    QWidget::hideEvent(event);
}

void MeasureDisplay::setComboBox(QStringList& names)
{
    ZComboBox* combo = ui->cmbMeasureDisplayTop;
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(names);
    if (names.isEmpty()) {
        clearShownChannel();   // no channels: nothing to show
        return;
    }
    selectComboRow(util->getCurrentChannelIndex());
}

void MeasureDisplay::selectComboRow(int index)
{
    ZComboBox* combo = ui->cmbMeasureDisplayTop;
    if (index < 0 || index >= combo->count())
        return;
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index);
    currentChannelIndex = index;
}

void MeasureDisplay::setChannel(int index)
{
    if (index < 0)
        return;
    currentChannelIndex = index;
    util->requestChannel(functionDialogOpen, index);
}

void MeasureDisplay::setChannelData(ChannelData& data, bool& loadFunctions)
{
    Q_UNUSED(loadFunctions)
    ZMeasureDisplayWidget* value = ui->wgtMeasureDisplayMainValue;
    value->setMeasureValue(data.getValue());
    if (data.getLeftFlags() != shownStatus) {
        shownStatus = data.getLeftFlags();
        value->setMeasureStatus(shownStatus);
    }
    value->setMeasureUnit(data.getUnit());
    if (data.getRightFlags() != shownFlags) {
        shownFlags = data.getRightFlags();
        value->clearFlags();
        value->setFlags(shownFlags);
    }
    showCompensationTable(data);
    selectComboRow(data.getChannelIndex());
}

void MeasureDisplay::showCompensationTable(const ChannelData& data)
{
    TableObject* table = ui->tblMeasureDisplayCompensation;
    const TableStructure content = data.getTable();
    // Same rows: only the cells that changed are rebuilt.
    if (table->rowCount() > 0 && table->rowCount() == content.rowCount())
        table->refreshTableData(content);
    else
        table->setTableData(content, false, 0);
    table->setTableStyle(COMPENSATION_STYLE);
    table->setMinimumSize(table->sizeHint() + QSize(0, 10));
}

void MeasureDisplay::setFunctionDialog()
{
    ZComboBox* combo = ui->cmbMeasureDisplayTop;
    const int index = combo->currentIndex();
    if (index < 0 || index >= combo->count() || dialog)
        return;   // no channel shown, or a dialog already open
    QWidget* window = getMainWindow();
    if (!window)
        window = this->window();
    openFunctionDialog();
    dialog = new ChannelFunctionDialog(index, combo->currentText(), util, window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, SIGNAL(destroyed(QObject*)), this, SLOT(closeFunctionDialog()));
}

void MeasureDisplay::startTimer()
{
    if (!dataTimer->isActive())
        dataTimer->start(REFRESH_DELAY_MS);
}

void MeasureDisplay::getJsonPath()
{
    util->readChannelDescription();
    util->requestChannelList();
    util->requestCurrentChannel(functionDialogOpen);
}

void MeasureDisplay::setChannelData()
{
    util->requestChannelList();
    util->requestCurrentChannel(functionDialogOpen);
}

void MeasureDisplay::setDeletedSensor()
{
    clearShownChannel();
    util->resendChannelNames();   // the cleared combo box is filled again
    if (isVisible())
        pathTimer->start(REFRESH_DELAY_MS);
}

void MeasureDisplay::openFunctionDialog()
{
    disconnect(ui->wgtMeasureDisplayMainValue->getValueLabel(), SIGNAL(clicked()), this, SLOT(setFunctionDialog()));
    functionDialogOpen = true;
}

void MeasureDisplay::closeFunctionDialog()
{
    connect(ui->wgtMeasureDisplayMainValue->getValueLabel(), SIGNAL(clicked()), this, SLOT(setFunctionDialog()),
            Qt::UniqueConnection);
    functionDialogOpen = false;
}

void MeasureDisplay::clearShownChannel()
{
    {
        const QSignalBlocker blocker(ui->cmbMeasureDisplayTop);
        ui->cmbMeasureDisplayTop->clear();
    }
    ZMeasureDisplayWidget* value = ui->wgtMeasureDisplayMainValue;
    value->setMeasureValue(QString());
    value->setMeasureUnit(QString());
    value->setMeasureStatus(0);
    value->clearFlags();
    shownStatus = 0;
    shownFlags = 0;
    ui->tblMeasureDisplayCompensation->clearTableContent();
}

void MeasureDisplay::setDefault()
{
    clearShownChannel();
    currentChannelIndex = 0;
    util->reset();
}

void MeasureDisplay::selectChannel(const QString& path)
{
    util->readChannelDescription();
    util->selectChannel(path, functionDialogOpen);
    util->requestChannelList();
}
