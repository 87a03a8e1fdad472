#pragma once

#include "view/OverallView.h"

#include <QWidget>

class CustomPlotLine;

// The line chart's side panel with its view modes; shown beside the chart.
class PlotlineShortCut : public QWidget, public OverallView
{
    Q_OBJECT

public:
    PlotlineShortCut(CustomPlotLine* plot, QWidget* parent = nullptr);

signals:
    // Asks the host to take the panel out of its layout.
    void closeShortCut();

private:
    CustomPlotLine* plot;
};
