#include "secondtick.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "clock.h"
#include "datetime.h"
#include "randomswitching.h"
#include "relayword.h"
#include "store.h"
#include "timerprograms.h"

namespace quibrano {
namespace {

constexpr int32_t kTicksPerMinute = 60;

std::function<void()>& ServerCloseHook() {
  static std::function<void()> hook;
  return hook;
}

// A count loaded from a file may already stand at the top of the range; it
// stays there rather than overflowing.
int32_t CountUp(int32_t value) {
  return value == std::numeric_limits<int32_t>::max() ? value : value + 1;
}

// Characters 7 and 8 of the time text, counting from 1; fewer when the text
// is shorter.
std::string SecondsOf(const std::string& timeText) {
  return timeText.size() > 6 ? timeText.substr(6, 2) : std::string();
}

}  // namespace

void SetServerCloseHook(std::function<void()> hook) { ServerCloseHook() = std::move(hook); }

StatusTexts SecondTick() {
  for (auto& timer : store.SecondsTimer) timer.Elapsed = CountUp(timer.Elapsed);

  const Clock& clock = GetClock();
  store.WeekdayIndex = WeekdayOf(DateOf(clock.Now()));
  store.WeekdayName = WeekdayName(store.WeekdayIndex);
  store.NowTime = TimeOfDayOf(clock.Now());
  store.NowDate = DateOf(clock.Now());

  StatusTexts texts;
  texts.dateLine = store.WeekdayName + " ,  " + DateText(store.NowDate);
  texts.timeLine = TimeText(store.NowTime);
  store.SecondsText = SecondsOf(texts.timeLine);

  // Counted in ticks since start-up, not from the clock's minute. A count
  // past the minute (only ever set from outside) wraps at once instead of
  // climbing towards overflow.
  if (static_cast<int64_t>(store.SecondCount) + 1 >= kTicksPerMinute) {
    store.SecondCount = 0;
    store.MinuteFlag = true;
  } else {
    ++store.SecondCount;
  }

  EvaluateTimerPrograms();
  EvaluateClockPulse();
  EvaluateSecondsTimers();
  EvaluateRandomSwitching();

  if (store.RemoteState == ClosePending) {
    if (ServerCloseHook()) ServerCloseHook()();
    store.RemoteState = Idle;
  }
  return texts;
}

void EvaluateClockPulse() {
  constexpr uint8_t kPulseRelay = 5;
  if (Modes(kPulseRelay) != ClockPulse) return;
  if (store.SecondsText == "58") SetRelay(kPulseRelay);
  if (store.SecondsText == "00") ClearRelay(kPulseRelay);
}

void EvaluateSecondsTimers() {
  for (uint8_t r = 0; r < kRelays; ++r) {
    if (Modes(r) != SecTimer) continue;
    SecondsTimerRecord& timer = store.SecondsTimer[r];
    if (timer.StartAfter == timer.Elapsed) SetRelay(r);
    if (timer.EndAfter == timer.Elapsed) {
      ClearRelay(r);
      if (timer.Repeat == 1) timer.Elapsed = -1;
    }
  }
}

}  // namespace quibrano
