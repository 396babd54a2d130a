// The second tick of the real main window, in step with the wall clock? TForm1
// runs in this process on the offscreen platform, its link open to a simulated
// board, while the other cores spin. Every Timer2 tick is stamped with the
// wall clock; a free-running 1000 ms QTimer in the same event loop is the
// baseline. BENCH_TICK_SECONDS sets the length (600 by default).
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "benchenv.h"
#include "benchprograms.h"
#include "boardsim.h"
#include "busyload.h"
#include "modalseams.h"
#include "resultrows.h"
#include "store.h"
#include "tform1.h"
#include "tickseconds.h"
#include "workfolder.h"

namespace quibrano::bench {
namespace {

std::string Offsets(const Summary& s) {
  return Fixed(s.min, 1) + " / " + Fixed(s.median, 1) + " / " + Fixed(s.max, 1) + " ms";
}

std::string Target(int64_t value) { return "0: " + Verdict(value == 0); }

int Main(int argc, char** argv) {
  const int64_t seconds = EnvInt("BENCH_TICK_SECONDS", Quick() ? 30 : 600);
  if (seconds < 3 || seconds > 7 * 86400) {
    Say("BENCH_TICK_SECONDS must be from 3 to 604800");
    return 2;
  }
  // Before any thread exists: the spinners are forked.
  BusyLoad load(OtherCores());
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);

  WorkFolder folder;
  std::string error;
  LoadTimerPrograms();
  if (folder.Path().empty() || !folder.WriteConfig("bench.dat", &error) ||
      !folder.WriteSettings(SettingsLines{}, &error)) {
    Say("second tick: " + (error.empty() ? std::string("cannot make a working folder") : error));
    return 1;
  }
  BoardSim::Options boardOptions;
  boardOptions.pace = true;
  BoardSim board(boardOptions);
  if (!board.Start(&error)) {
    Say("second tick: " + error);
    return 1;
  }
  setenv("QUIBRANO_COM1", board.SlavePath().c_str(), 1);
  if (chdir(folder.Path().c_str()) != 0) {
    Say("second tick: cannot enter " + folder.Path());
    return 1;
  }
  // No box may wait for a person here.
  SetErrorBox([](QWidget*, const QString& text) { Say("second tick: the window reported " + text.toStdString()); });

  auto form = std::make_unique<TForm1>();
  if (!store.PortOpen) Say("second tick: warning: the link did not open");

  std::vector<double> formTicks;
  std::vector<double> freeTicks;
  formTicks.reserve(static_cast<size_t>(seconds) + 10);
  freeTicks.reserve(static_cast<size_t>(seconds) + 10);
  QObject::connect(form->Timer2, &QTimer::timeout, [&] { formTicks.push_back(WallMs()); });
  QTimer freeTimer;
  freeTimer.setInterval(1000);
  QObject::connect(&freeTimer, &QTimer::timeout, [&] { freeTicks.push_back(WallMs()); });
  QTimer progress;
  progress.setInterval(60000);
  int64_t minutes = 0;
  QObject::connect(&progress, &QTimer::timeout, [&] {
    Say("second tick: " + std::to_string(++minutes) + " of " + std::to_string((seconds + 59) / 60) + " min");
  });

  Say("second tick: " + std::to_string(seconds) + " s with " + std::to_string(load.Count()) +
      " spinning process(es) on the other core(s)");
  const double startWall = WallMs();
  freeTimer.start();
  progress.start();
  QTimer::singleShot(static_cast<int>(seconds * 1000), &app, [] { QCoreApplication::quit(); });
  QApplication::exec();
  const double endWall = WallMs();
  form.reset();
  board.Stop();

  // The whole seconds both timers had from start to end: the first starts
  // after the start, the last ends before the end.
  const auto first = static_cast<int64_t>(std::floor(startWall / 1000)) + 1;
  const auto last = static_cast<int64_t>(std::floor(endWall / 1000)) - 1;
  const TickAnalysis tick = AnalyzeTicks(formTicks, first, last);
  const TickAnalysis free = AnalyzeTicks(freeTicks, first, last);
  const std::string of = " of " + std::to_string(tick.seconds);

  Emit({"Second tick: offset in its wall-clock second, min / median / max", Offsets(tick.offsets),
        Offsets(free.offsets), "-", "-"});
  Emit(NumberRow("Second tick: skipped seconds" + of, static_cast<double>(tick.skipped),
                 static_cast<double>(free.skipped), 0, "", Target(tick.skipped)));
  Emit(NumberRow("Second tick: doubled seconds" + of, static_cast<double>(tick.doubled),
                 static_cast<double>(free.doubled), 0, "", Target(tick.doubled)));
  return 0;
}

}  // namespace
}  // namespace quibrano::bench

int main(int argc, char** argv) { return quibrano::bench::Main(argc, argv); }
