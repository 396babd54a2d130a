#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "enginetest.h"
#include "randomswitching.h"

namespace quibrano {
namespace {

class RandomSwitchingTest : public EngineTest {
 protected:
  void Window(int r, int w, int32_t maxMinutes, double start, double end) {
    Modes(r) = Random;
    store.MaxMinutes[r][w] = maxMinutes;
    store.WindowStart[r][w] = start;
    store.WindowEnd[r][w] = end;
  }
  // One evaluation at the given time of day, outside a minute tick.
  void EvaluateAt(double time, bool minuteTick = false) {
    store.NowTime = time;
    store.MinuteFlag = minuteTick;
    EvaluateRandomSwitching();
  }
};

// Where in the day a window of relay 1 is active, as "from-to" ranges of
// time texts. A probe whose OnCountdown is 0 switches the relay on in every
// active second, and a probe's OffCountdown moves only there.
struct ActivityRow {
  const char* name;
  int32_t maxMinutes;
  double start;
  double end;
  std::string ranges;
};

class WindowActivity : public RandomSwitchingTest,
                       public ::testing::WithParamInterface<ActivityRow> {};

TEST_P(WindowActivity, ActiveFromTheSecondAfterItsStartUpToAndIncludingItsEnd) {
  const ActivityRow& row = GetParam();
  Window(0, 1, row.maxMinutes, row.start, row.end);
  std::string ranges;
  int32_t from = -1;
  for (int32_t s = 0; s <= 86400; ++s) {
    bool active = false;
    if (s < 86400) {
      store.RelayWord = 0;
      store.OnCountdown[0][1] = 0;
      store.OffCountdown[0][1] = 1000;
      EvaluateAt(EncodeTime(0, 0, s));
      active = RelayIsOn(0) || store.OffCountdown[0][1] != 1000;
    }
    if (active && from < 0) from = s;
    if (!active && from >= 0) {
      if (!ranges.empty()) ranges += " ";
      ranges += TimeText(EncodeTime(0, 0, from)) + "-" + TimeText(EncodeTime(0, 0, s - 1));
      from = -1;
    }
  }
  EXPECT_EQ(ranges, row.ranges);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowActivity,
    ::testing::Values(
        ActivityRow{"Morning", 5, EncodeTime(8, 0, 0), EncodeTime(10, 0, 0), "08:00:01-10:00:00"},
        ActivityRow{"OverMidnight", 5, EncodeTime(22, 0, 0), EncodeTime(6, 0, 0),
                    "00:00:00-06:00:00 22:00:01-23:59:59"},
        ActivityRow{"StartEqualsEnd", 5, EncodeTime(12, 0, 0), EncodeTime(12, 0, 0),
                    "00:00:00-23:59:59"},
        // Whole-day parts and milliseconds do not reach the time texts.
        ActivityRow{"DayPartsIgnored", 5, 46000.0 + EncodeTime(8, 0, 0, 300),
                    EncodeTime(9, 0, 0) - 1e-12, "08:00:01-09:00:00"},
        ActivityRow{"MaxMinutesZero", 0, EncodeTime(8, 0, 0), EncodeTime(10, 0, 0), ""},
        ActivityRow{"MaxMinutesNegative", -3, EncodeTime(8, 0, 0), EncodeTime(10, 0, 0), ""},
        ActivityRow{"MaxMinutesLowest", std::numeric_limits<int32_t>::min(), EncodeTime(8, 0, 0),
                    EncodeTime(10, 0, 0), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RandomSwitchingTest, TheEndClearsTheRelayAndTheNextPeriodStartsWithAFreshDraw) {
  Window(2, 0, 5, EncodeTime(8, 0, 0), EncodeTime(10, 0, 0));
  SetRelay(2);
  store.OnCountdown[2][0] = -1;
  store.OffCountdown[2][0] = 3;
  EvaluateAt(EncodeTime(10, 0, 0));
  EXPECT_FALSE(RelayIsOn(2));
  EXPECT_EQ(store.OffCountdown[2][0], 0);
  EXPECT_EQ(store.OnCountdown[2][0], -1);

  SetRelay(2);  // by hand, after the window
  EvaluateAt(EncodeTime(10, 0, 1), true);
  EXPECT_TRUE(RelayIsOn(2));
  EXPECT_EQ(store.OffCountdown[2][0], 0) << "frozen outside the window";

  EvaluateAt(EncodeTime(8, 0, 1));
  EXPECT_FALSE(RelayIsOn(2)) << "a new period begins with a clear";
  EXPECT_GE(store.OnCountdown[2][0], 2);
  EXPECT_LE(store.OnCountdown[2][0], 14);
  EXPECT_GE(store.OffCountdown[2][0] - store.OnCountdown[2][0], 1);
  EXPECT_LE(store.OffCountdown[2][0] - store.OnCountdown[2][0], 4);
}

TEST_F(RandomSwitchingTest, AnEditedWindowTakesEffectAtOnce) {
  Window(0, 0, 5, EncodeTime(8, 0, 0), EncodeTime(10, 0, 0));
  SetRelay(0);
  store.OffCountdown[0][0] = 7;
  EvaluateAt(EncodeTime(9, 0, 0));
  EXPECT_TRUE(RelayIsOn(0));
  store.WindowEnd[0][0] = EncodeTime(9, 0, 1);
  EvaluateAt(EncodeTime(9, 0, 1));
  EXPECT_FALSE(RelayIsOn(0)) << "the new end clears the relay";
  store.WindowStart[0][0] = EncodeTime(9, 0, 3);
  store.OffCountdown[0][0] = 7;
  SetRelay(0);
  EvaluateAt(EncodeTime(9, 0, 2), true);
  EXPECT_EQ(store.OffCountdown[0][0], 7) << "9:00:02 now lies outside the window";
}

TEST_F(RandomSwitchingTest, AMinuteTickAtTheFirstActiveSecondDrawsWithoutAClear) {
  Window(2, 0, 1, EncodeTime(8, 0, 0), EncodeTime(10, 0, 0));
  SetRelay(2);
  EvaluateAt(EncodeTime(8, 0, 1), true);
  EXPECT_TRUE(RelayIsOn(2));
  EXPECT_EQ(store.OnCountdown[2][0], 2);
  EXPECT_EQ(store.OffCountdown[2][0], 3);
}

TEST_F(RandomSwitchingTest, CountdownsAreFrozenOutsideTheWindowAndInOtherModes) {
  Window(0, 0, 5, EncodeTime(8, 0, 0), EncodeTime(10, 0, 0));
  store.OnCountdown[0][0] = 5;
  store.OffCountdown[0][0] = 9;
  const int32_t otherModes[] = {Toggle, Timer, SecTimer, ClockPulse, -1, 11};
  for (const int32_t mode : otherModes) {
    Modes(0) = mode;
    EvaluateAt(EncodeTime(9, 0, 0), true);
    EXPECT_FALSE(store.MinuteFlag);
  }
  Modes(0) = Random;
  EvaluateAt(EncodeTime(11, 0, 0), true);
  EXPECT_EQ(store.OnCountdown[0][0], 5);
  EXPECT_EQ(store.OffCountdown[0][0], 9);
  EvaluateAt(EncodeTime(9, 0, 0), true);
  EXPECT_EQ(store.OnCountdown[0][0], 4);
  EXPECT_EQ(store.OffCountdown[0][0], 8);
  EvaluateAt(EncodeTime(9, 0, 1));
  EXPECT_EQ(store.OnCountdown[0][0], 4) << "only minute ticks count down";
  EXPECT_EQ(store.RelayWord, 0);
}

TEST_F(RandomSwitchingTest, WithinATickTheLaterWindowDecides) {
  const double always = EncodeTime(3, 0, 0);
  Window(4, 0, 5, always, always);
  Window(4, 2, 5, always, always);
  // Window 1 switches on, window 3 off.
  store.OnCountdown[4][0] = 0;
  store.OffCountdown[4][0] = 5;
  store.OnCountdown[4][2] = 4;
  store.OffCountdown[4][2] = 0;
  EvaluateAt(EncodeTime(12, 0, 0));
  EXPECT_FALSE(RelayIsOn(4));
  // And the other way round.
  store.OnCountdown[4][0] = 4;
  store.OffCountdown[4][0] = 0;
  store.OnCountdown[4][2] = 0;
  store.OffCountdown[4][2] = 5;
  EvaluateAt(EncodeTime(12, 0, 0));
  EXPECT_TRUE(RelayIsOn(4));
}

// Off two minutes, on one, for as long as the window lasts. The default
// generator is used: with MaxMinutes 1 every draw is the same.
TEST_F(RandomSwitchingTest, MaxMinutesOneIsOffTwoMinutesOnOne) {
  Window(1, 0, 1, EncodeTime(8, 0, 0), EncodeTime(10, 0, 0));
  StartAt(kMonday, 7, 59, 0);  // minute ticks fall at hh:mm:59
  std::vector<std::string> expected;
  for (int k = 0; k < 40; ++k) {
    expected.push_back("Mo " + TimeText(EncodeTime(8, 1 + 3 * k, 59)) + " on");
    expected.push_back("Mo " + TimeText(EncodeTime(8, 2 + 3 * k, 59)) + " off");
  }
  EXPECT_EQ(Run(2 * 3600 + 600, 1), expected);
}

// A window over midnight with a long on time: switched on two minute ticks
// after the window opens, off by the window's end, again the next night.
TEST_F(RandomSwitchingTest, OverMidnightWindowEndsWithAClear) {
  ScriptedRandom random({2, 599});
  SetRandom(&random);
  Window(3, 1, 600, EncodeTime(22, 0, 0), EncodeTime(6, 0, 0));
  StartAt(kMonday, 21, 59, 0);
  const int64_t ticks = 86400 + 360;
  EXPECT_EQ(Run(ticks, 3),
            (std::vector<std::string>{"Mo 22:01:59 on", "Di 06:00:00 off", "Di 22:01:59 on"}));
  EXPECT_EQ(random.bounds, (std::vector<int64_t>{1800, 600, 1800, 600}));
  // Each night's draws come from a seed of that tick's time of day.
  const uint32_t seed = static_cast<uint32_t>(MsOfDay(22, 0, 1) + 20);
  EXPECT_EQ(random.seeds, (std::vector<uint32_t>{seed, seed}));
}

// The same seed gives the same draws: a tick's draws depend on the time of
// day alone.
TEST_F(RandomSwitchingTest, DrawsFollowTheSeedFromTheClock) {
  Window(0, 0, 1000, EncodeTime(3, 0, 0), EncodeTime(3, 0, 0));
  Window(0, 1, 1000, EncodeTime(3, 0, 0), EncodeTime(3, 0, 0));
  StartAt(kMonday, 12, 0, 0);
  Tick();
  const auto first = store.OnCountdown[0];
  EXPECT_NE(first[0], first[1]) << "draws within a tick follow one another";
  for (auto& row : store.OffCountdown) row.fill(0);
  StartAt(kSaturday, 12, 0, 0);
  Tick();
  EXPECT_EQ(store.OnCountdown[0], first);
}

TEST_F(RandomSwitchingTest, HugeMaxMinutesIsDrawnInWideIntegersAndStoredClamped) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  ScriptedRandom random({std::numeric_limits<int64_t>::max()});  // always the top value
  SetRandom(&random);
  Window(5, 0, kMax, EncodeTime(3, 0, 0), EncodeTime(3, 0, 0));
  Window(5, 1, kMax / 3 + 1, EncodeTime(3, 0, 0), EncodeTime(3, 0, 0));
  EvaluateAt(EncodeTime(12, 0, 0));
  EXPECT_EQ(random.bounds, (std::vector<int64_t>{3LL * kMax, kMax, 3LL * (kMax / 3 + 1), kMax / 3 + 1}));
  EXPECT_EQ(store.OnCountdown[5][0], kMax);
  EXPECT_EQ(store.OffCountdown[5][0], kMax);
  EXPECT_EQ(store.OnCountdown[5][1], kMax);
  EXPECT_EQ(store.OffCountdown[5][1], kMax);

  SetRandom(nullptr);  // the real generator over the same range
  for (auto& row : store.OffCountdown) row.fill(0);
  EvaluateAt(EncodeTime(12, 0, 1));
  for (int w = 0; w < 2; ++w) {
    EXPECT_GE(store.OnCountdown[5][w], 2);
    EXPECT_GT(store.OffCountdown[5][w], store.OnCountdown[5][w] - 1);
  }
}

TEST_F(RandomSwitchingTest, MinuteFlagIsClearedEvenWithNoRandomRelay) {
  store.MinuteFlag = true;
  EvaluateRandomSwitching();
  EXPECT_FALSE(store.MinuteFlag);
}

}  // namespace
}  // namespace quibrano
