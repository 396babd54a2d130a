// Seams for the clock and the random generator, so the engine can be driven
// through simulated days in tests.
#pragma once

#include <cstdint>

namespace quibrano {

// Local date and time as the calendar shows it.
struct LocalTime {
  int64_t day = 0;  // days since 30 December 1899
  int32_t ms = 0;   // milliseconds since local midnight, 0..86399999
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
};

// The clock the program reads: the system's local time unless a test has
// installed another one. SetClock(nullptr) restores the system clock.
const Clock& GetClock();
void SetClock(const Clock* clock);

// Uniform integers for random switching. Seed() is called with the clock's
// time of day at the start of every evaluation.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual void Seed(uint32_t seed) = 0;
  // A uniform integer from 0 to n - 1; n is at least 1.
  virtual int64_t Below(int64_t n) = 0;
};

RandomSource& GetRandom();
void SetRandom(RandomSource* random);  // nullptr restores the default generator

// A clock that stands still until told to move; for tests and benchmarks.
class FakeClock : public Clock {
 public:
  LocalTime Now() const override { return now_; }
  void Set(LocalTime t) { now_ = t; }
  // Moves on by ms milliseconds, across midnight as needed.
  void Advance(int64_t ms);

 private:
  LocalTime now_{};
};

}  // namespace quibrano
