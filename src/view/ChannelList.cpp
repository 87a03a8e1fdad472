#include "view/ChannelList.h"
#include "ui_ChannelList.h"

#include "util/ChannelListUtil.h"
#include "util/SettingsUtil.h"
#include "view/MainWindow.h"
#include "view/TableObject.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZLabel.h"
#include "widgets/ZMeasureTextWidget.h"

#include <QIcon>
#include <QScrollBar>
#include <QTimer>

namespace {

// The distance the style sheet gives table item text from the cell's edge.
const int TEXT_INSET = 10;

} // namespace

ChannelList::ChannelList(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::ChannelList),
      util(nullptr),
      table(nullptr),
      cycleTimer(nullptr),
      initTimer(nullptr),
      cycleTime(ChannelListUtil::DEFAULT_CYCLE_MS),
      headerBuilt(false),
      scrolling(false),
      tickDropped(false)
{
    ui->setupUi(this);
    util = new ChannelListUtil(this);
    table = new TableObject(this);
    table->setAccessibleName(QStringLiteral("tblChannelList"));
    ui->verticalLayout->addWidget(table);

    connect(table, &TableObject::cellClicked, this, &ChannelList::clickTable);
    connect(table, &TableObject::scrollingBegin, this, &ChannelList::scrollStart);
    connect(table, &TableObject::scrollingEnd, this, &ChannelList::scrollStop);
    TableStructure::registerMetaTypes();
    connect(util, SIGNAL(updateTableData(TableStructure&)), this, SLOT(setTableData(TableStructure&)));
    connect(util, SIGNAL(updateTableHeader(TableStructure&)), this, SLOT(setTableHeader(TableStructure&)));

    cycleTimer = new QTimer(this);
    cycleTimer->setSingleShot(true);
    initTimer = new QTimer(this);
    initTimer->setSingleShot(true);
    connect(initTimer, SIGNAL(timeout()), this, SLOT(init()));

    cycleTime = ChannelListUtil::cycleTimeFromSetting(
        SettingsUtil::getValue(QStringLiteral("Config/Channellist/CycleTime"), QString()).toString());
}

ChannelList::~ChannelList()
{
    // The build thread ends before anything it reports to goes.
    delete util;
    util = nullptr;
    delete ui;
}

// --- Showing and hiding ----------------------------------------------------------

void ChannelList::showEvent(QShowEvent* event)
{
    const Qt::ConnectionType unique = Qt::UniqueConnection;
    connect(util, SIGNAL(updateTableData()), this, SLOT(updateTableData()), unique);
    connect(util, SIGNAL(updateTableHeader()), this, SLOT(setTableHeader()), unique);
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(init()), unique);
    connect(cycleTimer, SIGNAL(timeout()), this, SLOT(setTableData()), unique);
    initTimer->start(cycleTime);
    scrolling = false;
    QWidget::showEvent(event);
}

void ChannelList::hideEvent(QHideEvent* event)
{
    disconnect(util, SIGNAL(updateTableData()), this, SLOT(updateTableData()));
    disconnect(util, SIGNAL(updateTableHeader()), this, SLOT(setTableHeader()));
    if (MainWindow* window = getMainWindow())
        disconnect(window, SIGNAL(updateAppActive()), this, SLOT(init()));
    disconnect(cycleTimer, SIGNAL(timeout()), this, SLOT(setTableData()));
    QWidget::hideEvent(event);
}

void ChannelList::init()
{
    util->readChannelDescription();
    util->buildTableHeader();
    requestUnlessScrolling();
}

void ChannelList::setDefault()
{
    util->abortTableData();
    util->forgetItems();
    table->clearTable();
    shown = TableStructure();
    scrolling = false;
    tickDropped = false;
    headerBuilt = false;
}

// --- Rows ------------------------------------------------------------------------

void ChannelList::setTableData(TableStructure& built)
{
    // Live values change some texts every cycle: rebuilding every cell widget
    // for that would keep the GUI busy with many channels.
    if (!updateShownCells(built))
        table->setTableData(built, true, table->verticalScrollBar()->value());
    shown = built;
}

