#include "widgets/ChartTimeTicker.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

const double SECOND = 1.0;
const double DAY = 86400.0;

// Steps of a second and more that read well on a time axis, in seconds.
const double READABLE_STEPS[] = {
    1, 2, 5, 10, 15, 30,                     // seconds
    60, 120, 300, 600, 900, 1800,            // minutes
    3600, 7200, 10800, 21600, 43200,         // hours
    DAY, 2 * DAY, 7 * DAY, 14 * DAY,         // days and weeks
    30.4375 * DAY, 91.3125 * DAY, 182.625 * DAY, 365.25 * DAY};

// The next readable step strictly above `step`: 1, 2 or 5 times a power of ten
// below a second, the list above it, and doublings beyond a year.
double nextReadableStep(double step)
{
    const double tolerance = 1e-9;
    if (step < SECOND) {
        const double magnitude = std::pow(10.0, std::floor(std::log10(step)));
        for (const double mantissa : {2.0, 5.0, 10.0})
            if (mantissa * magnitude > step * (1 + tolerance))
                return mantissa * magnitude;
    }
    const auto next = std::upper_bound(std::begin(READABLE_STEPS), std::end(READABLE_STEPS), step * (1 + tolerance));
    return next != std::end(READABLE_STEPS) ? *next : 2 * step;
}

} // namespace

double ChartTimeTicker::getTickStep(const QCPRange& range)
{
    double step = QCPAxisTickerDateTime::getTickStep(range);
    const QString format = dateTimeFormat();
    if (!format.contains(QLatin1Char('h')) && !format.contains(QLatin1Char('H')))
        step = std::max(step, DAY);
    else if (!format.contains(QLatin1Char('z')))
        step = std::max(step, SECOND);
    const double span = range.size();
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(span))
        return step;
    // At most tickCount() ticks fall within the range once step * count exceeds
    // it; the margin covers the rounding of a range far from zero.
    while (step * tickCount() <= span * (1 + 1e-6))
        step = nextReadableStep(step);
    return step;
}
