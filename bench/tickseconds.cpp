#include "tickseconds.h"

#include <cmath>
#include <map>

namespace quibrano::bench {

TickAnalysis AnalyzeTicks(const std::vector<double>& tickWallMs, int64_t firstSecond, int64_t lastSecond) {
  TickAnalysis result;
  if (lastSecond < firstSecond) return result;
  std::map<int64_t, int> perSecond;
  std::vector<double> offsets;
  for (const double ms : tickWallMs) {
    const auto second = static_cast<int64_t>(std::floor(ms / 1000.0));
    if (second < firstSecond || second > lastSecond) continue;
    ++perSecond[second];
    offsets.push_back(ms - static_cast<double>(second) * 1000.0);
  }
  result.seconds = lastSecond - firstSecond + 1;
  result.skipped = result.seconds - static_cast<int64_t>(perSecond.size());
  for (const auto& [second, ticks] : perSecond)
    if (ticks > 1) ++result.doubled;
  result.offsets = Summarize(std::move(offsets));
  return result;
}

}  // namespace quibrano::bench
