// Google Benchmark runs whose setup or check failed: SkipWithError marks
// the run, and this reporter remembers it so that main can exit non-zero
// (the library's own main returns 0 whatever happened).
#ifndef FILMCORE_BENCH_FAILURES_H
#define FILMCORE_BENCH_FAILURES_H

#include <benchmark/benchmark.h>

#include <stdio.h>

#include <string>
#include <vector>

class FailureCountingReporter : public benchmark::ConsoleReporter {
public:
    std::vector<std::string> failed;

    FailureCountingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.error_occurred)
                failed.push_back(run.benchmark_name() + ": " + run.error_message);
        ConsoleReporter::ReportRuns(runs);
    }

    // 1 and the failed runs on the error stream when any run failed.
    int ExitCode() const
    {
        for (const std::string& f : failed)
            fprintf(stderr, "FAILED %s\n", f.c_str());
        return failed.empty() ? 0 : 1;
    }
};

#endif
