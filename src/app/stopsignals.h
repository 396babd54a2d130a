// SIGTERM, SIGINT and SIGHUP as Qt signals: a service manager or a terminal
// stopping the program is then handled like the user closing the window.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace quibrano {

class StopSignals : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers; one instance at a time. Signals that arrive
  // before the event loop runs wait and are reported once it does.
  explicit StopSignals(QObject* parent = nullptr);
  // Puts the previous handlers back.
  ~StopSignals() override;

  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // False when the handlers could not be installed (said on stderr).
  bool Installed() const { return installed_; }

 signals:
  void stopRequested(int signalNumber);

 private:
  void Drain();

  bool installed_ = false;
  int readFd_ = -1;
  int writeFd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace quibrano
