// What the 50 ms poll tick costs the one thread that runs everything.
// First PollTick alone, against a simulated board that answers, keeps silent
// or floods, with one read that finds nothing as the baseline (every tick
// ends with one). Then the longest stall of the event loop with the main
// window running and its link open, measured by a 5 ms timer, against the
// same timer in the loop without the window.
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "benchenv.h"
#include "benchprograms.h"
#include "boardsim.h"
#include "modalseams.h"
#include "pollcycle.h"
#include "resultrows.h"
#include "runcontrol.h"
#include "serialport.h"
#include "stats.h"
#include "store.h"
#include "tform1.h"
#include "workfolder.h"

namespace quibrano::bench {
namespace {

constexpr double kPollMs = 50;

struct NullLinkView : LinkView {
  void SetPortStatus(const std::string&) override {}
  void SetAdapterStatus(const std::string&) override {}
  void ShowRelay(int, bool) override {}
  void ShowInput(int, bool) override {}
  void ShowRunState(bool) override {}
};

// Ticks at the timer's pace, each one timed.
Summary TimeTicks(int ticks) {
  NullLinkView view;
  std::vector<double> ms;
  double next = SteadyMs();
  for (int i = 0; i < ticks; ++i) {
    SleepMs(next - SteadyMs());
    next += kPollMs;
    const double t0 = SteadyMs();
    PollTick(view);
    ms.push_back(SteadyMs() - t0);
  }
  return Summarize(ms);
}

Summary TimeEmptyReads(int reads) {
  std::vector<double> ms;
  for (int i = 0; i < reads; ++i) {
    while (ReadByte() >= 0) {
    }
    const double t0 = SteadyMs();
    const int32_t b = ReadByte();
    if (b < 0) ms.push_back(SteadyMs() - t0);
  }
  return Summarize(ms);
}

std::string MedianMax(const Summary& s) { return Fixed(s.median, 1) + " / " + Fixed(s.max, 1) + " ms"; }

void TickRow(const std::string& what, const Summary& tick, const Summary& emptyRead) {
  Emit({"Poll tick: PollTick, board " + what + ", median / max", MedianMax(tick),
        "empty read " + MedianMax(emptyRead), RatioText(tick.median, emptyRead.median), "-"});
}

bool MeasurePollTicks(BoardSim& board) {
  const int ticks = Quick() ? 40 : 200;
  ResetStore();
  store.PortNumber = 1;
  BuildPortSpec();
  store.PortOpen = OpenPort(store.PortSpec);
  if (!store.PortOpen) {
    Say("poll tick: cannot open the simulated board");
    return false;
  }
  Say("poll tick: " + std::to_string(ticks) + " ticks each with the board answering, silent and flooding");
  board.SetSilent(true);
  SleepMs(100);
  const Summary emptyRead = TimeEmptyReads(ticks);
  board.SetSilent(false);
  const Summary answering = TimeTicks(ticks);
  board.SetSilent(true);
  const Summary silent = TimeTicks(ticks);
  board.SetSilent(false);
  board.SetFlood(true);
  const Summary flooding = TimeTicks(ticks);
  board.SetFlood(false);
  ClosePort();
  store.PortOpen = false;

  TickRow("answering", answering, emptyRead);
  TickRow("silent", silent, emptyRead);
  TickRow("flooding at line rate", flooding, emptyRead);
  return true;
}

// The longest lateness of a 5 ms timer over the given time, with the loop
// doing whatever else it has to.
Summary LoopLateness(double ms) {
  std::vector<double> late;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(5);
  double last = SteadyMs();
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const double now = SteadyMs();
    late.push_back(std::max(0.0, now - last - 5));
    last = now;
  });
  QTimer end;
  end.setSingleShot(true);
  QEventLoop loop;
  QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
  probe.start();
  end.start(static_cast<int>(ms));
  loop.exec();
  return Summarize(late);
}

bool MeasureStalls(BoardSim& board) {
  const double runMs = Quick() ? 5000 : 20000;
  WorkFolder folder;
  std::string error;
  LoadIdlePrograms();
  if (folder.Path().empty() || !folder.WriteConfig("bench.dat", &error) ||
      !folder.WriteSettings(SettingsLines{}, &error) || chdir(folder.Path().c_str()) != 0) {
    Say("event loop: cannot prepare the working folder " + error);
    return false;
  }
  SetErrorBox([](QWidget*, const QString& text) { Say("event loop: the window reported " + text.toStdString()); });
  Say("event loop: 5 ms probe, " + Fixed(runMs / 1000, 0) + " s each without the window, with it, and flooded");
  const Summary bare = LoopLateness(runMs);
  ResetStore();
  auto form = std::make_unique<TForm1>();
  if (!store.PortOpen) Say("event loop: warning: the link did not open");
  const Summary answering = LoopLateness(runMs);
  board.SetFlood(true);
  const Summary flooding = LoopLateness(runMs);
  board.SetFlood(false);
  form.reset();
  if (chdir("/") != 0) Say("event loop: cannot leave the working folder");

  Emit(NumberRow("Event loop: longest stall, link open, board answering", answering.max, bare.max, 1, "ms"));
  Emit(NumberRow("Event loop: longest stall, link open, board flooding", flooding.max, bare.max, 1, "ms"));
  return true;
}

int Main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  BoardSim::Options options;
  options.pace = true;
  BoardSim board(options);
  std::string error;
  if (!board.Start(&error)) {
    Say("poll tick: " + error);
    return 1;
  }
  setenv("QUIBRANO_COM1", board.SlavePath().c_str(), 1);
  const bool ticks = MeasurePollTicks(board);
  const bool stalls = MeasureStalls(board);
  board.Stop();
  return ticks && stalls ? 0 : 1;
}

}  // namespace
}  // namespace quibrano::bench

int main(int argc, char** argv) { return quibrano::bench::Main(argc, argv); }
