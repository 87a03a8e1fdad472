// The chart settings of the measurement screen: page 4 lists the chart's
// visible graphs with unit, value axis and colour, and the units each value
// axis carries; page 5 holds the date-time format of the time axis. The map
// `graphs` is the working copy every chooser edits; only saving hands it to
// the chart.
#include "view/DataMain.h"
#include "ui_DataMain.h"

#include "util/Language.h"
#include "view/ChannelSelection.h"
#include "view/ColorDelegate.h"
#include "view/CustomPlotLine.h"
#include "view/MainWindow.h"
#include "widgets/GestureSetupHook.h"
#include "widgets/ZComboBox.h"

#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QProxyStyle>
#include <QStringList>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QtDebug>

namespace {

enum GraphColumn { CHANNEL_COLUMN, NAME_COLUMN, UNIT_COLUMN, AXIS_COLUMN, COLOR_COLUMN, INDEX_COLUMN, GRAPH_COLUMNS };

struct ColumnLook
{
    int textId;   // -1: no text
    const char* text;
    int width;    // 0: stretches or hidden
};

const ColumnLook GRAPH_TABLE[GRAPH_COLUMNS] = {
    {500, "Kanal", 150}, {612, "Name", 0}, {263, "Dimension", 120}, {903, "Achse", 170}, {871, "Farbe", 120}, {-1, "", 0},
};

const int ROW_HEIGHT = 65;
const int FORMAT_COLUMN_WIDTH = 270;
const int HEADER_ICON_SIZE = 34;
const int BOTH_DIRECTIONS = Qt::Horizontal | Qt::Vertical;
const char* const CHANNEL_PICTURE = ":/pic/icon/icon_select_button_34x34_grey.png";
const char* const GRAPH_INDEX = "GraphIndex";

// Header sections draw their icon at the style's small icon size, whatever
// the header's icon size says; this style makes that size the header's.
class HeaderIconStyle : public QProxyStyle
{
public:
    explicit HeaderIconStyle(int extent) : extent(extent) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        return metric == PM_SmallIconSize ? extent : QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    int extent;
};

QString colorChooserStyle(const QColor& colour)
{
    return QStringLiteral("QComboBox#cbxDataMainGraphColor {background-color:") + colour.name()
           + QStringLiteral("; border: 1px solid gray;border-radius: 3px;} QComboBox::drop-down {border-left-style: none;}");
}

QTableWidgetItem* fixedItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEditable));
    return item;
}

} // namespace

void DataMain::setupPlotConfigTables()
{
    QTableWidget* table = ui->tblChannelConfig;
    auto* header = new QHeaderView(Qt::Horizontal, table);
    table->setHorizontalHeader(header);
    header->setSectionsClickable(true);
    header->setIconSize(QSize(HEADER_ICON_SIZE, HEADER_ICON_SIZE));
    auto* iconStyle = new HeaderIconStyle(HEADER_ICON_SIZE);
    iconStyle->setParent(header);
    header->setStyle(iconStyle);
    connect(header, SIGNAL(sectionClicked(int)), this, SLOT(showChannelDialog(int)));
    table->setColumnCount(GRAPH_COLUMNS);
    header->setSectionResizeMode(NAME_COLUMN, QHeaderView::Stretch);
    table->setColumnHidden(INDEX_COLUMN, true);
    table->setSelectionMode(QAbstractItemView::NoSelection);

    // The language switch sets the section texts from these lists.
    QStringList ids;
    QStringList defaults;
    for (int column = 0; column < GRAPH_COLUMNS; ++column) {
        const ColumnLook& look = GRAPH_TABLE[column];
        ids << QString::number(look.textId);
        defaults << QString::fromUtf8(look.text);
        if (look.textId < 0)
            continue;
        auto* item = new QTableWidgetItem(language->getText(look.textId, defaults.last()));
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignVCenter);
        table->setHorizontalHeaderItem(column, item);
        if (look.width > 0)
            table->setColumnWidth(column, look.width);
    }
    header->setProperty("Language_ID", ids);
    header->setProperty("Language_Default", defaults);
    // Tapping the channel column opens the channel selection; the picture says so.
    table->horizontalHeaderItem(CHANNEL_COLUMN)->setIcon(QIcon(QLatin1String(CHANNEL_PICTURE)));
    table->verticalHeader()->hide();
    table->setFocusPolicy(Qt::NoFocus);

    QTableWidget* formats = ui->tblChannelConfig_2;
    auto* formatHeader = new QHeaderView(Qt::Horizontal, formats);
    formats->setHorizontalHeader(formatHeader);
    formats->setColumnCount(2);
    formatHeader->setSectionResizeMode(0, QHeaderView::Stretch);
    formats->setHorizontalHeaderLabels({QString(), QString()});
    formats->setColumnWidth(1, FORMAT_COLUMN_WIDTH);
    formatHeader->hide();
    formats->verticalHeader()->hide();
    formats->setFocusPolicy(Qt::NoFocus);

    gestureSetupHook(table, BOTH_DIRECTIONS);
    gestureSetupHook(formats, BOTH_DIRECTIONS);
}

