#include "Statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tevarobench {

double percentile(std::vector<double> values, double rank)
{
    if (values.empty())
        return 0;
    const double position = std::ceil(rank / 100.0 * static_cast<double>(values.size()));
    const std::size_t index = std::min(position < 1 ? 0 : static_cast<std::size_t>(position) - 1, values.size() - 1);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index), values.end());
    return values[index];
}

double mean(const std::vector<double>& values)
{
    return values.empty() ? 0 : std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

} // namespace tevarobench
