// Without a display nobody sees the window, so its status travels to
// standard output instead: the port and board lines, the relay and input
// lamps, the Remote switch and the client indicator, each time one changes.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdio>

class QTimer;
class QWidget;

namespace quibrano {

class StatusReport : public QObject {
  Q_OBJECT
 public:
  // Watches the controls of window by their names; writes to out.
  StatusReport(QWidget* window, std::FILE* out, QObject* parent = nullptr);

  // One line per watched control, "Label9: COM 1   Open" and the like.
  QStringList Snapshot() const;
  // Writes the lines that changed since the last call (all of them the
  // first time).
  void Report();

 private:
  QWidget* window_;
  std::FILE* out_;
  QStringList last_;
  QTimer* timer_;
};

}  // namespace quibrano
