#pragma once

// Each benchmark file measures the library next to its own baseline and
// declares the ratio it cares about; the shared main prints every declared
// ratio after the run, with the target it should meet.
//
//   TEVARO_BENCH_RATIO("BM_Query/10MB", "BM_Query/10KB", 2.0);
//
// Names are the benchmark names as printed (function name and argument name).

#include <string>
#include <vector>

namespace tevarobench {

struct RatioTarget
{
    std::string measured;
    std::string baseline;
    double limit;
};

std::vector<RatioTarget>& ratioTargets();
bool declareRatio(const char* measured, const char* baseline, double limit);

} // namespace tevarobench

#define TEVARO_BENCH_CONCAT_INNER(a, b) a##b
#define TEVARO_BENCH_CONCAT(a, b) TEVARO_BENCH_CONCAT_INNER(a, b)
#define TEVARO_BENCH_RATIO(measured, baseline, limit)                                  \
    static const bool TEVARO_BENCH_CONCAT(tevaroBenchRatio_, __LINE__) [[maybe_unused]] = \
        ::tevarobench::declareRatio(measured, baseline, limit)
