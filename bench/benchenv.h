// What a benchmark run is told through its environment, and its clocks.
#pragma once

#include <cstdint>
#include <string>

namespace quibrano::bench {

// BENCH_QUICK=1: short runs for trying the benchmarks out; the figures of a
// quick run are not the ones to quote.
bool Quick();
// An integer from the environment; fallback when unset, empty or not a
// plain decimal number.
int64_t EnvInt(const char* name, int64_t fallback);

// Milliseconds of the monotonic clock, with fractions.
double SteadyMs();
// Milliseconds of the wall clock since 1970, with fractions.
double WallMs();
void SleepMs(double ms);

// A progress line on standard error ("bench: " + text); standard output is
// left to the table.
void Say(const std::string& text);

}  // namespace quibrano::bench
