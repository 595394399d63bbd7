#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

namespace pastiq::bench {

// The console report plus, at the end, each measured benchmark's CPU time as a multiple of its
// baseline's from the same run. CPU time, because the machine is shared and wall time mostly
// measures the neighbours.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Pairs of (benchmark name, baseline name).
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> comparisons);

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    std::vector<std::pair<std::string, std::string>> comparisons_;
    std::map<std::string, double> secondsPerIteration_;
};

}  // namespace pastiq::bench
