// Tells when the main window has closed for good. A close that the window
// refuses (a failed save) keeps it open, and the program with it.
#pragma once

#include <QObject>

class QWidget;

namespace quibrano {

class MainWindowWatch : public QObject {
  Q_OBJECT
 public:
  explicit MainWindowWatch(QWidget* mainWindow);

 signals:
  void closed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
};

}  // namespace quibrano
