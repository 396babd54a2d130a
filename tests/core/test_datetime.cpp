#include <gtest/gtest.h>

#include <clocale>

#include "clock.h"
#include "datetime.h"
#include "store.h"

namespace quibrano {
namespace {

TEST(DateTime, DayCountsStartOn30December1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(2008, 5, 1), 39569.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  const CivilDate d = DecodeDate(46367.75);
  EXPECT_EQ(d.year, 2026);
  EXPECT_EQ(d.month, 12);
  EXPECT_EQ(d.day, 11);
  EXPECT_EQ(WeekdayOf(0), 6);                         // a Saturday
  EXPECT_EQ(WeekdayOf(EncodeDate(2026, 12, 14)), 1);  // a Monday
  EXPECT_STREQ(WeekdayName(WeekdayOf(EncodeDate(2026, 12, 13))), "So");
}

TEST(DateTime, TimeTextIsTwentyFourHourFromTheValueRoundedToTheMillisecond) {
  EXPECT_EQ(TimeText(0.0), "00:00:00");
  EXPECT_EQ(TimeText(0.5), "12:00:00");
  EXPECT_EQ(TimeText(EncodeTime(14, 30, 0)), "14:30:00");
  EXPECT_EQ(TimeText(EncodeTime(23, 59, 59, 999)), "23:59:59");
  // A whole-day part is ignored, and a value a hair below a second shows it.
  EXPECT_EQ(TimeText(39569.0 + EncodeTime(20, 12, 0)), "20:12:00");
  EXPECT_EQ(TimeText(EncodeTime(14, 30, 0) - 1e-12), "14:30:00");
  EXPECT_EQ(TimeText(6.04166666666667E-0001), "14:30:00");
  // Negative values count their fraction away from zero; junk gives midnight.
  EXPECT_EQ(TimeText(-1.5), "12:00:00");
  EXPECT_EQ(TimeText(1e300), "00:00:00");
  EXPECT_EQ(TimeText(__builtin_nan("")), "00:00:00");
}

TEST(DateTime, DateTextFollowsTheLocaleShortDateFormat) {
  EXPECT_EQ(DateText(EncodeDate(2026, 12, 11)), "12/11/26");
  if (std::setlocale(LC_TIME, "de_DE.UTF-8") != nullptr) {
    EXPECT_EQ(DateText(EncodeDate(2026, 12, 11)), "11.12.2026");
    EXPECT_EQ(TimeText(0.75), "18:00:00");
    std::setlocale(LC_TIME, "C.UTF-8");
  }
}

TEST(FakeClockTest, AdvancesAcrossMidnight) {
  FakeClock clock;
  clock.Set({100, static_cast<int32_t>(kMsPerDay - 500)});
  clock.Advance(1000);
  EXPECT_EQ(clock.Now().day, 101);
  EXPECT_EQ(clock.Now().ms, 500);
}

TEST(StoreDefaults, TodayAndTheCurrentTimeReadAnewPerEntry) {
  // A clock that moves one second on every reading shows that each
  // time entry takes its own reading.
  class TickingClock : public Clock {
   public:
    LocalTime Now() const override {
      LocalTime t{46367, static_cast<int32_t>(calls_ * 1000)};
      ++calls_;
      return t;
    }
    mutable int calls_ = 0;
  } clock;
  SetClock(&clock);
  ResetStore();
  store.PortNumber = 5;
  store.IntTable[3][4] = 9;
  store.SecondsTimer[2].Elapsed = 7;
  store.MaxMinutes[1][2] = 4;
  SetConfigDefaults();
  SetClock(nullptr);

  EXPECT_EQ(store.PortNumber, 5);
  EXPECT_EQ(store.IntTable[3][4], 0);
  EXPECT_EQ(store.SecondsTimer[2].Elapsed, 0);
  EXPECT_EQ(store.MaxMinutes[1][2], 0);
  EXPECT_EQ(ProgramDate(5, 5), 46367.0);
  EXPECT_NE(TimeText(ProgramStart(0, 0)), TimeText(ProgramStart(0, 1)));
  EXPECT_NE(TimeText(store.WindowStart[0][0]), TimeText(store.WindowEnd[0][0]));
  EXPECT_LT(ProgramStart(0, 0), 1.0);
}

}  // namespace
}  // namespace quibrano
