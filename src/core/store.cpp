#include "store.h"

#include "clock.h"
#include "datetime.h"

namespace quibrano {

Store store;

void ResetStore() { store = Store{}; }

void SetConfigDefaults() {
  for (auto& row : store.IntTable) row.fill(0);
  for (auto& t : store.SecondsTimer) t = SecondsTimerRecord{};
  for (auto& row : store.RandomSel) row.fill(0);
  for (auto& row : store.MaxMinutes) row.fill(0);

  const Clock& clock = GetClock();
  const double today = DateOf(clock.Now());
  for (int r = 0; r < kRelays; ++r)
    for (int p = 0; p < kSlots; ++p) ProgramDate(r, p) = today;
  // The time is read anew for every entry, as a slow load would see it.
  for (int r = 0; r < kRelays; ++r)
    for (int p = 0; p < kSlots; ++p) ProgramStart(r, p) = TimeOfDayOf(clock.Now());
  for (int r = 0; r < kRelays; ++r)
    for (int p = 0; p < kSlots; ++p) ProgramEnd(r, p) = TimeOfDayOf(clock.Now());
  for (int r = 0; r < kRelays; ++r)
    for (int w = 0; w < kWindows; ++w) {
      store.WindowStart[r][w] = TimeOfDayOf(clock.Now());
      store.WindowEnd[r][w] = TimeOfDayOf(clock.Now());
    }
}

}  // namespace quibrano
