// Order statistics of a set of samples.
#pragma once

#include <cstddef>
#include <vector>

namespace quibrano::bench {

struct Summary {
  size_t count = 0;
  double min = 0;
  double median = 0;
  double p99 = 0;
  double max = 0;
  double mean = 0;
};

// Nearest-rank percentile (q from 0 to 1) of samples sorted ascending: always
// one of the samples, so a p99 of 200 samples is the second largest. 0 for
// no samples.
double Percentile(const std::vector<double>& sorted, double q);

// All zero for no samples.
Summary Summarize(std::vector<double> samples);

}  // namespace quibrano::bench
