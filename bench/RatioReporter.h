#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

// Prints the runs like the console reporter and keeps each benchmark's mean real time in
// seconds, for the ratios printed after the runs.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> seconds;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")
                seconds[run.run_name.function_name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }

    // The time of one benchmark over another's; 0 when either did not run.
    double ratio(const std::string &measured, const std::string &floor) const
    {
        const auto m = seconds.find(measured);
        const auto f = seconds.find(floor);
        return m != seconds.end() && f != seconds.end() && f->second > 0 ? m->second / f->second
                                                                         : 0;
    }
};
