#pragma once

#include <qcustomplot.h>

// Date-time ticks whose labels never run together:
// - never finer than the format can tell apart (whole seconds for a format
//   without milliseconds, whole days for a date alone), or two ticks would
//   carry the same label;
// - never more ticks than the tick count: the base ticker rounds its step to
//   the closest readable one, which may be finer than the count allows, so a
//   step that would show more is rounded up to the next readable step.
class ChartTimeTicker : public QCPAxisTickerDateTime
{
protected:
    double getTickStep(const QCPRange& range) override;
};
