#include "widgets/ChartTimeTicker.h"

#include <algorithm>

namespace {

const double SECOND = 1.0;
const double DAY = 86400.0;

} // namespace

double ChartTimeTicker::getTickStep(const QCPRange& range)
{
    const double step = QCPAxisTickerDateTime::getTickStep(range);
    const QString format = dateTimeFormat();
    if (!format.contains(QLatin1Char('h')) && !format.contains(QLatin1Char('H')))
        return std::max(step, DAY);
    if (!format.contains(QLatin1Char('z')))
        return std::max(step, SECOND);
    return step;
}
