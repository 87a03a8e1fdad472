#include "view/HistMeasureList.h"
#include "ui_HistMeasureList.h"

#include "util/HistMeasureListUtil.h"
#include "util/Language.h"
#include "view/ExportMeasureDialog.h"
#include "view/MainWindow.h"
#include "widgets/GestureSetupHook.h"
#include "widgets/ZHorizontalHeader.h"

#include <QHeaderView>
#include <QLabel>
#include <QTimer>

namespace {

const char* const TIME_FORMAT = "dd.MM.yyyy HH.mm.ss";
const int ROW_HEIGHT = 65;
const int SIZE_COLUMN = 2;
const int SIZE_COLUMN_WIDTH = 120;
const int CHECK_COLUMN_WIDTH = 75;
// Room the row check button is centred in.
const int CHECK_CELL_ROOM = 73;
const char* const ROW_CHECK_BUTTON = "rowCheckButton";
const int HEADER_TEXT_INDENT = 11;

QLabel* headerLabel(const QString& text, bool centred)
{
    auto* label = new QLabel(text);
    if (centred)
        label->setAlignment(Qt::AlignCenter);
    else
        label->setIndent(HEADER_TEXT_INDENT);   // in line with the cell texts
    return label;
}

QTableWidgetItem* cellItem(const QString& text, bool centred)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (centred)
        item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

HistMeasureList::HistMeasureList(int mode, QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::HistMeasureList),
      selectedRow(-1),
      listMode(mode),
      util(nullptr),
      editable(false),
      selectingAll(false),
      deleteAnswerTimer(new QTimer(this))
{
    ui->setupUi(this);
    qRegisterMetaType<Measure>("Measure");
    qRegisterMetaType<QVector<Measure>>("QVector<Measure>");
    util = new HistMeasureListUtil(mode, this);
    buildTable();

    switch (listMode) {
    case CHOOSE:
        connect(ui->btnHistMeasureLoad, SIGNAL(clicked()), this, SLOT(getHistMeasure()));
        connect(ui->btnHistMeasureCancel, SIGNAL(clicked()), this, SLOT(cancelHistMeasureList()));
        break;
    case DELETE_RECORDINGS:
    case DELETE_EXPORTS:
        connect(ui->btnHistMeasureDelete, SIGNAL(clicked()), this, SLOT(deleteHistMeasure()));
        break;
    case EXPORT:
        connect(ui->btnHistMeasureDelete, SIGNAL(clicked()), this, SLOT(exportClicked()));
        break;
    default:
        break;
    }
    connect(ui->tblHistMeasureList, SIGNAL(cellClicked(int,int)), this, SLOT(measureClick(int,int)));
    deleteAnswerTimer->setSingleShot(true);
    connect(deleteAnswerTimer, SIGNAL(timeout()), this, SLOT(requestHistMeasures()));

    applyMode();
    setTranslatable(ui->btnHistMeasureCancel, 302, QStringLiteral("Abbrechen"));
    setTranslatable(ui->btnHistMeasureLoad, 881, QStringLiteral("Laden"));
    language->update(this);
}

HistMeasureList::~HistMeasureList()
{
    delete ui;
    delete util;
    for (const QPointer<QWidget>& widget : qAsConst(headerWidgets))
        delete widget.data();
}

void HistMeasureList::setDefault()
{
    chosenIds.clear();
    buildTable();
    applyMode();
}

int HistMeasureList::checkColumn() const
{
    if (listMode == DELETE_RECORDINGS)
        return 3;
    if (listMode == DELETE_EXPORTS)
        return 4;
    return -1;
}

void HistMeasureList::buildTable()
{
    QTableWidget* table = ui->tblHistMeasureList;
    clearList();

    QList<QWidget*> widgets;
    widgets << headerLabel(language->getText(854, QStringLiteral("Name der Messung")), false);
    if (listMode == DELETE_EXPORTS)
        widgets << headerLabel(language->getText(922, QStringLiteral("Speicherdatum")), true);
    else
        widgets << headerLabel(language->getText(877, QStringLiteral("Zeitraum der Messung")), true);
    widgets << headerLabel(language->getText(878, QStringLiteral("Größe")), true);
    if (listMode == DELETE_EXPORTS)
        widgets << headerLabel(language->getText(914, QStringLiteral("Speicherort")), true);
    if (checkColumn() >= 0) {
        auto* selectAllButton = new ZCheckButton(false);
        connect(selectAllButton, SIGNAL(changeCheckStatus(bool)), this, SLOT(selectAll(bool)));
        connect(this, SIGNAL(changeCheckStatus(ZCheckButton::CheckState)), selectAllButton,
                SLOT(setButtonIcon(ZCheckButton::CheckState)));
        connect(this, SIGNAL(enablingInput(bool)), selectAllButton, SLOT(setEnabled(bool)));
        widgets << selectAllButton;
    }
    if (listMode < CHOOSE || listMode > DELETE_EXPORTS)
        widgets.clear();

    // The old header hands its widgets back when it goes; they are deleted
    // here, with the connections they carry.
    const QList<QPointer<QWidget>> oldWidgets = headerWidgets;
    headerWidgets.clear();
    table->setColumnCount(widgets.size());
    auto* header = new ZHorizontalHeader(widgets, table);
    table->setHorizontalHeader(header);
    header->show();   // a header set on a shown table stays hidden otherwise
    for (const QPointer<QWidget>& widget : oldWidgets)
        delete widget.data();
    for (QWidget* widget : qAsConst(widgets))
        headerWidgets.append(widget);

    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setSectionResizeMode(QHeaderView::Stretch);
    if (widgets.size() > SIZE_COLUMN) {
        header->setSectionResizeMode(SIZE_COLUMN, QHeaderView::Fixed);
        table->setColumnWidth(SIZE_COLUMN, SIZE_COLUMN_WIDTH);
    }
    if (checkColumn() >= 0) {
        header->setSectionResizeMode(checkColumn(), QHeaderView::Fixed);
        table->setColumnWidth(checkColumn(), CHECK_COLUMN_WIDTH);
        // One sheet for all rows: a sheet per button costs a style resolution
        // each. The margins put the button in the middle of its cell.
        const QSize button = ZCheckButton(false).sizeHint();
        table->setStyleSheet(QStringLiteral("ZCheckButton#%1{margin-left:%2px;margin-top:%3px;}")
                                 .arg(QString::fromLatin1(ROW_CHECK_BUTTON))
                                 .arg((CHECK_CELL_ROOM - button.width()) / 2)
                                 .arg(qMax(0, (ROW_HEIGHT - button.height()) / 2)));
    }
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(ROW_HEIGHT);
    table->setWordWrap(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gestureSetupHook(table, Qt::Vertical);
}

void HistMeasureList::applyMode()
{
    QTableWidget* table = ui->tblHistMeasureList;
    switch (listMode) {
    case CHOOSE:
        ui->btnHistMeasureCancel->show();
        ui->btnHistMeasureDelete->hide();
        ui->btnHistMeasureLoad->setEnabled(false);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        break;
    case DELETE_RECORDINGS:
    case DELETE_EXPORTS:
        ui->btnHistMeasureCancel->hide();
        ui->btnHistMeasureLoad->hide();
        ui->btnHistMeasureDelete->setEnabled(false);
        if (listMode == DELETE_RECORDINGS)
            setTranslatable(ui->btnHistMeasureDelete, 879, QStringLiteral("Messung löschen"));
        else
            setTranslatable(ui->btnHistMeasureDelete, 921, QStringLiteral("Export löschen"));
        table->setSelectionMode(QAbstractItemView::NoSelection);
        ui->verticalLayout->setContentsMargins(0, 0, 0, 0);
        break;
    case EXPORT:
        ui->btnHistMeasureCancel->hide();
        ui->btnHistMeasureLoad->hide();
        ui->btnHistMeasureDelete->setEnabled(false);
        setTranslatable(ui->btnHistMeasureDelete, 938, QStringLiteral("Messung exportieren"));
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        ui->verticalLayout->setContentsMargins(0, 0, 0, 0);
        break;
    default:
        break;
    }
    language->update(ui->btnHistMeasureDelete);
}

void HistMeasureList::showEvent(QShowEvent* event)
{
    const Qt::ConnectionType unique = Qt::UniqueConnection;
    connect(util, SIGNAL(updateHistMeasure(QVector<Measure>,bool)), this, SLOT(setHistMeasure(QVector<Measure>,bool)),
            unique);
    connect(util, SIGNAL(updateHistMeasure()), this, SLOT(requestHistMeasures()), unique);
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(requestHistMeasures()), unique);
    QWidget::showEvent(event);
}

void HistMeasureList::hideEvent(QHideEvent* event)
{
    // A list opened again starts without a choice.
    selectedRow = -1;
    chosenIds.clear();
    ui->tblHistMeasureList->clearSelection();
    if (listMode == EXPORT)
        ui->btnHistMeasureDelete->setEnabled(false);
    else if (listMode == CHOOSE)
        ui->btnHistMeasureLoad->setEnabled(false);
    disconnect(util, SIGNAL(updateHistMeasure(QVector<Measure>,bool)), this,
               SLOT(setHistMeasure(QVector<Measure>,bool)));
    disconnect(util, SIGNAL(updateHistMeasure()), this, SLOT(requestHistMeasures()));
    if (MainWindow* window = getMainWindow())
        disconnect(window, SIGNAL(updateAppActive()), this, SLOT(requestHistMeasures()));
    QWidget::hideEvent(event);
}

void HistMeasureList::clearList()
{
    ui->tblHistMeasureList->setRowCount(0);
    measures.clear();
    if (ui->btnHistMeasureLoad->isVisibleTo(this))
        ui->btnHistMeasureLoad->setEnabled(false);
    if (ui->btnHistMeasureDelete->isVisibleTo(this))
        ui->btnHistMeasureDelete->setEnabled(false);
    selectedRow = -1;
    emit changeCheckStatus(ZCheckButton::Unchecked);
}

void HistMeasureList::requestHistMeasures()
{
    clearList();
    util->getHistMeasures();
}

void HistMeasureList::setHistMeasure(QVector<Measure> records, bool editableList)
{
    deleteAnswerTimer->stop();
    clearList();
    measures = records;
    editable = editableList;
    // Ticks are the user's to make: a list that allows no changes keeps none.
    if (!editable && checkColumn() >= 0)
        chosenIds.clear();
    QTableWidget* table = ui->tblHistMeasureList;
    table->setUpdatesEnabled(false);
    table->setRowCount(measures.size());
    for (int row = 0; row < measures.size(); ++row)
        fillRow(row, measures.at(row));
    table->setUpdatesEnabled(true);
    emit enablingInput(editable);
    restoreChoice();
}

void HistMeasureList::restoreChoice()
{
    if (checkColumn() >= 0) {
        clickCheckbox();   // counts the rows ticked anew and keeps only their IDs
    } else {
        // The recording chosen to load or export stays chosen while it is listed.
        selectedRow = -1;
        for (int row = 0; row < measures.size() && selectedRow < 0; ++row) {
            if (chosenIds.contains(measures.at(row).getId()))
                selectedRow = row;
        }
        chosenIds.clear();
        if (selectedRow >= 0) {
            chosenIds.insert(measures.at(selectedRow).getId());
            ui->tblHistMeasureList->selectRow(selectedRow);
        }
        if (listMode == EXPORT)
            updateExportButton();
        else
            ui->btnHistMeasureLoad->setEnabled(selectedRow >= 0);
    }
}

void HistMeasureList::updateExportButton()
{
    // The export needs the right on the export table as well as an idle exporter.
    ui->btnHistMeasureDelete->setEnabled(rowValid(selectedRow) && util->getExportState() == 1 && editable);
}

void HistMeasureList::fillRow(int row, const Measure& record)
{
    QTableWidget* table = ui->tblHistMeasureList;
    const QString format = QString::fromLatin1(TIME_FORMAT);
    table->setItem(row, 0, cellItem(record.getName(), false));
    if (listMode == DELETE_EXPORTS)
        table->setItem(row, 1, cellItem(HistMeasureListUtil::exportTimeText(record, format), false));
    else
        table->setItem(row, 1, cellItem(record.getPeriodText(format, QStringLiteral("-")), false));
    table->setItem(row, SIZE_COLUMN, cellItem(record.getSizeText(), true));
    if (listMode == DELETE_EXPORTS) {
        // The device names its destinations with a text id, like its other texts.
        const ExportDestination destination = util->getDestinations().value(record.getDestinationId());
        const QString name = language->getText(destination.getDeviceTextId(), destination.getDeviceText());
        table->setItem(row, 3, cellItem(name + QStringLiteral(" (") + destination.getUncPath() + QStringLiteral(")"),
                                        true));
    }
    if (checkColumn() >= 0) {
        auto* button = new ZCheckButton(chosenIds.contains(record.getId()));
        button->setObjectName(QString::fromLatin1(ROW_CHECK_BUTTON));
        connect(button, SIGNAL(changeCheckStatus(bool)), this, SLOT(clickCheckbox()));
        connect(this, SIGNAL(enablingInput(bool)), button, SLOT(setEnabled(bool)));
        table->setCellWidget(row, checkColumn(), button);
    }
}

ZCheckButton* HistMeasureList::rowCheckButton(int row) const
{
    if (checkColumn() < 0)
        return nullptr;
    return qobject_cast<ZCheckButton*>(ui->tblHistMeasureList->cellWidget(row, checkColumn()));
}

QVector<Measure> HistMeasureList::selectedMeasures() const
{
    QVector<Measure> selected;
    for (int row = 0; row < measures.size(); ++row) {
        const ZCheckButton* button = rowCheckButton(row);
        if (button && button->getButtonCheckState() == ZCheckButton::Checked)
            selected.append(measures.at(row));
    }
    return selected;
}

void HistMeasureList::measureClick(int row, int column)
{
    Q_UNUSED(column)
    selectedRow = rowValid(row) ? row : -1;
    if (selectedRow < 0)
        return;
    if (listMode != CHOOSE && listMode != EXPORT)
        return;   // the delete lists choose by their ticks
    chosenIds = {measures.at(selectedRow).getId()};
    if (listMode == CHOOSE)
        ui->btnHistMeasureLoad->setEnabled(true);
    else
        updateExportButton();
}

void HistMeasureList::getHistMeasure()
{
    if (!rowValid(selectedRow))
        return;
    emit loadingHistMeasure(measures.at(selectedRow));
    emit cancelingHistMeasure();
}

void HistMeasureList::cancelHistMeasureList()
{
    emit cancelingHistMeasure();
}

void HistMeasureList::clickCheckbox()
{
    if (selectingAll)
        return;
    const QVector<Measure> ticked = selectedMeasures();
    chosenIds.clear();
    for (const Measure& record : ticked)
        chosenIds.insert(record.getId());
    const int selected = ticked.size();
    ui->btnHistMeasureDelete->setEnabled(editable && selected > 0);
    if (selected > 0 && selected == measures.size())
        emit changeCheckStatus(ZCheckButton::Checked);
    else if (selected == 0)
        emit changeCheckStatus(ZCheckButton::Unchecked);
    else
        emit changeCheckStatus(ZCheckButton::Tristate);
}

void HistMeasureList::selectAll(bool on)
{
    // One count after all rows changed, not one per row.
    selectingAll = true;
    // Buttons out of sight are hidden while they change: a visible one marks
    // itself for repaint, and repainting n marked siblings costs n squared.
    QTableWidget* table = ui->tblHistMeasureList;
    const int firstShown = table->rowAt(0);
    int lastShown = table->rowAt(table->viewport()->height() - 1);
    if (lastShown < 0)
        lastShown = measures.size() - 1;
    for (int row = 0; row < measures.size(); ++row) {
        ZCheckButton* button = rowCheckButton(row);
        if (!button)
            continue;
        const bool outOfSight = row < firstShown || row > lastShown;
        if (outOfSight)
            button->hide();
        button->setCheckStatus(on);
        if (outOfSight)
            button->show();
    }
    selectingAll = false;
    clickCheckbox();
}

void HistMeasureList::deleteHistMeasure()
{
    const QVector<Measure> selected = selectedMeasures();
    if (selected.isEmpty())
        return;
    emit enablingInput(false);
    util->deleteMeasures(selected);
    // Handed to the device: the list it sends back starts without ticks.
    chosenIds.clear();
    ui->btnHistMeasureDelete->setEnabled(false);
    // A device that refuses or ignores the delete sends no new list.
    deleteAnswerTimer->start(DELETE_ANSWER_MS);
}

void HistMeasureList::exportClicked()
{
    ui->tblHistMeasureList->clearSelection();
    ui->btnHistMeasureDelete->setEnabled(false);
    chosenIds.clear();
    if (!rowValid(selectedRow))
        return;
    new ExportMeasureDialog(getMainWindow(), measures.at(selectedRow), util->getDestinations(), util);
}
