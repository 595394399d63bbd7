#include "RatioReporter.h"

#include <cstdio>

namespace pastiq::bench {

RatioReporter::RatioReporter(std::vector<std::pair<std::string, std::string>> comparisons)
    : comparisons_(std::move(comparisons)) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
            secondsPerIteration_[run.run_name.function_name] =
                run.cpu_accumulated_time / static_cast<double>(run.iterations);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::printf("\nCPU time relative to the baseline in the same run:\n");
    for (const auto& [name, baseline] : comparisons_) {
        const auto measured = secondsPerIteration_.find(name);
        const auto reference = secondsPerIteration_.find(baseline);
        if (measured == secondsPerIteration_.end() || reference == secondsPerIteration_.end()) {
            continue;
        }
        std::printf("  %-28s %6.2f x %s\n", name.c_str(), measured->second / reference->second,
                    baseline.c_str());
    }
}

}  // namespace pastiq::bench
