#pragma once

#include "common/Measure.h"
#include "view/OverallView.h"

#include <QWidget>

// The list of stored measurements; mode 0 chooses one to load into the chart.
class HistMeasureList : public QWidget, public OverallView
{
    Q_OBJECT

public:
    HistMeasureList(int mode, QWidget* parent = nullptr);

    // Clears the list and reads the stored measurements.
    void requestHistMeasures();

signals:
    void loadingHistMeasure(Measure measure);
    void cancelingHistMeasure();

private:
    int mode;
};
