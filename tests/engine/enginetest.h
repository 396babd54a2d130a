// A small harness for the engine tests: the store as start-up leaves it, a
// fake clock moved one second per tick, and a log of a relay's switchings.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "clock.h"
#include "datetime.h"
#include "relayword.h"
#include "secondtick.h"
#include "store.h"

namespace quibrano {

// 2026-12-14 is a Monday.
constexpr CivilDate kMonday{2026, 12, 14};
constexpr CivilDate kSaturday{2026, 12, 12};

inline int32_t MsOfDay(int h, int m, int s) { return ((h * 60 + m) * 60 + s) * 1000; }

// Draws scripted values: the n-th draw gives values[n % size], held below
// the bound it was asked for. Remembers the seeds and bounds it was given.
class ScriptedRandom : public RandomSource {
 public:
  explicit ScriptedRandom(std::vector<int64_t> values) : values_(std::move(values)) {}
  void Seed(uint32_t seed) override { seeds.push_back(seed); }
  int64_t Below(int64_t n) override {
    bounds.push_back(n);
    const int64_t v = values_[draws_++ % values_.size()];
    return v < n ? v : n - 1;
  }
  std::vector<uint32_t> seeds;
  std::vector<int64_t> bounds;

 private:
  std::vector<int64_t> values_;
  size_t draws_ = 0;
};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock_);
    SetRandom(nullptr);
    SetServerCloseHook(nullptr);
    StartUpStore();
  }
  void TearDown() override {
    SetClock(nullptr);
    SetRandom(nullptr);
    SetServerCloseHook(nullptr);
  }

  // The store as start-up leaves it once a configuration is loaded.
  void StartUpStore() {
    ResetStore();
    store.SecondCount = 0;
    store.MinuteFlag = false;
    for (auto& t : store.SecondsTimer) t.Elapsed = -1;
    for (auto& row : store.OffCountdown) row.fill(0);
  }

  // Ticks land a few tens of milliseconds after the whole second, as the
  // re-armed timer makes them.
  void StartAt(CivilDate d, int h, int m, int s) {
    clock_.Set({DaysFromCivil(d), MsOfDay(h, m, s) + 20});
  }

  StatusTexts Tick() {
    StatusTexts texts = SecondTick();
    clock_.Advance(1000);
    return texts;
  }

  // Runs the ticks and logs every change of relay r as "Mo 20:12:00 on".
  std::vector<std::string> Run(int64_t ticks, uint8_t r) {
    std::vector<std::string> log;
    bool was = RelayIsOn(r);
    for (int64_t i = 0; i < ticks; ++i) {
      Tick();
      if (RelayIsOn(r) == was) continue;
      was = RelayIsOn(r);
      log.push_back(store.WeekdayName + " " + TimeText(store.NowTime) + (was ? " on" : " off"));
    }
    return log;
  }

  FakeClock clock_;
};

}  // namespace quibrano
