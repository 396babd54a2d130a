#include "clock.h"

#include <ctime>
#include <random>

#include "datetime.h"

namespace quibrano {
namespace {

class SystemClock : public Clock {
 public:
  LocalTime Now() const override {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    LocalTime t;
    t.day = DaysFromCivil({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday});
    t.ms = ((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 +
           static_cast<int32_t>(ts.tv_nsec / 1'000'000);
    return t;
  }
};

class DefaultRandom : public RandomSource {
 public:
  void Seed(uint32_t seed) override { engine_.seed(seed); }
  int64_t Below(int64_t n) override {
    if (n <= 1) return 0;
    return std::uniform_int_distribution<int64_t>(0, n - 1)(engine_);
  }

 private:
  std::mt19937 engine_{5489u};
};

SystemClock systemClock;
const Clock* currentClock = &systemClock;
DefaultRandom defaultRandom;
RandomSource* currentRandom = &defaultRandom;

}  // namespace

const Clock& GetClock() { return *currentClock; }
void SetClock(const Clock* clock) { currentClock = clock ? clock : &systemClock; }

RandomSource& GetRandom() { return *currentRandom; }
void SetRandom(RandomSource* random) { currentRandom = random ? random : &defaultRandom; }

void FakeClock::Advance(int64_t ms) {
  int64_t total = now_.ms + ms;
  int64_t days = total / kMsPerDay;
  total %= kMsPerDay;
  if (total < 0) {
    total += kMsPerDay;
    --days;
  }
  now_.day += days;
  now_.ms = static_cast<int32_t>(total);
}

}  // namespace quibrano
