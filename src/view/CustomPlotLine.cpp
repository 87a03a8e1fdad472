#include "view/CustomPlotLine.h"

#include "common/AnnotatedLocks.h"

#include "util/CustomPlotLineUtil.h"
#include "util/SettingsUtil.h"
#include "view/DataMain.h"
#include "view/MainWindow.h"
#include "view/PlotlineLegend.h"
#include "view/PlotlineShortCut.h"
#include "widgets/ChartTimeTicker.h"
#include "widgets/LockedGraph.h"
#include "widgets/ZClickLabel.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QtDebug>

#include <algorithm>

namespace {

const char* const COLOR_KEY = "Config/LineChart/Graph/Color";
const char* const DEFAULT_COLORS[] = {"#f44336", "#32CD32", "#cddc39", "#00FFFF", "#3f51b5", "#8B008B", "#ffeb3b",
                                      "#ff9800", "#8B0000", "#000000", "#006400", "#0000FF", "#8B4513", "#FF1493",
                                      "#B452CD", "#8B8B7A", "#CDC9C9", "#333333", "#CD3700", "#FF0000"};
const char* const DATE_TIME_FORMATS[] = {"hh:mm:ss", "hh:mm:ss.zzz", "dd.MM.yyyy hh:mm:ss", "dd.MM.yyyy"};
const char* const SHORT_CUT_PICTURE = ":/pic/icon/icon_schmutzbereich_213x129_grey.png";

// Graphs from this index on start hidden and get no legend entry.
const int VISIBLE_GRAPH_LIMIT = 20;
const int REPLOT_DELAY_MS = 300;
const int SHORT_CUT_SIZE = 85;
const int SHORT_CUT_ALPHA = 150;
const int SHORT_CUT_TOP = 60;
const int INITIAL_SPAN_S = 10;
const double INITIAL_VALUE_RANGE = 5.0;

// Property names of a graph: its unit and its designation.
const char* const UNIT_PROPERTY = "0";
const char* const DESIGNATION_PROPERTY = "1";

} // namespace

CustomPlotLine::CustomPlotLine(DataMain* ownerScreen, QPushButton* button, QWidget* parent)
    : QCustomPlot(parent),
      OverallView(),
      owner(ownerScreen),
      startStopButton(button),
      shortCutButton(nullptr),
      util(nullptr),
      pressX(0.0),
      pressY(0.0),
      pressY2(0.0),
      dragging(false),
      dragMoved(false),
      pressLower(0.0),
      pressUpper(0.0),
      manualAxisPen(QColor(QStringLiteral("#000000")), 0),
      autoAxisPen(QColor(QStringLiteral("#BDBEBD")), 0),
      histMeasure(0),
      viewMode(2),
      legend(nullptr),
      replotTimer(nullptr),
      preparedStart(0),
      rescaleOnHistData(false)
{
    setObjectName(QStringLiteral("CustomPlotLine"));
    loadColors();
    for (const char* format : DATE_TIME_FORMATS)
        dateTimeFormats.append(QLatin1String(format));
    setupAxes();
    buildShortCutButton();

    GlobalEnums::registerMetaTypes();
    qRegisterMetaType<Measure>("Measure");
    qRegisterMetaType<Measure>("Measure&");
    util = new CustomPlotLineUtil(this);
    connect(util, SIGNAL(updateStartStop(bool&,QString&)), this, SLOT(setStartStop(bool&,QString&)));
    connect(util, SIGNAL(updateMeasureState(GlobalEnums::ChartMeasureState,Measure&)), this,
            SLOT(setMeasureState(GlobalEnums::ChartMeasureState,Measure&)));
    connect(util, SIGNAL(updateMeasureData()), this, SLOT(availableMeasureData()));
    connect(util, SIGNAL(checkPlotData(GlobalEnums::GraphTelegramAttribute)), this,
            SLOT(checkHistAndRescale(GlobalEnums::GraphTelegramAttribute)));
    if (startStopButton)
        connect(startStopButton, SIGNAL(clicked()), this, SLOT(startStopMeasure()));

    legend = new PlotlineLegend(this, 150, 24, 150, 64);
    legend->hide();
    replotTimer = new QTimer(this);
    replotTimer->setSingleShot(true);
    connect(replotTimer, SIGNAL(timeout()), this, SLOT(customReplot()));
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(reloadWidget()));
}

