#pragma once

#include <qcustomplot.h>

#include <QVector>

// The points of one channel's line: (time in seconds since the epoch, value),
// sorted by time with one value per time.
using ChartPoints = QVector<QCPGraphData>;

// Sorts points by time; of several points with the same time the one that
// came last stays. Already sorted, unique input costs one pass.
void normalizeChartPoints(ChartPoints& points);

// True for a finite value small enough that every value-axis range over such
// values, with the rescale margin and 0 included, is one QCustomPlot takes
// (QCPRange::validRange). A larger value could never be shown.
bool chartValueShowable(double value);