void DataMain::setPlotConfig()
{
    showChannelConfigPart_1();
    setTitle(524, QStringLiteral("Konfiguration"));
    QMap<int, GraphDescriptor> descriptors = chart->getGraphDescriptors();
    setPlotGraphs(descriptors);
    fillDateTimeRow();
}

void DataMain::fillDateTimeRow()
{
    QTableWidget* table = ui->tblChannelConfig_2;
    table->removeRow(0);
    table->setRowCount(1);
    table->setRowHeight(0, ROW_HEIGHT);

    auto* label = new QLabel(language->getText(873, QStringLiteral("Datums- und Zeitformat")));
    setTranslatable(label, 873, QStringLiteral("Datums- und Zeitformat"));
    label->setObjectName(QStringLiteral("lblDateTimeFormat"));
    label->setStyleSheet(QStringLiteral("QLabel#lblDateTimeFormat{ qproperty-alignment: AlignLeft; "
                                        "qproperty-alignment: VAlignCenter; margin-left: 10px;}"));
    table->setCellWidget(0, 0, label);

    auto* formats = new ZComboBox;
    formats->setObjectName(QStringLiteral("cbxDateTimeFormat"));
    formats->addItems(chart->getDateTimeFormats());
    // -1, a format the list does not know, leaves the chooser empty.
    formats->setCurrentIndex(chart->getDateTimeFormatIndex());
    table->setCellWidget(0, 1, formats);
}

void DataMain::setPlotGraphs(QMap<int, GraphDescriptor>& descriptors)
{
    graphs = descriptors;
    QTableWidget* table = ui->tblChannelConfig;
    table->clearContents();
    table->setRowCount(0);
    // Hidden graphs get no row but stay in the map, so saving hands them back unchanged.
    for (const GraphDescriptor& graph : qAsConst(graphs))
        if (graph.isVisible())
            addGraphRow(graph);
    fillDimensionCombos();
}

void DataMain::addGraphRow(const GraphDescriptor& graph)
{
    QTableWidget* table = ui->tblChannelConfig;
    const int row = table->rowCount();
    table->insertRow(row);
    table->setRowHeight(row, ROW_HEIGHT);
    table->setCellWidget(row, INDEX_COLUMN, new QLabel(QString::number(graph.getIndex())));

    QTableWidgetItem* channel = fixedItem(graph.getChannel());
    channel->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->setItem(row, CHANNEL_COLUMN, channel);
    table->setItem(row, NAME_COLUMN, fixedItem(graph.getName()));
    table->setItem(row, UNIT_COLUMN, fixedItem(graph.getDimension()));

    // The current indices are set before the connections: building a row changes nothing in the map.
    auto* side = new ZComboBox;
    side->setObjectName(QStringLiteral("cbxDataMainGraphSide"));
    side->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    side->setProperty(GRAPH_INDEX, graph.getIndex());
    side->addItem(language->getText(306, QStringLiteral("Achse Links")));
    side->addItem(language->getText(307, QStringLiteral("Achse Rechts")));
    const QColor background = side->palette().color(QPalette::Window);
    side->setStyleSheet(QStringLiteral("QAbstractItemView{background-color:rgb(%1,%2,%3);}")
                            .arg(background.red())
                            .arg(background.green())
                            .arg(background.blue()));
    side->setCurrentIndex(graph.getAxis());
    connect(side, SIGNAL(currentIndexChanged(int)), this, SLOT(setComboboxDimension(int)));
    table->setCellWidget(row, AXIS_COLUMN, side);

    // A colour the list does not hold shows the first one as chosen, but its own as background.
    auto* colours = new ZComboBox;
    colours->setObjectName(QStringLiteral("cbxDataMainGraphColor"));
    colours->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    colours->setProperty(GRAPH_INDEX, graph.getIndex());
    const QString ownColour = graph.getColor().name();
    int current = -1;
    const QList<QColor> palette = chart->getGraphColors();
    for (int i = 0; i < palette.size(); ++i) {
        colours->addItem(QString(), palette.at(i));
        if (current < 0 && palette.at(i).name() == ownColour)
            current = i;
    }
    colours->setCurrentIndex(qMax(current, 0));
    colours->setStyleSheet(colorChooserStyle(graph.getColor()));
    colours->setItemDelegate(new ColorDelegate(colours));
    connect(colours, SIGNAL(currentIndexChanged(int)), this, SLOT(setComboboxColor(int)));
    table->setCellWidget(row, COLOR_COLUMN, colours);
}

