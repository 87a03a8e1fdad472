#include "view/ChannelSelection.h"
#include "ui_ChannelSelection.h"

#include "util/Language.h"
#include "view/DataMain.h"
#include "view/MainWindow.h"
#include "widgets/GestureSetupHook.h"
#include "widgets/ZCheckButton.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidgetItem>
#include <QtDebug>

namespace {
const int TEXT_COLUMN = 0;
const int CHECK_COLUMN = 1;
const int ROW_COLUMN = 2;
const int COLUMN_COUNT = 3;
const int TEXT_COLUMN_WIDTH = 274;
const int ROW_HEIGHT = 60;
const char* const GRAPH_INDEX = "GraphIndex";

QWidget* windowToCover(QWidget* parent)
{
    return parent ? parent : OverallView::getMainWindow();
}
}

ChannelSelection::ChannelSelection(DataMain* opener, QMap<int, GraphDescriptor>& descriptors, QWidget* parent)
    : ZDialog(windowToCover(parent)), OverallView(), graphs(descriptors), owner(opener), ui(new Ui::ChannelSelection)
{
    ui->setupUi(this);
    connect(ui->btnOK, SIGNAL(clicked()), this, SLOT(setChannelSelection()));
    connect(ui->btnCancel, SIGNAL(clicked()), this, SLOT(cancelChannelSelection()));
    connect(ui->tblChannelSelectionTable, SIGNAL(cellClicked(int,int)), this, SLOT(tableClick(int,int)));
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(close()));
    closeOnLogout(this);

    buildTable();
    checkLimit();
    setTranslatable(ui->btnOK, 628, QStringLiteral("Ok"));
    setTranslatable(ui->btnCancel, 302, QStringLiteral("Abbrechen"));
    language->update(this);
}

ChannelSelection::~ChannelSelection()
{
    delete ui;
}

void ChannelSelection::buildTable()
{
    QTableWidget* table = ui->tblChannelSelectionTable;
    auto* header = new QHeaderView(Qt::Horizontal, table);
    table->setHorizontalHeader(header);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(true);
    table->verticalHeader()->hide();
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setColumnCount(COLUMN_COUNT);
    header->setSectionResizeMode(CHECK_COLUMN, QHeaderView::Stretch);
    table->setColumnWidth(TEXT_COLUMN, TEXT_COLUMN_WIDTH);
    table->setColumnHidden(ROW_COLUMN, true);
    // The check buttons fill their cells: the box shows in the middle and the whole cell takes a tap.
    table->setStyleSheet(QStringLiteral("ZCheckButton { max-width: 16777215px; max-height: 16777215px; }"));

    auto* title = new QTableWidgetItem(language->getText(872, QStringLiteral("Auswahl Messkanäle")));
    title->setTextAlignment(Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignVCenter);
    table->setHorizontalHeaderItem(TEXT_COLUMN, title);
    table->setHorizontalHeaderItem(CHECK_COLUMN, new QTableWidgetItem());

    table->setRowCount(graphs.size());
    int row = 0;
    for (auto it = graphs.constBegin(); it != graphs.constEnd(); ++it, ++row) {
        const GraphDescriptor& graph = it.value();
        auto* item = new QTableWidgetItem(graph.getChannel() + QLatin1Char(' ') + graph.getDimension()
                                          + QLatin1Char(' ') + graph.getName());
        item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEditable));
        table->setItem(row, TEXT_COLUMN, item);

        auto* button = new ZCheckButton(graph.isVisible());
        button->setProperty(GRAPH_INDEX, graph.getIndex());
        connect(button, SIGNAL(changeCheckStatus(bool)), this, SLOT(setGraphVisible(bool)));
        table->setCellWidget(row, CHECK_COLUMN, button);
        table->setCellWidget(row, ROW_COLUMN, new QLabel(QString::number(row)));
        table->setRowHeight(row, ROW_HEIGHT);
    }
    gestureSetupHook(table, Qt::Vertical);
}

void ChannelSelection::setChannelSelection()
{
    if (owner)
        owner->setPlotGraphs(graphs);
    close();
}

void ChannelSelection::cancelChannelSelection()
{
    close();
}

void ChannelSelection::tableClick(int row, int column)
{
    Q_UNUSED(column)
    auto* button = qobject_cast<ZCheckButton*>(ui->tblChannelSelectionTable->cellWidget(row, CHECK_COLUMN));
    if (button && button->isEnabled())
        button->customClick();
}

void ChannelSelection::setGraphVisible(bool on)
{
    const QObject* button = sender();
    if (!button)
        return;
    const int index = button->property(GRAPH_INDEX).toInt();
    if (!graphs.contains(index))
        qWarning().noquote() << "ChannelSelection: no graph under index" << index << "- a blank one takes the choice";
    graphs[index].setVisible(on);
    checkLimit();
}

void ChannelSelection::checkLimit()
{
    QTableWidget* table = ui->tblChannelSelectionTable;
    QList<ZCheckButton*> buttons;
    int unchecked = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        auto* button = qobject_cast<ZCheckButton*>(table->cellWidget(row, CHECK_COLUMN));
        if (!button)
            continue;
        buttons << button;
        if (button->getButtonCheckState() == ZCheckButton::Unchecked)
            ++unchecked;
    }
    const bool belowLimit = table->rowCount() - unchecked < MAX_CHECKED;
    for (ZCheckButton* button : qAsConst(buttons)) {
        const bool enabled = belowLimit || button->getButtonCheckState() != ZCheckButton::Unchecked;
        if (button->isEnabled() != enabled)
            button->setEnabled(enabled);
    }
}
