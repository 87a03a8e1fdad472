#pragma once

#include "common/CharacteristicLine.h"
#include "common/GlobalEnums.h"
#include "common/GraphDescriptor.h"
#include "common/Measure.h"
#include "view/OverallView.h"

#include <qcustomplot.h>

#include <QColor>
#include <QList>
#include <QMap>
#include <QPen>
#include <QReadWriteLock>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

class CustomPlotLineUtil;
class DataMain;
class LockedGraph;
class PlotlineLegend;
class QPushButton;
class QTimer;

// The line chart of the measurement screen's chart tab: one graph per channel
// of the running or of a loaded stored measurement, time on the x axis,
// values on a left and a right value axis. Its worker fills the graphs from
// the device's chart telegrams on a thread of its own; the chart redraws at
// most every 300 ms.
//
// View modes: 0 manual (mouse drag and wheel), 1 follow the newest point,
// 2 the complete measurement. histMeasure 1 while a stored measurement is
// shown, paged in window by window as the user moves through it.
//
// Graphs are created and removed only under structureLock() held for
// writing; the feed holds it for reading while it looks up and fills a graph.
class CustomPlotLine : public QCustomPlot, public OverallView
{
    Q_OBJECT

public:
    CustomPlotLine(DataMain* owner, QPushButton* startStopButton, QWidget* parent = nullptr);
    ~CustomPlotLine() override;

    // Unit of a graph ("" for an index outside the graphs).
    QString getGraphDimension(const int& index);
    // -1 when the current format is not in the list.
    int getDateTimeFormatIndex();
    // An index outside the list is ignored.
    void setDateTimeFormat(const int& index);
    QStringList getDateTimeFormats();
    void setAxisLabels(QString left, QString right);
    QList<QColor> getGraphColors();
    QMap<int, GraphDescriptor> getGraphDescriptors();
    // Applies each descriptor in key order, rebuilds the legend and updates the axes; no replot.
    void setGraphDescriptors(QMap<int, GraphDescriptor>& descriptors);
    GraphDescriptor getGraphDescriptor(const int& index);
    QString getGraphName(const int& index);
    QString getGraphDesignation(const int& index);
    void setGraphDescriptor(const GraphDescriptor& descriptor);
    int isHistMeasure();
    // Back to the empty live chart; called after a login.
    void setDefault();

    // Driven by the side panel.
    void setLegendVisible(bool visible);
    void setViewMode(int mode);
    void setHistMeasure(int mode);
    void showHistMeasureList();

    // Adds a graph for the channel; index becomes its graph index.
    void addCharacteristic(CharacteristicLine& line, int& index);
    // Asks for the stored data of a window (seconds); only while a stored measurement is shown.
    void requestHistWindow(const double& lower, const double& upper, const bool& rescale, int direction);
    // The x range over the whole stored measurement, then its first window.
    void showWholeMeasure(double percent, bool& rescale);
    // The axes as the view mode wants them; run before every replot.
    void updateAxes();

    void setStartStopText(const QString& text);
    void setStartStopEnabled(bool enabled);

    QReadWriteLock& structureLock() { return graphStructureLock; }
    LockedGraph* lockedGraph(int index) const;
    CustomPlotLineUtil* getUtil() const { return util; }
    PlotlineLegend* getLegend() const { return legend; }
    int getViewMode() const { return viewMode; }
    Measure getShownMeasure() const { return shownMeasure; }

public slots:
    void customReplot();
    void customMouseWheel(QWheelEvent* event);
    void customMouseMove(QMouseEvent* event);
    void customMousePress(QMouseEvent* event);
    void customMouseRelease(QMouseEvent* event);
    void availableMeasureData();
    void setAllSelectedParts();
    void calcXTickCount();
    void loadHistMeasure(Measure measure);
    void checkHistAndRescale(GlobalEnums::GraphTelegramAttribute attribute);
    void setStartStop(bool& enabled, QString& text);
    void setMeasureState(GlobalEnums::ChartMeasureState state, Measure& measure);
    void startStopMeasure();
    void reloadWidget();

signals:
    void beforeAddGraphData();
    void afterAddGraphData();
    void changeStartStop(bool enabled, QString text);
    void changeMeasureState(GlobalEnums::ChartMeasureState state, Measure& measure);
    // Emitted last by the resize handling.
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void loadColors();
    void setupAxes();
    void buildShortCutButton();
    void placeShortCutButton();
    // Both with the structure lock held for writing; the caller rebuilds the legend.
    void addGraphLocked(CharacteristicLine& line, int& index);
    // Graphs, items, channel table, legend and value-axis labels.
    void removeAllGraphsLocked();
    void prepareGraphs(Measure& measure);
    // Colour, visibility and value axis; a visible graph gets its legend entry,
    // shown with the next rebuild. False for an unknown index or a hidden graph.
    bool applyGraphDescriptor(const GraphDescriptor& descriptor);
    void updateValueAxesState();
    void rescaleAxis(QCPAxis* axis);
    // The value axes a gesture moves: the selected one, or both.
    QList<QCPAxis*> gestureValueAxes();
    void resetView();
    void queueReplot();
    // The shown measurement's stop; a recording without a stop after its start gets a short span.
    qint64 shownStopMs() const;
    // Sets an x range only when it stays within the dates the axis can show.
    bool setTimeRange(const QCPRange& range);
    // Sets a value axis's range only when QCustomPlot takes it
    // (QCPRange::validRange); a refused range is logged. Rescale, drag and
    // wheel all go through here.
    bool setValueRange(QCPAxis* axis, const QCPRange& range);
    QColor colorFor(int index) const;

    DataMain* owner;
    QPushButton* startStopButton;
    QWidget* shortCutButton;
    CustomPlotLineUtil* util;
    double pressX;
    double pressY;
    double pressY2;
    bool dragging;
    bool dragMoved;
    double pressLower;
    double pressUpper;
    QPen manualAxisPen;
    QPen autoAxisPen;
    int histMeasure;
    int viewMode;
    PlotlineLegend* legend;
    QList<QColor> graphColors;
    QStringList dateTimeFormats;
    QTimer* replotTimer;
    Measure shownMeasure;
    qint64 preparedStart;
    bool rescaleOnHistData;
    bool valueRangeRefusalLogged = false;   // until a value range is taken again
    QSharedPointer<QCPAxisTickerDateTime> dateTimeTicker;
    QReadWriteLock graphStructureLock;
};
