#pragma once

#include <vector>

namespace tevarobench {

// Nearest-rank percentile (rank 0..100) of the values; 0 for none.
double percentile(std::vector<double> values, double rank);
double mean(const std::vector<double>& values);

} // namespace tevarobench
