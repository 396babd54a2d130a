// Program entry: the three windows in their order, then the event loop until
// the main window has closed for good.
#include <QApplication>
#include <QTimer>
#include <memory>

#include "headless.h"
#include "mainwindowwatch.h"
#include "stopsignals.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"

int main(int argc, char** argv) {
  using namespace quibrano;

  ChooseOffscreenWithoutDisplay();
  QApplication app(argc, argv);
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