void DataMain::fillDimensionCombos()
{
    ui->cbxDimensionRight->clear();
    ui->cbxDimensionLeft->clear();
    QTableWidget* table = ui->tblChannelConfig;
    for (int row = 0; row < table->rowCount(); ++row) {
        const auto* side = qobject_cast<QComboBox*>(table->cellWidget(row, AXIS_COLUMN));
        if (!side)
            continue;
        // The unit as the row shows it, from the working copy; equal units stay listed once per graph.
        const QString unit = graphs.value(side->property(GRAPH_INDEX).toInt()).getDimension();
        if (side->currentIndex() == 0)
            ui->cbxDimensionLeft->addItem(unit);
        else if (side->currentIndex() == 1)
            ui->cbxDimensionRight->addItem(unit);
    }
}

void DataMain::setComboboxColor(int index)
{
    auto* box = qobject_cast<QComboBox*>(sender());
    if (!box) {
        qWarning().noquote() << "Chart settings: Cast Combobox failed; the colour stays";
        return;
    }
    const QList<QColor> palette = chart->getGraphColors();
    if (index < 0 || index >= palette.size())
        return;
    const int graphIndex = box->property(GRAPH_INDEX).toInt();
    if (!graphs.contains(graphIndex))
        qWarning().noquote() << "Chart settings: no graph under index" << graphIndex << "- a blank one takes the colour";
    graphs[graphIndex].setColor(palette.at(index));
    box->setStyleSheet(colorChooserStyle(palette.at(index)));
}

void DataMain::setComboboxDimension(int axis)
{
    const QObject* box = sender();
    if (!box)
        return;
    const int graphIndex = box->property(GRAPH_INDEX).toInt();
    if (!graphs.contains(graphIndex))
        qWarning().noquote() << "Chart settings: no graph under index" << graphIndex << "- a blank one takes the axis";
    graphs[graphIndex].setAxis(axis);
    fillDimensionCombos();
}

void DataMain::showChannelDialog(int column)
{
    if (column != CHANNEL_COLUMN)
        return;
    // The dialog keeps a copy of its own; its OK hands it to setPlotGraphs.
    auto* dialog = new ChannelSelection(this, graphs, getMainWindow());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void DataMain::showChannelConfigPart_1()
{
    viewId = VIEW_CHART_SETTINGS;
    showPage(CHANNEL_CONFIG_PAGE);
}

void DataMain::showChannelConfigPart_2()
{
    viewId = VIEW_CHART_SETTINGS;
    showPage(CHANNEL_CONFIG_PAGE_2);
}

void DataMain::savePlotConfig()
{
    chart->setGraphDescriptors(graphs);
    // No format chosen (the chart's own is not in the list): the chart keeps it.
    const auto* formats = qobject_cast<QComboBox*>(ui->tblChannelConfig_2->cellWidget(0, 1));
    if (formats && formats->currentIndex() >= 0)
        chart->setDateTimeFormat(formats->currentIndex());
    chart->setAxisLabels(ui->cbxDimensionLeft->currentText(), ui->cbxDimensionRight->currentText());
    setChartWidget();
}
