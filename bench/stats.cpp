#include "stats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quibrano::bench {

double Percentile(const std::vector<double>& sorted, double q) {
  if (sorted.empty()) return 0;
  const double clamped = std::clamp(q, 0.0, 1.0);
  const auto rank = static_cast<size_t>(std::ceil(clamped * static_cast<double>(sorted.size())));
  return sorted[rank == 0 ? 0 : rank - 1];
}

Summary Summarize(std::vector<double> samples) {
  Summary s;
  if (samples.empty()) return s;
  std::sort(samples.begin(), samples.end());
  s.count = samples.size();
  s.min = samples.front();
  s.max = samples.back();
  s.median = Percentile(samples, 0.5);
  s.p99 = Percentile(samples, 0.99);
  s.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
  return s;
}

}  // namespace quibrano::bench