CustomPlotLine::~CustomPlotLine()
{
    // The worker stops its feed thread first: nothing writes into a graph any more.
    delete util;
    util = nullptr;
    delete shortCutButton;
    delete legend;
    delete replotTimer;
}

void CustomPlotLine::loadColors()
{
    QVariantList defaults;
    for (const char* name : DEFAULT_COLORS)
        defaults.append(QString::fromLatin1(name));
    QVariantList names = SettingsUtil::getValueList(QLatin1String(COLOR_KEY), defaults);
    if (std::all_of(names.cbegin(), names.cend(),
                    [](const QVariant& name) { return name.toString().trimmed().isEmpty(); })) {
        qWarning() << "Setting" << COLOR_KEY << "names no colour; the default colours are used";
        names = defaults;
    }
    graphColors.clear();
    QStringList defaulted;
    // Every entry keeps its place: an empty one takes the default colour of
    // that place, a name that is no colour stays as an invalid colour.
    for (int place = 0; place < names.size(); ++place) {
        QString name = names.at(place).toString().trimmed();
        if (name.isEmpty()) {
            name = defaults.at(place % defaults.size()).toString();
            defaulted.append(QString::number(place + 1));
        }
        graphColors.append(QColor(name));
    }
    if (!defaulted.isEmpty())
        qInfo().noquote() << QStringLiteral("Setting %1: entries %2 are empty; the default colours of their places "
                                            "are used")
                                 .arg(QLatin1String(COLOR_KEY), defaulted.join(QStringLiteral(", ")));
}

