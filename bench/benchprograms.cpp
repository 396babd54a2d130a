#include "benchprograms.h"

#include "datetime.h"
#include "store.h"

namespace quibrano::bench {
namespace {

constexpr int32_t kEveryDay = 10;

void Fresh() {
  ResetStore();
  store.PortNumber = 1;
}

double SecondsOfDay(int64_t seconds) {
  const int64_t s = seconds % 86400;
  return EncodeTime(static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
}

}  // namespace

void LoadIdlePrograms() { Fresh(); }

void LoadTimerPrograms() {
  Fresh();
  for (int r = 0; r < kRelays; ++r) {
    Modes(r) = Timer;
    for (int p = 0; p < kSlots; ++p) {
      const int64_t start = (r * kSlots + p) * 2399;  // spread over the day
      ProgramDay(r, p) = kEveryDay;
      ProgramStart(r, p) = SecondsOfDay(start);
      ProgramEnd(r, p) = SecondsOfDay(start + 600);
    }
  }
}

void LoadRandomWindows() {
  Fresh();
  for (int r = 0; r < kRelays; ++r) {
    Modes(r) = Random;
    for (int w = 0; w < kWindows; ++w) {
      store.MaxMinutes[r][w] = 2 + w;
      store.WindowStart[r][w] = SecondsOfDay(0);
      store.WindowEnd[r][w] = SecondsOfDay(86399);
    }
  }
}

void LoadFollowK1() {
  Fresh();
  Modes(0) = IfK1;
}

}  // namespace quibrano::bench
