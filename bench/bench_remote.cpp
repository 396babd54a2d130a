// The remote server of the real program under load: "repeat" round trips from
// 1, 10 and 100 clients at once, each client asking again as soon as it has
// its answer, with the link closed and with the link open to a simulated
// board. Baseline: the same client code against a minimal echo server, the
// floor of the machine.
#include <atomic>
#include <cmath>
#include <latch>
#include <mutex>
#include <thread>

#include "benchenv.h"
#include "benchprograms.h"
#include "controller.h"
#include "echoserver.h"
#include "resultrows.h"
#include "stats.h"
#include "tcpclient.h"

namespace quibrano::bench {
namespace {

constexpr int kReplyTimeoutMs = 3000;
constexpr double kTargetRatio = 1.5;

struct Load {
  std::vector<double> roundTripsMs;
  double perSecond = 0;
  int clients = 0;
  int refused = 0;  // connections the server closed or never took
  int failed = 0;   // clients whose question went unanswered
};

Load Drive(uint16_t port, bool greeting, int clients, double durationMs) {
  Load load;
  load.clients = clients;
  std::mutex mutex;
  std::latch connected(clients);
  std::latch go(1);
  double endMs = 0;
  int64_t messages = 0;
  std::vector<std::thread> threads;
  for (int i = 0; i < clients; ++i) {
    threads.emplace_back([&] {
      TcpClient client;
      std::string error;
      const bool open = client.Open(port, greeting, kReplyTimeoutMs, &error);
      connected.count_down();
      go.wait();
      if (!open) {
        std::lock_guard lock(mutex);
        ++load.refused;
        return;
      }
      std::vector<double> mine;
      bool failed = false;
      while (SteadyMs() < endMs) {
        const double t0 = SteadyMs();
        if (!client.Ask("repeat", kReplyTimeoutMs)) {
          failed = true;
          break;
        }
        mine.push_back(SteadyMs() - t0);
      }
      std::lock_guard lock(mutex);
      // The first answer of each client also pays for waking things up.
      if (!mine.empty()) mine.erase(mine.begin());
      messages += static_cast<int64_t>(mine.size());
      load.roundTripsMs.insert(load.roundTripsMs.end(), mine.begin(), mine.end());
      if (failed) ++load.failed;
    });
  }
  connected.wait();
  const double startMs = SteadyMs();
  endMs = startMs + durationMs;
  go.count_down();
  for (auto& t : threads) t.join();
  load.perSecond = static_cast<double>(messages) / (durationMs / 1000);
  return load;
}

std::string Cell(const Summary& s, double perSecond) {
  return Fixed(s.median, 3) + " / " + Fixed(s.p99, 3) + " ms; " + Fixed(perSecond, 0) + "/s";
}

void LoadRow(const std::string& link, const Load& load, const Load& echo, bool withTarget) {
  const Summary s = Summarize(load.roundTripsMs);
  const Summary e = Summarize(echo.roundTripsMs);
  std::string figure = "Remote: repeat round trip, link " + link + ", " + std::to_string(load.clients) + " client" +
                       (load.clients == 1 ? "" : "s");
  if (load.refused > 0)
    figure += " (" + std::to_string(load.clients - load.refused) + " served, " + std::to_string(load.refused) +
              " turned away)";
  if (load.failed > 0) figure += " (" + std::to_string(load.failed) + " unanswered)";
  figure += ": p50 / p99; messages per second";
  const std::string target =
      withTarget ? "p50 <= 1.5x echo: " + Verdict(s.count > 0 && s.median <= kTargetRatio * e.median) : "-";
  Emit({figure, Cell(s, load.perSecond), "echo " + Cell(e, echo.perSecond), RatioText(s.median, e.median), target});
}

int Main() {
  const double durationMs = Quick() ? 1000 : 5000;
  const int counts[] = {1, 10, 100};
  // Forked before any thread exists.
  EchoServer echo;
  std::string error;
  if (!echo.Start(&error)) {
    Say("remote: " + error);
    return 1;
  }
  Say("remote: echo server, " + Fixed(durationMs / 1000, 0) + " s per load");
  std::vector<Load> echoLoads;
  for (const int n : counts) echoLoads.push_back(Drive(echo.Port(), false, n, durationMs));

  for (const bool linkOpen : {false, true}) {
    const std::string link = linkOpen ? "open" : "closed";
    Controller controller;
    ControllerOptions options;
    options.linkOpen = linkOpen;
    options.remote = true;
    options.programs = LoadIdlePrograms;
    if (!controller.Start(options, &error)) {
      Say("remote: " + error);
      return 1;
    }
    Say("remote: controller with the link " + link);
    for (size_t i = 0; i < std::size(counts); ++i) {
      const Load load = Drive(controller.RemotePort(), true, counts[i], durationMs);
      LoadRow(link, load, echoLoads[i], !linkOpen);
    }
    controller.Stop();
  }
  return 0;
}

}  // namespace
}  // namespace quibrano::bench

int main() { return quibrano::bench::Main(); }
