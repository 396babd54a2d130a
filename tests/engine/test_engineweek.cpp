// A whole week of ticks with every relay busy: timer programs, a seconds
// timer, random windows and the clock pulse side by side.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "enginetest.h"

namespace quibrano {
namespace {

using EngineWeek = EngineTest;

TEST_F(EngineWeek, EveryRuleKeepsToItsOwnRelayThroughAWeek) {
  // Relay 1: Mo-Fr 07:30-17:00, Sa-So 09:00-12:00, and 20:00-04:00 every
  // day; the other slots on a date long past.
  Modes(0) = Timer;
  for (int p = 0; p < kSlots; ++p) ProgramDate(0, p) = EncodeDate(2001, 1, 1);
  ProgramDay(0, 0) = 8;
  ProgramStart(0, 0) = EncodeTime(7, 30, 0);
  ProgramEnd(0, 0) = EncodeTime(17, 0, 0);
  ProgramDay(0, 1) = 9;
  ProgramStart(0, 1) = EncodeTime(9, 0, 0);
  ProgramEnd(0, 1) = EncodeTime(12, 0, 0);
  ProgramDay(0, 2) = 10;
  ProgramStart(0, 2) = EncodeTime(20, 0, 0);
  ProgramEnd(0, 2) = EncodeTime(4, 0, 0);
  // Relay 2: random in three windows; relay 3: a 30/60 blinker.
  Modes(1) = Random;
  const int32_t windows[kWindows][3] = {{6, 0, 8}, {12, 0, 14}, {22, 0, 2}};
  for (int w = 0; w < kWindows; ++w) {
    store.MaxMinutes[1][w] = 10;
    store.WindowStart[1][w] = EncodeTime(windows[w][0], 0, 0);
    store.WindowEnd[1][w] = EncodeTime(windows[w][2], 0, 0);
  }
  Modes(2) = SecTimer;
  store.SecondsTimer[2] = {1, 30, 60, 0};
  // Relay 4: Date program on Wednesday; relay 5: random all day long.
  Modes(3) = Timer;
  for (int p = 0; p < kSlots; ++p) ProgramDate(3, p) = EncodeDate(2026, 12, 16);
  ProgramStart(3, 0) = EncodeTime(10, 0, 0);
  ProgramEnd(3, 0) = EncodeTime(11, 0, 0);
  Modes(4) = Random;
  store.MaxMinutes[4][0] = 3;
  store.WindowStart[4][0] = store.WindowEnd[4][0] = EncodeTime(0, 0, 0);
  Modes(5) = ClockPulse;
  store.RelayWord = 0xC0;  // the poll cycle's input bits

  StartAt(kMonday, 0, 0, 0);
  std::array<int, kRelays> ons{};
  std::array<int64_t, kRelays> onTicks{};
  std::array<int64_t, kRelays> run{};      // ticks on since the last switch-on
  std::array<int64_t, kRelays> longest{};  // the longest such run
  int64_t relay2OutsideWindows = 0;
  uint8_t before = store.RelayWord;
  for (int64_t tick = 0; tick < 7 * 86400; ++tick) {
    Tick();
    const uint8_t now = store.RelayWord;
    ASSERT_EQ(now & 0xC0, 0xC0) << "input bits changed at tick " << tick;
    for (uint8_t r = 0; r < kRelays; ++r) {
      if (RelayIsOn(r)) ++onTicks[r];
      run[r] = RelayIsOn(r) ? run[r] + 1 : 0;
      if (run[r] > longest[r]) longest[r] = run[r];
      if ((now & ~before) & (1u << r)) ++ons[r];
    }
    const std::string t = TimeText(store.NowTime);
    const bool inWindow = (t > "06:00:00" && t <= "08:00:00") ||
                          (t > "12:00:00" && t <= "14:00:00") || t > "22:00:00" || t <= "02:00:00";
    if (RelayIsOn(1) && !inWindow) ++relay2OutsideWindows;
    before = now;
  }

  // Relay 1: five workdays, two weekend days and seven evenings.
  EXPECT_EQ(ons[0], 5 + 2 + 7);
  EXPECT_EQ(onTicks[0], 5 * (9 * 3600 + 30 * 60) + 2 * 3 * 3600 + 6 * 8 * 3600 + 4 * 3600);
  // Relay 2 only inside its windows, and it did switch there.
  EXPECT_EQ(relay2OutsideWindows, 0);
  EXPECT_GT(ons[1], 7 * 3);
  EXPECT_LE(longest[1], 9 * 60);
  // Relay 3: on 30 ticks of every 61, counted from START.
  const int64_t ticks = 7 * 86400;
  EXPECT_EQ(ons[2], (ticks - 30) / 61 + 1);
  // Relay 4: one hour on Wednesday.
  EXPECT_EQ(ons[3], 1);
  EXPECT_EQ(onTicks[3], 3600);
  // Relay 5: on and off all week, never on longer than MaxMinutes - 1
  // minutes, which a draw allows.
  EXPECT_GT(ons[4], 7 * 24 * 60 / 12);
  EXPECT_LE(longest[4], 2 * 60);
  // Relay 6: a pulse of two ticks in every minute.
  EXPECT_EQ(ons[5], 7 * 1440);
  EXPECT_EQ(onTicks[5], 7 * 1440 * 2);
}

}  // namespace
}  // namespace quibrano
