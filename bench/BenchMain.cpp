// Shared main of the benchmarks: runs them with the usual console output and
// then prints the ratios the benchmark file declared (see Ratio.h).

#include "Ratio.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace tevarobench {

std::vector<RatioTarget>& ratioTargets()
{
    static std::vector<RatioTarget> targets;
    return targets;
}

bool declareRatio(const char* measured, const char* baseline, double limit)
{
    ratioTargets().push_back(RatioTarget{measured, baseline, limit});
    return true;
}

namespace {

// Console output as usual, and per benchmark the best CPU time per iteration
// over its repetitions kept for the ratios. CPU time and the best repetition
// make the ratios hold up on a busy machine. Benchmarks with manual time
// (latencies, percentiles, sizes) keep their manual time instead.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            // Function and argument only: repetitions and the like must not change the name.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            // A benchmark that times itself (manual time) is compared on what it timed.
            const bool manual = run.run_name.time_type == "manual_time";
            const double perIteration = manual ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
            const double seconds = perIteration / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                auto it = best.find(name);
                if (it == best.end() || seconds < it->second)
                    best[name] = seconds;
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean") {
                means[name] = seconds;   // when only aggregates are displayed
            }
        }
    }

    void printRatios() const
    {
        if (ratioTargets().empty())
            return;
        std::printf("\nRatios (best CPU time per iteration over the repetitions; manual time where set):\n");
        std::printf("%-34s %-34s %8s %8s  %s\n", "measured", "baseline", "ratio", "target", "verdict");
        for (const RatioTarget& target : ratioTargets()) {
            const double measured = secondsPerIteration(target.measured);
            const double baseline = secondsPerIteration(target.baseline);
            if (measured <= 0.0 || baseline <= 0.0) {
                std::printf("%-34s %-34s %8s %7.2fx  not run\n", target.measured.c_str(), target.baseline.c_str(), "-",
                            target.limit);
                continue;
            }
            const double ratio = measured / baseline;
            std::printf("%-34s %-34s %7.2fx %7.2fx  %s\n", target.measured.c_str(), target.baseline.c_str(), ratio,
                        target.limit, ratio <= target.limit ? "met" : "MISSED");
        }
        std::fflush(stdout);
    }

private:
    double secondsPerIteration(const std::string& name) const
    {
        const auto it = best.find(name);
        if (it != best.end())
            return it->second;
        const auto mean = means.find(name);
        return mean == means.end() ? 0.0 : mean->second;
    }

    std::map<std::string, double> best;    // seconds of CPU time per iteration
    std::map<std::string, double> means;
};

} // namespace
} // namespace tevarobench

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    tevarobench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    // The fixtures are function-local statics holding the application and shown
    // widgets; torn down after main, behind Qt's own clean-up, they crash. The
    // figures are out, so the process ends here without static destructors.
    std::fflush(nullptr);
    std::_Exit(0);
}
