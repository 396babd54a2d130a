// What the running program costs: start-up from exec to the first poll byte
// at the board, and, idle with the link open, the CPU share of a core and the
// resident memory over a minute. Baseline: this benchmark's own bare Qt
// program (--bare-qt DEVICE): one shown window on the offscreen platform and
// a 50 ms timer that sends the poll byte every sixth tick and reads what comes
// back, the toolkit's floor for the same job.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <cstring>

#include "benchenv.h"
#include "benchprograms.h"
#include "controller.h"
#include "procstat.h"
#include "resultrows.h"
#include "stats.h"

namespace quibrano::bench {
namespace {

constexpr double kCpuTargetPercent = 1;
constexpr double kMemoryTargetMb = 80;

int RunBareQt(int argc, char** argv, const char* device) {
  QApplication app(argc, argv);
  QWidget window;
  window.show();
  const int fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 1;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    unsigned char buf[64];
    while (read(fd, buf, sizeof buf) > 0) {
    }
    if (++ticks % 6 == 0) {
      const unsigned char poll = 0x73;
      if (write(fd, &poll, 1) < 0) QCoreApplication::exit(1);
    }
  });
  timer.start(50);
  return QApplication::exec();
}

ControllerOptions Options(bool bare, const std::string& self) {
  ControllerOptions options;
  options.programs = LoadIdlePrograms;
  if (bare) {
    options.program = self;
    options.args = {"--bare-qt", "{device}"};
  }
  return options;
}

struct Idle {
  double cpuPercent = NAN;
  double rssMaxMb = NAN;
};

int Main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--bare-qt") == 0) return RunBareQt(argc, argv, argv[2]);
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return 1;
  const std::string selfPath(self, static_cast<size_t>(n));

  const int starts = Quick() ? 2 : 5;
  const double idleMs = Quick() ? 10000 : 60000;
  Say("footprint: " + std::to_string(starts) + " start-ups each of the controller and the bare Qt program");
  std::vector<double> startup[2];
  std::unique_ptr<Controller> running[2];
  std::string error;
  for (int i = 0; i < starts; ++i) {
    for (const int bare : {0, 1}) {
      running[bare] = std::make_unique<Controller>();
      if (!running[bare]->Start(Options(bare == 1, selfPath), &error)) {
        Say("footprint: " + error);
        return 1;
      }
      startup[bare].push_back(running[bare]->FirstPollMs() - running[bare]->Process().StartedMs());
      if (i + 1 < starts) running[bare].reset();
    }
  }

  Say("footprint: both idle for " + Fixed(idleMs / 1000, 0) + " s");
  SleepMs(2000);  // past the start-up work
  Idle idle[2];
  double cpu0[2];
  for (const int k : {0, 1}) cpu0[k] = CpuSeconds(running[k]->Process().Pid()).value_or(NAN);
  const double t0 = SteadyMs();
  std::vector<double> rss[2];
  while (SteadyMs() - t0 < idleMs) {
    SleepMs(1000);
    for (const int k : {0, 1})
      if (const auto mb = StatusMegabytes(running[k]->Process().Pid(), "VmRSS")) rss[k].push_back(*mb);
  }
  const double wallS = (SteadyMs() - t0) / 1000;
  for (const int k : {0, 1}) {
    const double cpu1 = CpuSeconds(running[k]->Process().Pid()).value_or(NAN);
    idle[k].cpuPercent = (cpu1 - cpu0[k]) / wallS * 100;
    idle[k].rssMaxMb = rss[k].empty() ? NAN : Summarize(rss[k]).max;
    running[k]->Stop();
  }

  const Summary up = Summarize(startup[0]);
  const Summary bareUp = Summarize(startup[1]);
  Emit(NumberRow("Footprint: start-up, exec to first poll byte at the board (median of " + std::to_string(starts) +
                     ")",
                 up.median, bareUp.median, 0, "ms"));
  Emit(NumberRow("Footprint: CPU share of a core, idle, link open (" + Fixed(wallS, 0) + " s)", idle[0].cpuPercent,
                 idle[1].cpuPercent, 2, "%", "< 1 %: " + Verdict(idle[0].cpuPercent < kCpuTargetPercent)));
  Emit(NumberRow("Footprint: resident memory, idle, link open (largest sample)", idle[0].rssMaxMb,
                 idle[1].rssMaxMb, 1, "MB", "< 80 MB: " + Verdict(idle[0].rssMaxMb < kMemoryTargetMb)));
  return 0;
}

}  // namespace
}  // namespace quibrano::bench

int main(int argc, char** argv) { return quibrano::bench::Main(argc, argv); }
