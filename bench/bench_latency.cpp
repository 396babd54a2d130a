// Switching latency of the real program: from a remote "set" to the relay
// byte on the board's line, and from a K1 change at the board to the byte of
// the relay that follows K1. The controller runs as a child process; the
// simulated board, inside this benchmark, stamps every byte it receives.
//
// Baselines, taken from the same board log at the same moments: for a set,
// the wait from that moment to the next relay byte the poll cycle sends
// anyway; for K1, the wait until the relay byte after the second poll (the
// input must come twice before it counts). What lies above them is the
// program's own doing.
#include <cmath>
#include <random>

#include "benchenv.h"
#include "benchprograms.h"
#include "controller.h"
#include "resultrows.h"
#include "stats.h"
#include "tcpclient.h"

namespace quibrano::bench {
namespace {

constexpr uint8_t kPollByte = 0x73;
constexpr double kGiveUpMs = 3000;
constexpr double kSetTargetMs = 320;

struct Sample {
  double latency = NAN;
  double floor = NAN;
};

// Steady times of relay bytes at the board after a moment: the first one
// that matches, the first one at all, and the first one after the second
// poll byte.
struct Arrival {
  double matched = NAN;
  double nextRelay = NAN;
  double afterSecondPoll = NAN;
};

// Waits (up to kGiveUpMs) for a matching relay byte received at or after
// fromSteadyMs.
template <typename Match>
Arrival WaitForRelayByte(Controller& c, double fromSteadyMs, Match match) {
  Arrival a;
  // The board stamps whole ms, rounded down.
  const auto from = static_cast<int64_t>(std::floor(fromSteadyMs - c.BoardTimeMs(0)));
  const double deadline = SteadyMs() + kGiveUpMs;
  while (SteadyMs() < deadline) {
    int polls = 0;
    for (const ReceivedByte& b : c.Board()->Received()) {
      if (b.ms < from) continue;
      if (b.value == kPollByte) ++polls;
      if (b.value > 63) continue;
      if (std::isnan(a.nextRelay)) a.nextRelay = c.BoardTimeMs(b.ms);
      if (polls >= 2 && std::isnan(a.afterSecondPoll)) a.afterSecondPoll = c.BoardTimeMs(b.ms);
      if (match(b.value)) {
        a.matched = c.BoardTimeMs(b.ms);
        return a;
      }
    }
    SleepMs(5);
  }
  return a;
}

// The p99 with every sample that never arrived counted as endless.
double WorstCaseP99(const std::vector<Sample>& samples) {
  std::vector<double> v;
  for (const Sample& s : samples) v.push_back(std::isnan(s.latency) ? INFINITY : s.latency);
  return Summarize(v).p99;
}

std::string MedianP99(const Summary& s) { return Fixed(s.median, 0) + " / " + Fixed(s.p99, 0) + " ms"; }

void LatencyRow(const std::string& figure, const std::vector<Sample>& samples, const std::string& target) {
  std::vector<double> latency, floor;
  size_t lost = 0;
  for (const Sample& s : samples) {
    if (std::isnan(s.latency)) {
      ++lost;
      continue;
    }
    latency.push_back(s.latency);
    if (!std::isnan(s.floor)) floor.push_back(s.floor);
  }
  const Summary l = Summarize(latency);
  const Summary f = Summarize(floor);
  std::string name = figure + " (" + std::to_string(latency.size()) + " samples";
  if (lost > 0) name += ", " + std::to_string(lost) + " never arrived";
  Emit({name + "), median / p99", MedianP99(l), MedianP99(f), RatioText(l.p99, f.p99), target});
}

int Main() {
  const int64_t samples = EnvInt("BENCH_LATENCY_SAMPLES", Quick() ? 20 : 200);
  if (samples < 1 || samples > 100000) {
    Say("BENCH_LATENCY_SAMPLES must be from 1 to 100000");
    return 2;
  }
  Controller controller;
  ControllerOptions options;
  options.remote = true;
  options.programs = LoadFollowK1;
  std::string error;
  if (!controller.Start(options, &error)) {
    Say("latency: " + error);
    return 1;
  }
  TcpClient client;
  if (!client.Open(controller.RemotePort(), true, 3000, &error)) {
    Say("latency: " + error);
    return 1;
  }
  const auto login = client.Ask("Pass:" + options.password, 3000);
  if (login != "legal") {
    Say("latency: the login was answered \"" + login.value_or("") + "\"");
    return 1;
  }

  // Samples start at random moments, so they fall evenly over the poll cycle.
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> pause(20, 340);

  Say("latency: " + std::to_string(samples) + " remote sets");
  std::vector<Sample> sets;
  for (int64_t i = 0; i < samples; ++i) {
    SleepMs(pause(random));
    // Relay 1 follows K1, so only relays 2 to 6 are the sender's.
    const uint8_t relays = (i % 2 == 0) ? 0x2A : 0x14;
    const double t0 = SteadyMs();
    if (!client.Send(std::to_string(relays))) {
      Say("latency: the connection ended");
      return 1;
    }
    const Arrival a = WaitForRelayByte(controller, t0, [&](uint8_t b) { return (b & 0x3E) == relays; });
    sets.push_back({a.matched - t0, a.nextRelay - t0});
  }

  Say("latency: " + std::to_string(samples) + " K1 changes");
  std::vector<Sample> contacts;
  bool closed = false;
  for (int64_t i = 0; i < samples; ++i) {
    SleepMs(pause(random));
    closed = !closed;
    const double t0 = SteadyMs();
    controller.Board()->SetContact(0, closed);
    const Arrival a = WaitForRelayByte(controller, t0, [&](uint8_t b) { return ((b & 1) != 0) == closed; });
    contacts.push_back({a.matched - t0, a.afterSecondPoll - t0});
  }
  controller.Stop();

  LatencyRow("Switching: remote set to relay byte", sets,
             "p99 <= 320 ms: " + Verdict(WorstCaseP99(sets) <= kSetTargetMs));
  LatencyRow("Switching: K1 change to IF  K1 relay byte", contacts, "-");
  return 0;
}

}  // namespace
}  // namespace quibrano::bench

int main() { return quibrano::bench::Main(); }
