#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "enginetest.h"
#include "timerprograms.h"

namespace quibrano {
namespace {

enum DayCodeValue : int32_t { Date = 0, Mo = 2, Mi = 4, MoFr = 8, SaSo = 9, MoSo = 10 };

class TimerProgramsTest : public EngineTest {
 protected:
  // Slots that are not set up act on a date long past.
  void SetUp() override {
    EngineTest::SetUp();
    for (int r = 0; r < kRelays; ++r)
      for (int p = 0; p < kSlots; ++p) ProgramDate(r, p) = EncodeDate(2001, 1, 1);
  }
  void Program(int r, int p, int32_t day, double start, double end) {
    Modes(r) = Timer;
    ProgramDay(r, p) = day;
    ProgramStart(r, p) = start;
    ProgramEnd(r, p) = end;
  }
};

TEST_F(TimerProgramsTest, AMoFrProgramSwitchesRelayThreeOnAtMondayFourteenHundred) {
  Program(2, 0, MoFr, EncodeTime(14, 0, 0), EncodeTime(15, 30, 0));
  StartAt(kMonday, 13, 59, 58);
  Tick();
  Tick();
  EXPECT_EQ(store.RelayWord, 0);
  Tick();  // 14:00:00
  EXPECT_EQ(store.RelayWord, 0b000100);
  // Between its two instants the program leaves the relay to others.
  ClearRelay(2);
  Tick();
  EXPECT_FALSE(RelayIsOn(2));
  SetRelay(2);
  EXPECT_EQ(Run(2 * 3600, 2), (std::vector<std::string>{"Mo 15:30:00 off"}));
}

TEST_F(TimerProgramsTest, OnlyTheTimeTextCountsNotTheDayPartOrMilliseconds) {
  // As the editor's pickers and a configuration file leave them.
  Program(0, 0, MoSo, 39569.0 + EncodeTime(8, 0, 0, 400), EncodeTime(8, 0, 2) - 1e-12);
  StartAt(kMonday, 7, 59, 59);
  EXPECT_EQ(Run(5, 0), (std::vector<std::string>{"Mo 08:00:00 on", "Mo 08:00:02 off"}));
}

TEST_F(TimerProgramsTest, AnEditTakesEffectAtTheNextTick) {
  Program(0, 3, MoSo, EncodeTime(13, 0, 0), EncodeTime(14, 0, 0));
  StartAt(kMonday, 12, 0, 0);
  Tick();
  ProgramStart(0, 3) = EncodeTime(12, 0, 1);
  Tick();
  EXPECT_TRUE(RelayIsOn(0));
  ProgramEnd(0, 3) = EncodeTime(12, 0, 2);
  Tick();
  EXPECT_FALSE(RelayIsOn(0));
}

// A program whose end lies before its start, run through simulated days:
// every change of the relay, in order.
struct EndBeforeStartRow {
  const char* name;
  int32_t day;
  double start;
  double end;
  CivilDate from;
  int days;
  std::vector<std::string> changes;
};

class EndBeforeStart : public TimerProgramsTest,
                       public ::testing::WithParamInterface<EndBeforeStartRow> {};

TEST_P(EndBeforeStart, SwitchesAtTheInstantsItsDayCodeAllows) {
  const EndBeforeStartRow& row = GetParam();
  Program(4, 2, row.day, row.start, row.end);
  ProgramDate(4, 2) = EncodeDate(2026, 12, 16);  // a Wednesday, for "Date"
  StartAt(row.from, 0, 0, 0);
  EXPECT_EQ(Run(static_cast<int64_t>(row.days) * 86400, 4), row.changes);
}

INSTANTIATE_TEST_SUITE_P(
    Week, EndBeforeStart,
    ::testing::Values(
        EndBeforeStartRow{"OneWeekday", Mo, EncodeTime(20, 12, 0), EncodeTime(4, 0, 0), kMonday, 8,
                          {"Mo 20:12:00 on", "Mo 04:00:00 off", "Mo 20:12:00 on"}},
        EndBeforeStartRow{"MondayToFriday", MoFr, EncodeTime(20, 0, 0), EncodeTime(4, 0, 0),
                          kMonday, 8,
                          {"Mo 20:00:00 on", "Di 04:00:00 off", "Di 20:00:00 on",
                           "Mi 04:00:00 off", "Mi 20:00:00 on", "Do 04:00:00 off",
                           "Do 20:00:00 on", "Fr 04:00:00 off", "Fr 20:00:00 on",
                           "Mo 04:00:00 off", "Mo 20:00:00 on"}},
        EndBeforeStartRow{"Weekend", SaSo, EncodeTime(17, 0, 0), EncodeTime(6, 0, 0), kSaturday, 8,
                          {"Sa 17:00:00 on", "So 06:00:00 off", "So 17:00:00 on",
                           "Sa 06:00:00 off", "Sa 17:00:00 on"}},
        EndBeforeStartRow{"EveryDay", MoSo, EncodeTime(20, 0, 0), EncodeTime(4, 0, 0), kMonday, 3,
                          {"Mo 20:00:00 on", "Di 04:00:00 off", "Di 20:00:00 on",
                           "Mi 04:00:00 off", "Mi 20:00:00 on"}},
        EndBeforeStartRow{"OnADate", Date, EncodeTime(20, 0, 0), EncodeTime(4, 0, 0), kMonday, 8,
                          {"Mi 20:00:00 on"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Two slots of one relay meeting in the same second: the later slot wins.
struct SlotOrderRow {
  const char* name;
  double start0, end0, start1, end1;
  bool initiallyOn;
  bool onAfter;
};

class SlotOrder : public TimerProgramsTest, public ::testing::WithParamInterface<SlotOrderRow> {};

TEST_P(SlotOrder, TheLaterSlotDecides) {
  const SlotOrderRow& row = GetParam();
  Program(1, 0, MoSo, row.start0, row.end0);
  Program(1, 1, MoSo, row.start1, row.end1);
  if (row.initiallyOn) SetRelay(1);
  StartAt(kMonday, 12, 0, 0);
  Tick();
  EXPECT_EQ(RelayIsOn(1), row.onAfter);
}

const double kNoon = EncodeTime(12, 0, 0);
const double kMorning = EncodeTime(8, 0, 0);
const double kEvening = EncodeTime(18, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Slots, SlotOrder,
    ::testing::Values(SlotOrderRow{"FirstEndsSecondStarts", kMorning, kNoon, kNoon, kEvening, true, true},
                      SlotOrderRow{"FirstEndsSecondStartsFromOff", kMorning, kNoon, kNoon, kEvening, false, true},
                      SlotOrderRow{"FirstStartsSecondEnds", kNoon, kEvening, kMorning, kNoon, false, false},
                      SlotOrderRow{"FirstStartsSecondEndsFromOn", kNoon, kEvening, kMorning, kNoon, true, false},
                      // Start is tested before end within one program.
                      SlotOrderRow{"StartEqualsEnd", kNoon, kNoon, kMorning, kEvening, false, false},
                      SlotOrderRow{"StartEqualsEndFromOn", kNoon, kNoon, kMorning, kEvening, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Everything a program could match is set up to match now; only the value
// under test is outside its list, so nothing may switch.
TEST_F(TimerProgramsTest, DayCodesOutsideTheListAndFractionalDatesNeverAct) {
  StartAt(kMonday, 12, 0, 0);
  const int32_t days[] = {11, 12, -1, 1000, std::numeric_limits<int32_t>::min(),
                          std::numeric_limits<int32_t>::max()};
  for (const int32_t day : days) {
    Program(0, 0, day, kNoon, kEvening);
    Program(1, 0, day, kMorning, kNoon);
    SetRelay(1);
    Tick();
    clock_.Advance(-1000);
    EXPECT_EQ(store.RelayWord, 0b10) << "day code " << day;
    ClearRelay(1);
  }
  Program(0, 0, Date, kNoon, kEvening);
  ProgramDate(0, 0) = EncodeDate(2026, 12, 14) + 0.25;
  Tick();
  EXPECT_FALSE(RelayIsOn(0));
  ProgramDate(0, 0) = EncodeDate(2026, 12, 14);
  clock_.Advance(-1000);
  Tick();
  EXPECT_TRUE(RelayIsOn(0)) << "the same program on its whole date does act";
}

TEST_F(TimerProgramsTest, RelaysInOtherModesAreNotSwitchedByTheirPrograms) {
  store.NowDate = EncodeDate(2026, 12, 14);
  store.NowTime = kNoon;
  store.WeekdayIndex = 1;
  const int32_t modes[] = {Toggle, IfK1, SecTimer, Random, ClockPulse, -1, 11};
  for (const int32_t mode : modes) {
    for (int r = 0; r < kRelays; ++r) {
      Program(r, 0, MoSo, kNoon, kEvening);
      Modes(r) = mode;
    }
    store.RelayWord = 0;
    EvaluateTimerPrograms();
    EXPECT_EQ(store.RelayWord, 0) << "mode " << mode;
  }
}

}  // namespace
}  // namespace quibrano
