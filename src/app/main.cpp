// Program entry: the three windows in their order, then the event loop until
// the main window has closed for good.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "headless.h"
#include "mainwindowwatch.h"
#include "modalseams.h"
#include "statusreport.h"
#include "stopsignals.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"

int main(int argc, char** argv) {
  using namespace quibrano;

  const bool noDisplay = ChooseOffscreenWithoutDisplay();
  QApplication app(argc, argv);
  const bool headless = noDisplay || QGuiApplication::platformName() == QLatin1String("offscreen") ||
                        QGuiApplication::platformName() == QLatin1String("minimal");
  if (headless) {
    // A box nobody can see would wait for a click that never comes, and a
    // failed save at shutdown would then hang the program: the message goes
    // to standard error and the handler goes on as after OK.
    SetErrorBox([](QWidget*, const QString& text) {
      std::fprintf(stderr, "quibrano: %s\n", text.toUtf8().constData());
      std::fflush(stderr);
    });
  }
  // The loop ends when the main window has closed, not when the last window
  // has: an open help window must not keep a closed program alive.
  QApplication::setQuitOnLastWindowClosed(false);

  // Before the windows, so a stop that comes during start-up is not the
  // default (instant, unsaved) end but waits for the main window.
  StopSignals stopSignals;
  TForm1* form1 = nullptr;
  bool stopPending = false;
  QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&form1, &stopPending] {
    if (form1 != nullptr) {
      form1->close();
    } else {
      stopPending = true;
    }
  });

  auto mainWindow = std::make_unique<TForm1>();  // runs FormCreate
  mainWindow->show();
  auto* form2 = new TForm2(mainWindow.get());
  auto* form3 = new TForm3(mainWindow.get());
  mainWindow->SetDialogs(form2, form3);

  if (headless) new StatusReport(mainWindow.get(), stdout, mainWindow.get());

  auto* watch = new MainWindowWatch(mainWindow.get());
  // exit() also ends a dialog's nested loop, should a stop come while the
  // help window or a message box is open.
  QObject::connect(watch, &MainWindowWatch::closed, &app, [] { QCoreApplication::exit(0); });

  form1 = mainWindow.get();
  if (stopPending) {
    QTimer::singleShot(0, form1, [form1] { form1->close(); });
  }
  const int result = QApplication::exec();
  form1 = nullptr;
  return result;
}
