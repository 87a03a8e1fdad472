#pragma once

#include "view/OverallView.h"

#include <QIcon>
#include <QWidget>

class CustomPlotLine;

namespace Ui {
class PlotlineShortCut;
}

// The line chart's side panel: the view mode (manual, follow the newest
// point, the complete measurement), the return from a stored measurement to
// the running one, the legend switch and the list of stored measurements.
// Every choice goes straight to the chart.
class PlotlineShortCut : public QWidget, public OverallView
{
    Q_OBJECT

public:
    PlotlineShortCut(CustomPlotLine* plot, QWidget* parent = nullptr);
    ~PlotlineShortCut() override;

    // 0 manual, 1 follow, 2 complete: marks its button and tells the chart.
    void setViewMode(int mode);
    // 1 while a stored measurement is shown: only the return is offered.
    void setHistMeasureMode(int mode);
    void setLegendCheck(bool on);

signals:
    // Asks the host to take the panel out of its layout.
    void closeShortCut();

public slots:
    void clickModeManual();
    void clickModeAuto();
    void clickModeComplete();
    void changeLegendStatus(bool on);
    void getHistRecords();
    void setActualMeasure();

private:
    Ui::PlotlineShortCut* ui;
    CustomPlotLine* plot;
    QIcon manualSelected;
    QIcon manualIdle;
    QIcon autoSelected;
    QIcon autoIdle;
    QIcon completeSelected;
    QIcon completeIdle;
};
