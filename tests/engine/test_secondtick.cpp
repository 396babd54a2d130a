#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>
#include <vector>

#include "enginetest.h"

namespace quibrano {
namespace {

using SecondTickTest = EngineTest;

TEST_F(SecondTickTest, StatusTextsAndSnapshotOfATick) {
  StartAt(kMonday, 14, 0, 0);
  const StatusTexts texts = Tick();
  EXPECT_EQ(texts.dateLine, "Mo ,  12/14/26");
  EXPECT_EQ(texts.timeLine, "14:00:00");
  EXPECT_EQ(store.WeekdayIndex, 1);
  EXPECT_EQ(store.WeekdayName, "Mo");
  EXPECT_EQ(store.NowDate, EncodeDate(2026, 12, 14));
  EXPECT_GE(store.NowTime, EncodeTime(14, 0, 0));
  EXPECT_LT(store.NowTime, EncodeTime(14, 0, 1));
  EXPECT_EQ(store.SecondsText, "00");

  StartAt({2027, 1, 3}, 9, 5, 7);
  const StatusTexts later = Tick();
  EXPECT_EQ(later.dateLine, "So ,  01/03/27");
  EXPECT_EQ(later.timeLine, "09:05:07");
  EXPECT_EQ(store.SecondsText, "07");
}

TEST_F(SecondTickTest, WeekdayNamesComeFromTheFixedTable) {
  const std::vector<std::string> expected = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
  StartAt(kMonday, 12, 0, 0);
  for (size_t day = 0; day < expected.size(); ++day) {
    const StatusTexts texts = Tick();
    EXPECT_EQ(store.WeekdayName, expected[day]);
    EXPECT_EQ(store.WeekdayIndex, static_cast<int32_t>((day + 1) % 7));
    EXPECT_EQ(texts.dateLine.substr(0, 6), expected[day] + " ,  ");
    clock_.Advance(kMsPerDay - 1000);
  }
}

// The date follows the locale; the weekday and the time text do not.
TEST_F(SecondTickTest, UnderAGermanLocaleOnlyTheDateChanges) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 missing";
  StartAt(kMonday, 14, 0, 0);
  const StatusTexts texts = Tick();
  std::setlocale(LC_ALL, "C.UTF-8");
  EXPECT_EQ(texts.dateLine, "Mo ,  14.12.2026");
  EXPECT_EQ(texts.timeLine, "14:00:00");
  EXPECT_EQ(store.SecondsText, "00");
}

// A random window that is always active shows the minute ticks: its
// countdowns move only when MinuteFlag is set.
class MinuteTickTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Modes(0) = Random;
    store.MaxMinutes[0][0] = 5;
    store.WindowStart[0][0] = store.WindowEnd[0][0] = EncodeTime(3, 0, 0);
    store.OnCountdown[0][0] = 1000;
    store.OffCountdown[0][0] = 2000;
  }
  std::vector<int> MinuteTicks(int ticks) {
    std::vector<int> found;
    for (int k = 1; k <= ticks; ++k) {
      const int32_t before = store.OnCountdown[0][0];
      Tick();
      if (store.OnCountdown[0][0] != before) found.push_back(k);
      EXPECT_FALSE(store.MinuteFlag) << "the flag lives for one tick only";
    }
    return found;
  }
};

TEST_F(MinuteTickTest, EverySixtiethTickSinceStartUpNotTheClocksMinute) {
  StartAt(kMonday, 12, 0, 30);
  EXPECT_EQ(MinuteTicks(185), (std::vector<int>{60, 120, 180}));
  EXPECT_EQ(store.OnCountdown[0][0], 997);
  EXPECT_EQ(store.OffCountdown[0][0], 1997);
  EXPECT_EQ(store.SecondCount, 5);
}

TEST_F(MinuteTickTest, ACountPastTheMinuteWrapsAtOnce) {
  StartAt(kMonday, 12, 0, 30);
  store.SecondCount = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(MinuteTicks(61), (std::vector<int>{1, 61}));
}

// Seconds timers after START (Elapsed 0) or after start-up/RESET (-1): the
// ticks (1 = first tick after the event) at which the relay changes.
struct SecondsTimerRow {
  const char* name;
  int32_t elapsed;
  int32_t startAfter;
  int32_t endAfter;
  int32_t repeat;
  bool initiallyOn;
  int ticks;
  std::vector<int> changes;
};

class SecondsTimerTiming : public EngineTest,
                           public ::testing::WithParamInterface<SecondsTimerRow> {};

