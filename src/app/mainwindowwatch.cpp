#include "mainwindowwatch.h"

#include <QEvent>
#include <QWidget>

namespace quibrano {

MainWindowWatch::MainWindowWatch(QWidget* mainWindow) : QObject(mainWindow), window_(mainWindow) {
  window_->installEventFilter(this);
}

bool MainWindowWatch::eventFilter(QObject* watched, QEvent* event) {
  // An accepted close hides the window; minimising hides it only
  // spontaneously and leaves it visible in Qt's sense.
  if (watched == window_ && event->type() == QEvent::Hide && !event->spontaneous() &&
      !window_->isVisible()) {
    emit closed();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace quibrano