bool ChannelList::updateShownCells(const TableStructure& built)
{
    const int rows = built.rowCount();
    if (rows != shown.rowCount() || rows != table->rowCount())
        return false;
    for (int row = 0; row < rows; ++row) {
        const QVector<TableCell>& before = shown.rowAt(row);
        const QVector<TableCell>& after = built.rowAt(row);
        if (before.size() != after.size() || after.size() != table->columnCount())
            return false;
        for (int column = 0; column < after.size(); ++column) {
            if (before.at(column).getCellType() != after.at(column).getCellType()
                || before.at(column).getPath() != after.at(column).getPath())
                return false;
        }
    }
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            const TableCell& before = shown.cellAt(row, column);
            const TableCell& after = built.cellAt(row, column);
            if (before != after && !updateShownCell(row, column, before, after))
                return false;
        }
    }
    return true;
}

bool ChannelList::updateShownCell(int row, int column, const TableCell& before, const TableCell& cell)
{
    switch (cell.getCellType()) {
    case TableCell::TEXT: {
        QTableWidgetItem* item = table->item(row, column);
        if (!item)
            return false;
        item->setText(cell.getValue().toString());
        return true;
    }
    case TableCell::MEASURE: {
        QWidget* shownCell = table->cellWidget(row, column);
        auto* measure = shownCell ? shownCell->findChild<ZMeasureTextWidget*>() : nullptr;
        const QVector<QString> texts = cell.getValue().value<QVector<QString>>();
        if (!measure || texts.size() != 2)
            return false;
        if (measure->measureValue() != texts.at(0))
            measure->setMeasureValue(texts.at(0));
        if (measure->measureUnit() != texts.at(1))
            measure->setMeasureUnit(texts.at(1));
        // A new status polishes the widget again, which is the costly part.
        if (before.getData() != cell.getData())
            measure->setMeasureStatus(cell.getData().toInt());
        return true;
    }
    default:
        return false;
    }
}

void ChannelList::setTableData()
{
    requestUnlessScrolling();
}

void ChannelList::updateTableData()
{
    if (!cycleTimer->isActive())
        cycleTimer->start(cycleTime);
}

void ChannelList::requestUnlessScrolling()
{
    if (scrolling) {
        tickDropped = true;
        return;
    }
    util->requestTableData();
}

void ChannelList::scrollStart()
{
    scrolling = true;
}

void ChannelList::scrollStop()
{
    scrolling = false;
    if (tickDropped) {
        tickDropped = false;
        util->requestTableData();
    }
}

void ChannelList::clickTable(int row, int column)
{
    if (column != 0)
        return;
    if (!shown.contains(row, 0))
        return;
    const QString path = shown.cellAt(row, 0).getPath();
    if (!path.isEmpty())
        emit selectChannel(path);
}

// --- Header ----------------------------------------------------------------------

void ChannelList::setTableHeader()
{
    util->readChannelDescription();
    util->buildTableHeader();
}

void ChannelList::setTableHeader(TableStructure& header)
{
    if (headerBuilt)
        return;
    const QVector<TableEntry> entries = header.getHeader();
    QList<QWidget*> widgets;
    bool filled = false;
    for (int i = 0; i < entries.size(); ++i) {
        if (i == 0) {
            auto* label = new ZLabel();
            label->setObjectName(QStringLiteral("lblChannelListChannel"));
            label->setTextFormat(Qt::PlainText);
            label->setText(entries.at(i).getValue().toString());
            // In line with the descriptions below it.
            label->setContentsMargins(TEXT_INSET, 0, TEXT_INSET, 0);
            widgets.append(label);
            continue;
        }
        auto* combo = new ZComboBox();
        combo->setObjectName(QStringLiteral("cbxChannelListColumn%1").arg(i));
        const QStringList names = entries.at(i).getData().toStringList();
        for (const QString& name : names)
            combo->addItem(QIcon(), name, QVariant());
        filled = filled || !names.isEmpty();
        combo->setCurrentIndex(entries.at(i).getValue().toInt());
        combo->setProperty("PropertyColumnPosition", i);
        connect(combo, QOverload<int>::of(&ZComboBox::currentIndexChanged), this, &ChannelList::refreshTableData);
        widgets.append(combo);
    }
    // Without items the header is built again with the next header table.
    headerBuilt = filled;
    table->setHeaderWidgets(widgets, header.getHeaderVisible());
}

void ChannelList::refreshTableData(int index)
{
    QObject* combo = sender();
    bool ok = false;
    const int column = combo ? combo->property("PropertyColumnPosition").toInt(&ok) : 0;
    if (ok && index >= 0)
        util->setSelectionIndex(column, index);
}
