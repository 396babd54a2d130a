// Whether a once-a-second timer kept step with the wall clock: which wall-clock
// seconds got no tick, which got more than one, and where in its second each
// tick fell.
#pragma once

#include <cstdint>
#include <vector>

#include "stats.h"

namespace quibrano::bench {

struct TickAnalysis {
  int64_t seconds = 0;  // wall-clock seconds examined
  int64_t skipped = 0;  // of them, seconds without a tick
  int64_t doubled = 0;  // of them, seconds with two ticks or more
  Summary offsets;      // ms from the start of its second, of every tick examined
};

// Examines the whole seconds firstSecond..lastSecond (wall-clock ms / 1000,
// rounded down); ticks outside them are not looked at. tickWallMs need not be
// sorted.
TickAnalysis AnalyzeTicks(const std::vector<double>& tickWallMs, int64_t firstSecond, int64_t lastSecond);

}  // namespace quibrano::bench