void CustomPlotLine::setupAxes()
{
    setAutoAddPlottableToLegend(false);
    // QCustomPlot writes tick labels in the widget's locale: with a point, as the
    // device and the rest of the client, on any machine.
    QLocale numbers = QLocale::c();
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    setLocale(numbers);
    dateTimeTicker.reset(new ChartTimeTicker);
    dateTimeTicker->setDateTimeFormat(dateTimeFormats.first());
    xAxis->setTicker(dateTimeTicker);
    yAxis2->setVisible(true);
    axisRect()->setupFullAxesBox(false);
    // The top axis follows the time axis; the value axes stay independent.
    xAxis2->setTicker(dateTimeTicker);
    connect(xAxis, SIGNAL(rangeChanged(QCPRange)), xAxis2, SLOT(setRange(QCPRange)));
    const double now = QDateTime::currentMSecsSinceEpoch() / 1000.0;
    xAxis->setRange(now, now + INITIAL_SPAN_S);
    yAxis->setRange(-INITIAL_VALUE_RANGE, INITIAL_VALUE_RANGE);
    yAxis2->setRange(-INITIAL_VALUE_RANGE, INITIAL_VALUE_RANGE);

    const QColor black(QStringLiteral("#000000"));
    for (QCPAxis* axis : {xAxis, yAxis, xAxis2, yAxis2})
        axis->setSelectableParts(QCPAxis::spNone);
    for (QCPAxis* axis : {yAxis, yAxis2}) {
        axis->setSelectedBasePen(QPen(black, 5.0));
        axis->setSelectedTickPen(QPen(black, 5.0));
        axis->setSelectedSubTickPen(QPen(QBrush(black), 3.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        axis->setSelectedLabelColor(black);
        axis->setSelectedTickLabelColor(black);
    }
    xAxis->setOffset(5);
    xAxis2->setOffset(5);
    setNoAntialiasingOnDrag(true);
    setPlottingHint(QCP::phCacheLabels, true);
    // The chart pans and zooms itself; the axis rect never moves an axis on its own.
    axisRect()->setRangeDrag(Qt::Orientations());
    axisRect()->setRangeZoom(Qt::Orientations());

    connect(this, SIGNAL(mouseWheel(QWheelEvent*)), this, SLOT(customMouseWheel(QWheelEvent*)));
    connect(this, SIGNAL(mouseMove(QMouseEvent*)), this, SLOT(customMouseMove(QMouseEvent*)));
    connect(this, SIGNAL(mousePress(QMouseEvent*)), this, SLOT(customMousePress(QMouseEvent*)));
    connect(this, SIGNAL(mouseRelease(QMouseEvent*)), this, SLOT(customMouseRelease(QMouseEvent*)));
    connect(this, SIGNAL(selectionChangedByUser()), this, SLOT(setAllSelectedParts()));
    connect(this, SIGNAL(resized()), this, SLOT(calcXTickCount()));
}

void CustomPlotLine::buildShortCutButton()
{
    shortCutButton = new QWidget(this);
    shortCutButton->setObjectName(QStringLiteral("wgtChartShortCutButton"));
    auto* label = new ZClickLabel(shortCutButton);
    label->setObjectName(QStringLiteral("lblChartShortCutButton"));
    const QPixmap picture = QPixmap(QLatin1String(SHORT_CUT_PICTURE))
                                .scaled(SHORT_CUT_SIZE, SHORT_CUT_SIZE, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap translucent(picture.size().isEmpty() ? QSize(SHORT_CUT_SIZE, SHORT_CUT_SIZE) : picture.size());
    translucent.fill(Qt::transparent);
    {
        QPainter painter(&translucent);
        painter.setOpacity(SHORT_CUT_ALPHA / 255.0);
        painter.drawPixmap(0, 0, picture);
    }
    label->setPixmap(translucent);
    label->setFixedSize(translucent.size());
    shortCutButton->setFixedSize(translucent.size());
    if (owner)
        connect(label, SIGNAL(clicked()), owner, SLOT(toggleShortCutMenu()));
    shortCutButton->show();
    placeShortCutButton();
}

void CustomPlotLine::placeShortCutButton()
{
    if (shortCutButton)
        shortCutButton->move(width() - shortCutButton->width(), SHORT_CUT_TOP);
}

QColor CustomPlotLine::colorFor(int index) const
{
    return graphColors.at(index % graphColors.size());
}

LockedGraph* CustomPlotLine::lockedGraph(int index) const
{
    if (index < 0 || index >= graphCount())
        return nullptr;
    return dynamic_cast<LockedGraph*>(graph(index));
}

// ---- graphs ---------------------------------------------------------------

void CustomPlotLine::addCharacteristic(CharacteristicLine& line, int& index)
{
    {
        AnnotatedWriteLocker structure(&graphStructureLock);
        addGraphLocked(line, index);
    }
    if (index < VISIBLE_GRAPH_LIMIT)
        legend->rebuild();
}

void CustomPlotLine::addGraphLocked(CharacteristicLine& line, int& index)
{
    index = graphCount();
    if (index == 0) {
        legend->clear();
        setAxisLabels(line.getDimension(), QString());
    }
    auto* graph = new LockedGraph(xAxis, yAxis);
    graph->setPen(QPen(colorFor(index)));
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setName(line.getChannel());
    graph->setProperty(UNIT_PROPERTY, line.getDimension());
    graph->setProperty(DESIGNATION_PROPERTY, line.getDesignation());
    line.setGraphIndex(index);
    graph->setVisible(index < VISIBLE_GRAPH_LIMIT);
    updateValueAxesState();
    if (index < VISIBLE_GRAPH_LIMIT)
        legend->addItem(line.getChannel(), colorFor(index), 0);
    util->registerChannel(line.getChannel(), index);
}

void CustomPlotLine::removeAllGraphsLocked()
{
    util->clearData();
    clearGraphs();
    clearItems();
    legend->clear();
    setAxisLabels(QString(), QString());
    updateValueAxesState();
}

void CustomPlotLine::prepareGraphs(Measure& measure)
{
    if (measure.getStart() == preparedStart)
        return;
    preparedStart = measure.getStart();
    {
        AnnotatedWriteLocker structure(&graphStructureLock);
        removeAllGraphsLocked();
        for (CharacteristicLine line : measure.getChannels()) {
            int index = 0;
            addGraphLocked(line, index);
        }
        util->setMeasure(measure);
    }
    // Once for all graphs, and without holding up the feed.
    if (graphCount() > 0)
        legend->rebuild();
}

void CustomPlotLine::updateValueAxesState()
{
    for (QCPAxis* axis : {yAxis, yAxis2}) {
        bool used = false;
        for (QCPGraph* graph : axis->graphs())
            used = used || graph->visible();
        if (used) {
            axis->setSelectableParts(QCPAxis::spAxis | QCPAxis::spTickLabels);
            axis->setTickLabels(true);
        } else {
            axis->setSelectedParts(QCPAxis::spNone);
            axis->setSelectableParts(QCPAxis::spNone);
            axis->setTickLabels(false);
        }
    }
}

void CustomPlotLine::setAllSelectedParts()
{
    const QCPAxis::SelectableParts whole = QCPAxis::spAxis | QCPAxis::spTickLabels;
    if (yAxis->selectedParts() != QCPAxis::spNone) {
        yAxis->setSelectedParts(whole);
        yAxis2->setSelectedParts(QCPAxis::spNone);
    } else if (yAxis2->selectedParts() != QCPAxis::spNone) {
        yAxis2->setSelectedParts(whole);
        yAxis->setSelectedParts(QCPAxis::spNone);
    }
}

// ---- graph settings ---------------------------------------------------------

QString CustomPlotLine::getGraphDimension(const int& index)
{
    return lockedGraph(index) ? graph(index)->property(UNIT_PROPERTY).toString() : QString();
}

QString CustomPlotLine::getGraphName(const int& index)
{
    return lockedGraph(index) ? graph(index)->name() : QString();
}

QString CustomPlotLine::getGraphDesignation(const int& index)
{
    return lockedGraph(index) ? graph(index)->property(DESIGNATION_PROPERTY).toString() : QString();
}

GraphDescriptor CustomPlotLine::getGraphDescriptor(const int& index)
{
    QCPGraph* graph = lockedGraph(index);
    if (!graph)
        return GraphDescriptor();
    const int axis = graph->valueAxis() == yAxis2 ? 1 : 0;
    return GraphDescriptor(index, graph->name(), graph->property(DESIGNATION_PROPERTY).toString(),
                           graph->property(UNIT_PROPERTY).toString(), graph->pen().color(), axis, graph->visible());
}

QMap<int, GraphDescriptor> CustomPlotLine::getGraphDescriptors()
{
    QMap<int, GraphDescriptor> descriptors;
    for (int index = 0; index < graphCount(); ++index)
        descriptors.insert(index, getGraphDescriptor(index));
    return descriptors;
}

bool CustomPlotLine::applyGraphDescriptor(const GraphDescriptor& descriptor)
{
    QCPGraph* graph = lockedGraph(descriptor.getIndex());
    if (!graph)
        return false;
    graph->setPen(QPen(descriptor.getColor()));
    graph->setVisible(descriptor.isVisible());
    if (descriptor.getAxis() == 0)
        graph->setValueAxis(yAxis);
    else if (descriptor.getAxis() == 1)
        graph->setValueAxis(yAxis2);
    if (!graph->visible())
        return false;
    legend->addItem(graph->name(), descriptor.getColor(), graph->valueAxis() == yAxis2 ? 1 : 0);
    return true;
}

void CustomPlotLine::setGraphDescriptor(const GraphDescriptor& descriptor)
{
    const bool listed = applyGraphDescriptor(descriptor);
    updateValueAxesState();
    if (listed)
        legend->rebuild();
}

void CustomPlotLine::setGraphDescriptors(QMap<int, GraphDescriptor>& descriptors)
{
    legend->clear();
    for (const GraphDescriptor& descriptor : descriptors)
        applyGraphDescriptor(descriptor);
    updateValueAxesState();
    legend->rebuild();
    updateAxes();
}

QList<QColor> CustomPlotLine::getGraphColors()
{
    return graphColors;
}

QStringList CustomPlotLine::getDateTimeFormats()
{
    return dateTimeFormats;
}

int CustomPlotLine::getDateTimeFormatIndex()
{
    return dateTimeFormats.indexOf(dateTimeTicker->dateTimeFormat());
}

void CustomPlotLine::setDateTimeFormat(const int& index)
{
    if (index < 0 || index >= dateTimeFormats.size())
        return;
    dateTimeTicker->setDateTimeFormat(dateTimeFormats.at(index));
    calcXTickCount();
}

void CustomPlotLine::setAxisLabels(QString left, QString right)
{
    yAxis->setLabel(left);
    yAxis2->setLabel(right);
}

void CustomPlotLine::setLegendVisible(bool visible)
{
    legend->setVisible(visible);
    if (visible)
        legend->raise();
}

int CustomPlotLine::isHistMeasure()
{
    return histMeasure;
}

// ---- replot ---------------------------------------------------------------

void CustomPlotLine::queueReplot()
{
    // Coalesced in the event loop: a replot asked for while one is pending is
    // folded into it, never dropped.
    replot(QCustomPlot::rpQueuedReplot);
}

void CustomPlotLine::customReplot()
{
    updateAxes();
    queueReplot();
}

void CustomPlotLine::availableMeasureData()
{
    if (!replotTimer->isActive())
        replotTimer->start(REPLOT_DELAY_MS);
}

void CustomPlotLine::calcXTickCount()
{
    const QFontMetrics metrics(xAxis->tickLabelFont());
    const int textWidth = qMax(1, metrics.horizontalAdvance(dateTimeTicker->dateTimeFormat()));
    int width = axisRect()->width();
    if (width <= 9)
        width = static_cast<int>(this->width() * 0.75);
    const int count = qMax(1, static_cast<int>((width / textWidth) * 0.75));
    dateTimeTicker->setTickCount(count);
    queueReplot();
}

// ---- start/stop and measurement state -------------------------------------------

void CustomPlotLine::setStartStopText(const QString& text)
{
    if (startStopButton)
        startStopButton->setText(text);
    emit changeStartStop(startStopButton && startStopButton->isEnabled(), text);
}

void CustomPlotLine::setStartStopEnabled(bool enabled)
{
    if (startStopButton)
        startStopButton->setEnabled(enabled);
    emit changeStartStop(enabled, startStopButton ? startStopButton->text() : QString());
}

void CustomPlotLine::setStartStop(bool& enabled, QString& text)
{
    setStartStopText(text);
    if (histMeasure == 0)
        setStartStopEnabled(enabled);
}

void CustomPlotLine::startStopMeasure()
{
    setStartStopEnabled(false);
    util->requestStartStop();
}

void CustomPlotLine::setMeasureState(GlobalEnums::ChartMeasureState state, Measure& measure)
{
    if (histMeasure == 0 && state == GlobalEnums::START)
        prepareGraphs(measure);
    emit changeMeasureState(state, measure);
}

void CustomPlotLine::reloadWidget()
{
    util->getStartStop();
    util->getMeasureState();
    updateAxes();
    queueReplot();
}

void CustomPlotLine::setDefault()
{
    {
        AnnotatedWriteLocker structure(&graphStructureLock);
        removeAllGraphsLocked();
    }
    legend->hide();
    setStartStopEnabled(false);
    setStartStopText(QStringLiteral("---"));
    util->getStartStop();
    util->getMeasureState();
    viewMode = 2;
    histMeasure = 0;
    {
        AnnotatedWriteLocker structure(&graphStructureLock);
        util->setMode(0);
    }
    PlotlineShortCut* panel = owner ? owner->getShortCut() : nullptr;
    if (panel) {
        panel->setLegendCheck(false);
        panel->setViewMode(2);
        panel->setHistMeasureMode(0);
    } else {
        setLegendVisible(false);
        setViewMode(2);
        setHistMeasure(0);
    }
    const double now = QDateTime::currentMSecsSinceEpoch() / 1000.0;
    xAxis->setRange(now, now + INITIAL_SPAN_S);
    yAxis->setRange(-INITIAL_VALUE_RANGE, INITIAL_VALUE_RANGE);
    yAxis2->setRange(-INITIAL_VALUE_RANGE, INITIAL_VALUE_RANGE);
    shownMeasure = Measure();
    updateAxes();
    queueReplot();
}

// ---- stored measurements ------------------------------------------------------

void CustomPlotLine::showHistMeasureList()
{
    if (owner)
        owner->showHistMeasureList();
}

void CustomPlotLine::setHistMeasure(int mode)
{
    histMeasure = mode;
    {
        AnnotatedWriteLocker structure(&graphStructureLock);
        util->setMode(mode);
        removeAllGraphsLocked();
    }
    preparedStart = 0;
    if (mode == 0) {
        util->getStartStop();
        util->getMeasureState();
        util->resetHistRequest();
    } else if (mode == 1) {
        setStartStopEnabled(false);
    }
    updateAxes();
    queueReplot();
}

void CustomPlotLine::loadHistMeasure(Measure measure)
{
    shownMeasure = Measure();
    {
        AnnotatedWriteLocker structure(&graphStructureLock);
        removeAllGraphsLocked();
    }
    updateAxes();
    queueReplot();
    shownMeasure = measure;
    PlotlineShortCut* panel = owner ? owner->getShortCut() : nullptr;
    if (panel) {
        panel->setViewMode(0);
        panel->setHistMeasureMode(1);
    } else {
        setViewMode(0);
        setHistMeasure(1);
    }
    prepareGraphs(measure);
    bool rescale = true;
    showWholeMeasure(100.0, rescale);
}
