#include "view/PlotlineShortCut.h"

PlotlineShortCut::PlotlineShortCut(CustomPlotLine* chart, QWidget* parent)
    : QWidget(parent), OverallView(), plot(chart)
{
    setObjectName(QStringLiteral("PlotlineShortCut"));
}
