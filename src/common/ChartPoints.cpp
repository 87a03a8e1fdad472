#include "common/ChartPoints.h"

#include <algorithm>
#include <cmath>

namespace {

// The share of QCPRange::maxRange a value may reach: a range from -limit to
// +limit, widened by the rescale margin, stays narrower than maxRange.
const double SHOWABLE_SHARE = 0.25;

} // namespace

void normalizeChartPoints(ChartPoints& points)
{
    bool sortedUnique = true;
    for (int i = 1; i < points.size() && sortedUnique; ++i)
        sortedUnique = points[i - 1].key < points[i].key;
    if (sortedUnique)
        return;
    std::stable_sort(points.begin(), points.end(),
                     [](const QCPGraphData& a, const QCPGraphData& b) { return a.key < b.key; });
    // Of equal times the last one (in input order) stays.
    int kept = 0;
    for (int i = 0; i < points.size(); ++i) {
        if (kept > 0 && points[kept - 1].key == points[i].key)
            points[kept - 1] = points[i];
        else
            points[kept++] = points[i];
    }
    points.resize(kept);
}

bool chartValueShowable(double value)
{
    return std::isfinite(value) && std::abs(value) <= QCPRange::maxRange * SHOWABLE_SHARE;
}
