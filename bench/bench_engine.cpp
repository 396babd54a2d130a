// The switching engine alone: what one second tick costs with every relay
// busy, in time (Google Benchmark) and in instructions (callgrind over a run
// of ticks), each against the tick with no rule to run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "benchenv.h"
#include "benchprograms.h"
#include "childprocess.h"
#include "clock.h"
#include "datetime.h"
#include "resultrows.h"
#include "secondtick.h"

namespace quibrano::bench {
namespace {

enum Scenario : int { kIdle = 0, kTimerPrograms = 1, kRandomWindows = 2 };

constexpr const char* kScenarioNames[] = {"idle", "timer", "random"};

void Load(int scenario) {
  if (scenario == kTimerPrograms) {
    LoadTimerPrograms();
  } else if (scenario == kRandomWindows) {
    LoadRandomWindows();
  } else {
    LoadIdlePrograms();
  }
}

// Monday 13 May 2024, 00:00:00.030: ticks land just after the whole second,
// as Timer2 makes them.
LocalTime Start() { return {DaysFromCivil({2024, 5, 13}), 30}; }

FakeClock& TheClock() {
  static FakeClock clock;
  return clock;
}

void Tick() {
  TheClock().Advance(1000);
  benchmark::DoNotOptimize(SecondTick());
}

void BM_SecondTick(benchmark::State& state) {
  Load(static_cast<int>(state.range(0)));
  TheClock().Set(Start());
  SetClock(&TheClock());
  for (auto _ : state) Tick();
  SetClock(nullptr);
  state.SetLabel(kScenarioNames[state.range(0)]);
}
BENCHMARK(BM_SecondTick)->Arg(kIdle)->Arg(kTimerPrograms)->Arg(kRandomWindows);

// Keeps the median CPU time of the repetitions of each scenario: on a shared
// machine the wall time also counts the moments other work held the core.
// The console report goes to standard error; standard output is the table's.
class Collector : public benchmark::ConsoleReporter {
 public:
  Collector() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.aggregate_name != "median") continue;
      nsPerTick[run.report_label] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> nsPerTick;
};

}  // namespace
}  // namespace quibrano::bench

// The run that callgrind counts: only this function's instructions (and what
// it calls) are collected.
extern "C" __attribute__((noinline)) void quibrano_bench_run_ticks(int64_t ticks) {
  for (int64_t i = 0; i < ticks; ++i) quibrano::bench::Tick();
}

namespace quibrano::bench {
namespace {

// Driver mode: load the scenario, warm the caches of the time texts, run.
int RunTicks(int scenario, int64_t ticks) {
  Load(scenario);
  TheClock().Set(Start());
  SetClock(&TheClock());
  for (int i = 0; i < 100; ++i) Tick();
  quibrano_bench_run_ticks(ticks);
  SetClock(nullptr);
  return 0;
}

std::string SelfPath() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string FindValgrind() {
  for (const char* path : {"/usr/bin/valgrind", "/usr/local/bin/valgrind"})
    if (access(path, X_OK) == 0) return path;
  return {};
}

// Instructions per tick of a scenario; NaN when callgrind could not count.
double InstructionsPerTick(const std::string& valgrind, int scenario, int64_t ticks) {
  const std::string out = "/tmp/quibrano-bench-callgrind-" + std::to_string(getpid()) + "-" +
                          std::to_string(scenario) + ".out";
  ChildProcess run;
  ChildProcess::Options options;
  options.program = valgrind;
  options.args = {"--tool=callgrind", "--callgrind-out-file=" + out, "--toggle-collect=quibrano_bench_run_ticks",
                  SelfPath(), "--ticks", std::to_string(scenario), std::to_string(ticks)};
  std::string error;
  if (!run.Start(options, &error)) {
    Say(error);
    return NAN;
  }
  while (run.Running()) SleepMs(20);
  const std::string status = run.Stop();
  std::ifstream in(out);
  std::string line;
  double total = NAN;
  while (std::getline(in, line)) {
    for (const char* key : {"totals: ", "summary: "}) {
      if (line.rfind(key, 0) != 0) continue;
      int64_t value = 0;
      const char* first = line.data() + std::strlen(key);
      if (std::from_chars(first, line.data() + line.size(), value).ec == std::errc{})
        total = static_cast<double>(value);
    }
  }
  std::remove(out.c_str());
  // A driver that did not run its ticks to the end counts nothing useful.
  if (status != "exit 0" || !(total > 0)) {
    Say("callgrind gave no count (" + status + ")");
    return NAN;
  }
  return total / static_cast<double>(ticks);
}

int Main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--ticks") == 0) {
    int scenario = 0;
    int64_t ticks = 0;
    std::from_chars(argv[2], argv[2] + std::strlen(argv[2]), scenario);
    std::from_chars(argv[3], argv[3] + std::strlen(argv[3]), ticks);
    return RunTicks(scenario, ticks);
  }

  std::vector<std::string> args = {argv[0], "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true",
                                   Quick() ? "--benchmark_min_time=0.05" : "--benchmark_min_time=0.5"};
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  std::vector<char*> pointers;
  for (auto& a : args) pointers.push_back(a.data());
  int count = static_cast<int>(pointers.size());
  benchmark::Initialize(&count, pointers.data());
  Collector collector;
  collector.SetOutputStream(&std::cerr);
  collector.SetErrorStream(&std::cerr);
  Say("engine: timing the second tick");
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();

  const double idle = collector.nsPerTick.count("idle") ? collector.nsPerTick["idle"] : NAN;
  const double timer = collector.nsPerTick.count("timer") ? collector.nsPerTick["timer"] : NAN;
  const double random = collector.nsPerTick.count("random") ? collector.nsPerTick["random"] : NAN;
  Emit(NumberRow("Engine: second tick CPU time, 6 relays x 6 timer programs (median)", timer / 1000, idle / 1000, 2, "us"));
  Emit(NumberRow("Engine: second tick CPU time, 6 relays x 3 random windows (median)", random / 1000, idle / 1000, 2, "us"));

  const std::string valgrind = FindValgrind();
  if (valgrind.empty()) {
    Emit({"Engine: instructions per tick", "not measured: valgrind missing", "-", "-", "-"});
    return 0;
  }
  const int64_t ticks = Quick() ? 2000 : 20000;
  Say("engine: counting instructions of " + std::to_string(ticks) + " ticks under callgrind");
  const double idleIr = InstructionsPerTick(valgrind, kIdle, ticks);
  const double timerIr = InstructionsPerTick(valgrind, kTimerPrograms, ticks);
  const double randomIr = InstructionsPerTick(valgrind, kRandomWindows, ticks);
  Emit(NumberRow("Engine: instructions per tick, 6 relays x 6 timer programs", timerIr, idleIr, 0, ""));
  Emit(NumberRow("Engine: instructions per tick, 6 relays x 3 random windows", randomIr, idleIr, 0, ""));
  return 0;
}

}  // namespace
}  // namespace quibrano::bench

int main(int argc, char** argv) { return quibrano::bench::Main(argc, argv); }