TEST_P(SecondsTimerTiming, RelayChangesAtTheExpectedTicks) {
  const SecondsTimerRow& row = GetParam();
  StartAt(kMonday, 10, 0, 0);
  const uint8_t r = 3;
  Modes(r) = SecTimer;
  store.SecondsTimer[r] = {row.repeat, row.startAfter, row.endAfter, row.elapsed};
  if (row.initiallyOn) SetRelay(r);
  std::vector<int> changes;
  bool was = RelayIsOn(r);
  for (int k = 1; k <= row.ticks; ++k) {
    Tick();
    if (RelayIsOn(r) != was) changes.push_back(k);
    was = RelayIsOn(r);
    EXPECT_EQ(store.RelayWord & ~(1u << r), 0u) << "only its own relay";
  }
  EXPECT_EQ(changes, row.changes);
}

INSTANTIATE_TEST_SUITE_P(
    Timings, SecondsTimerTiming,
    ::testing::Values(
        SecondsTimerRow{"AfterStart", 0, 5, 10, 0, false, 40, {5, 10}},
        SecondsTimerRow{"AfterResetOneTickLater", -1, 5, 10, 0, false, 40, {6, 11}},
        // On 30, off 31, period 61.
        SecondsTimerRow{"RepeatBlinker", 0, 30, 60, 1, false, 200, {30, 60, 91, 121, 152, 182}},
        SecondsTimerRow{"RepeatBlinkerAfterReset", -1, 30, 60, 1, false, 200,
                        {31, 61, 92, 122, 153, 183}},
        SecondsTimerRow{"RepeatOtherThanOneRunsOnce", 0, 5, 10, 2, false, 40, {5, 10}},
        SecondsTimerRow{"StartEqualsEndNeverOn", 0, 5, 5, 0, false, 20, {}},
        SecondsTimerRow{"StartEqualsEndClearsAnOnRelay", 0, 5, 5, 0, true, 20, {5}},
        SecondsTimerRow{"StartAfterEndStaysOn", 0, 10, 5, 0, true, 40, {5, 10}},
        SecondsTimerRow{"StartAfterEndWithRepeatNeverOn", 0, 10, 5, 1, true, 40, {5}},
        SecondsTimerRow{"StartZeroAfterReset", -1, 0, 3, 1, false, 12, {1, 4, 5, 8, 9, 12}},
        SecondsTimerRow{"StartZeroAfterStartSkipsTheFirstCycle", 0, 0, 3, 1, false, 12,
                        {4, 7, 8, 11, 12}},
        SecondsTimerRow{"NegativeEndNeverRestarts", 0, 2, -1, 1, false, 30, {2}},
        SecondsTimerRow{"NegativeStartNeverOn", 0, -2, 4, 1, false, 30, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SecondTickTest, ElapsedCountsForEveryRelayAndStopsAtTheTopOfItsRange) {
  StartAt(kMonday, 10, 0, 0);
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  const int32_t start[kRelays] = {-1, 0, 41, kMax - 1, kMax, std::numeric_limits<int32_t>::min()};
  for (int r = 0; r < kRelays; ++r) store.SecondsTimer[r].Elapsed = start[r];
  Modes(3) = SecTimer;
  Modes(4) = SecTimer;
  store.SecondsTimer[4].StartAfter = kMax;
  Tick();
  Tick();
  const int32_t expected[kRelays] = {1, 2, 43, kMax, kMax, std::numeric_limits<int32_t>::min() + 2};
  for (int r = 0; r < kRelays; ++r) EXPECT_EQ(store.SecondsTimer[r].Elapsed, expected[r]) << r;
  EXPECT_TRUE(RelayIsOn(4));
}

TEST_F(SecondTickTest, ClockPulseOnAtFiftyEightOffAtZero) {
  StartAt(kMonday, 12, 0, 50);
  Modes(5) = ClockPulse;
  EXPECT_EQ(Run(75, 5),
            (std::vector<std::string>{"Mo 12:00:58 on", "Mo 12:01:00 off", "Mo 12:01:58 on",
                                      "Mo 12:02:00 off"}));
}

TEST_F(SecondTickTest, ClockPulseWithoutATickAtSecondZeroStaysOnToTheNextMinute) {
  StartAt(kMonday, 12, 0, 57);
  Modes(5) = ClockPulse;
  Tick();
  Tick();
  ASSERT_TRUE(RelayIsOn(5));
  Tick();                // 12:00:59
  clock_.Advance(1000);  // the tick of 12:01:00 never comes
  EXPECT_EQ(Run(60, 5), (std::vector<std::string>{"Mo 12:02:00 off"}));
}

TEST_F(SecondTickTest, ClockPulseDrivesRelaySixOnly) {
  StartAt(kMonday, 12, 0, 57);
  for (int r = 0; r < kRelays - 1; ++r) Modes(r) = ClockPulse;
  store.RelayWord = 0b011010;
  Tick();
  EXPECT_EQ(store.RelayWord, 0b011010);
  Tick();
  Tick();
  Tick();
  EXPECT_EQ(store.RelayWord, 0b011010);
  // Relay 6 in another mode is left alone as well.
  Modes(5) = Timer;
  SetRelay(5);
  StartAt(kMonday, 12, 0, 0);
  Tick();
  EXPECT_TRUE(RelayIsOn(5));
}

// Every rule is armed for every relay at 12:00:58; only the modes decide
// which rule may act.
class ArmedTickTest : public EngineTest {
 protected:
  uint8_t TickWithModes(const int32_t (&modes)[kRelays]) {
    StartUpStore();
    for (int r = 0; r < kRelays; ++r) {
      Modes(r) = modes[r];
      ProgramDay(r, 0) = 10;
      ProgramStart(r, 0) = EncodeTime(12, 0, 58);
      store.SecondsTimer[r] = {0, 0, 100, -1};
      store.MaxMinutes[r][0] = 5;
      store.WindowStart[r][0] = store.WindowEnd[r][0] = EncodeTime(3, 0, 0);
      store.OffCountdown[r][0] = 5;
    }
    StartAt(kMonday, 12, 0, 58);
    Tick();
    return store.RelayWord;
  }
};

TEST_F(ArmedTickTest, EachRuleActsOnItsOwnModeOnly) {
  EXPECT_EQ(TickWithModes({Timer, SecTimer, Random, Timer, SecTimer, ClockPulse}), 0b111111);
  EXPECT_EQ(TickWithModes({Timer, Toggle, Random, IfK1NorK2, SecTimer, Toggle}), 0b010101);
}

TEST_F(ArmedTickTest, ModesOutsideTheListActOnNothing) {
  for (const int32_t mode : {-1, 11, 1000, std::numeric_limits<int32_t>::min(),
                             std::numeric_limits<int32_t>::max()}) {
    const int32_t modes[kRelays] = {mode, mode, mode, mode, mode, mode};
    EXPECT_EQ(TickWithModes(modes), 0) << "mode " << mode;
  }
  // The clock pulse belongs to relay 6 alone.
  EXPECT_EQ(TickWithModes({ClockPulse, ClockPulse, ClockPulse, ClockPulse, ClockPulse, Toggle}), 0);
}

TEST_F(SecondTickTest, PendingCloseRunsTheHookAfterTheRulesAndGoesIdle) {
  StartAt(kMonday, 12, 0, 58);
  Modes(5) = ClockPulse;
  // Random switching, the last rule, switches relay 1 on in this tick.
  Modes(0) = Random;
  store.MaxMinutes[0][0] = 5;
  store.WindowStart[0][0] = store.WindowEnd[0][0] = EncodeTime(3, 0, 0);
  store.OffCountdown[0][0] = 5;
  int calls = 0;
  uint8_t seen = 0;
  SetServerCloseHook([&] {
    ++calls;
    seen = store.RelayWord;
    EXPECT_EQ(store.RemoteState, ClosePending);
  });
  store.RemoteState = ClosePending;
  Tick();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, 0b100001);
  EXPECT_EQ(store.RemoteState, Idle);
  Tick();
  EXPECT_EQ(calls, 1);
}

TEST_F(SecondTickTest, OtherRemoteStatesAreLeftAndNoHookIsNeeded) {
  StartAt(kMonday, 12, 0, 0);
  int calls = 0;
  SetServerCloseHook([&] { ++calls; });
  for (const int32_t state : {int32_t{Idle}, int32_t{DropRequested}, int32_t{Refused},
                              int32_t{LoggedIn}, int32_t{5}, int32_t{-1}}) {
    store.RemoteState = state;
    Tick();
    EXPECT_EQ(store.RemoteState, state);
  }
  EXPECT_EQ(calls, 0);
  SetServerCloseHook(nullptr);
  store.RemoteState = ClosePending;
  Tick();
  EXPECT_EQ(store.RemoteState, Idle);
}

}  // namespace
}  // namespace quibrano
