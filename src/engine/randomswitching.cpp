#include "randomswitching.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "cachedtimetext.h"
#include "clock.h"
#include "datetime.h"
#include "relayword.h"
#include "store.h"

namespace quibrano {
namespace {

PerWindow<CachedTimeText> startTexts;
PerWindow<CachedTimeText> endTexts;

// The generator seeded from the clock as the evaluation began. The seed is
// handed over just before the evaluation's first draw: the draws are the
// same as with seeding up front, and the many ticks that draw nothing skip
// the generator's costly re-initialisation.
class TickDraws {
 public:
  TickDraws(RandomSource& random, uint32_t seed) : random_(random), seed_(seed) {}
  int64_t Below(int64_t n) {
    if (!seeded_) random_.Seed(seed_);
    seeded_ = true;
    return random_.Below(n);
  }

 private:
  RandomSource& random_;
  uint32_t seed_;
  bool seeded_ = false;
};

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Ordinal text order: with fixed-width 24-hour texts this is the clock's order.
bool IsActive(const std::string& now, const std::string& start, const std::string& end) {
  const bool normal = start < end;
  if (normal) return now > start && now <= end;
  return now > start || now <= end;  // the window spans midnight
}

// Off about three times as long as on, on for at least one minute. The
// products are taken in 64 bits so a MaxMinutes near the top of its range
// cannot overflow; what is stored is held to the counters' range.
void DrawCountdowns(TickDraws& random, int64_t maxMinutes, int32_t& onCountdown,
                    int32_t& offCountdown) {
  int64_t on = random.Below(3 * maxMinutes);
  if (on <= 1) on = 2;
  onCountdown = ClampToInt32(on);
  int64_t onTime = random.Below(maxMinutes);
  if (onTime == 0) onTime = 1;
  offCountdown = ClampToInt32(onTime + onCountdown);
}

void EvaluateWindow(uint8_t r, int w, const std::string& now, TickDraws& random) {
  const int32_t maxMinutes = store.MaxMinutes[r][w];
  if (maxMinutes <= 0) return;
  const std::string& end = endTexts[r][w].Of(store.WindowEnd[r][w]);
  if (!IsActive(now, startTexts[r][w].Of(store.WindowStart[r][w]), end)) return;

  int32_t& onCountdown = store.OnCountdown[r][w];
  int32_t& offCountdown = store.OffCountdown[r][w];
  if (store.MinuteFlag) {
    onCountdown = ClampToInt32(static_cast<int64_t>(onCountdown) - 1);
    offCountdown = ClampToInt32(static_cast<int64_t>(offCountdown) - 1);
  }
  if (onCountdown == 0) SetRelay(r);
  if (offCountdown == 0) ClearRelay(r);
  if (offCountdown <= 0) DrawCountdowns(random, maxMinutes, onCountdown, offCountdown);
  if (end == now) {
    ClearRelay(r);
    offCountdown = 0;
  }
}

}  // namespace

void EvaluateRandomSwitching() {
  const std::string now = TimeText(store.NowTime);
  TickDraws random(GetRandom(), static_cast<uint32_t>(GetClock().Now().ms));
  for (uint8_t r = 0; r < kRelays; ++r) {
    if (Modes(r) != Random) continue;
    for (int w = 0; w < kWindows; ++w) EvaluateWindow(r, w, now, random);
  }
  store.MinuteFlag = false;
}

}  // namespace quibrano
