#pragma once

#include <qcustomplot.h>

// Date-time ticks that never step finer than the format can tell apart:
// whole seconds for a format without milliseconds, whole days for a date
// alone. Otherwise two ticks would carry the same label.
class ChartTimeTicker : public QCPAxisTickerDateTime
{
protected:
    double getTickStep(const QCPRange& range) override;
};
