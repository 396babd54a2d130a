#include "timerprograms.h"

#include <array>
#include <string>

#include "cachedtimetext.h"
#include "datetime.h"
#include "relayword.h"
#include "store.h"

namespace quibrano {
namespace {

enum DayCode : int32_t {
  OnDate = 0,
  // 1 (Sunday) to 7 (Saturday): WeekdayIndex + 1.
  FirstWeekday = 1,
  LastWeekday = 7,
  MondayToFriday = 8,
  SaturdayAndSunday = 9,
  EveryDay = 10,
};

using SlotTexts = std::array<std::array<CachedTimeText, kSlots>, kRelays>;
SlotTexts startTexts;
SlotTexts endTexts;

bool DayMatches(int32_t code, double programDate) {
  const int32_t weekday = store.WeekdayIndex;
  if (code == OnDate) return store.NowDate == programDate;
  if (code >= FirstWeekday && code <= LastWeekday) return code == weekday + 1;
  if (code == MondayToFriday) return weekday >= 1 && weekday <= 5;
  if (code == SaturdayAndSunday) return weekday == 0 || weekday == 6;
  if (code == EveryDay) return true;
  return false;
}

}  // namespace

void EvaluateTimerPrograms() {
  const std::string now = TimeText(store.NowTime);
  for (uint8_t r = 0; r < kRelays; ++r) {
    if (Modes(r) != Timer) continue;
    for (int p = 0; p < kSlots; ++p) {
      if (!DayMatches(ProgramDay(r, p), ProgramDate(r, p))) continue;
      // Start before end: a program starting and ending in the same second
      // leaves its relay off.
      if (startTexts[r][p].Of(ProgramStart(r, p)) == now) SetRelay(r);
      if (endTexts[r][p].Of(ProgramEnd(r, p)) == now) ClearRelay(r);
    }
  }
}

}  // namespace quibrano
