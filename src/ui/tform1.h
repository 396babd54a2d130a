// The main window. Its controls carry the names the rest of the program and
// the tests know them by (also as objectName).
#pragma once

#include <QWidget>

#include "views.h"

namespace quibrano {

class TForm2;
class TForm3;

class TForm1 : public QWidget,
               public ConfigView,
               public SettingsView,
               public LinkView,
               public RemoteView {
  Q_OBJECT
 public:
  // Builds every control, then runs FormCreate (settings, configuration,
  // counters, link).
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // The help window and the remote access dialog, created after this window.
  void SetDialogs(TForm2* help, TForm3* remoteDialog);

  // (controls, handlers and the view implementations follow)
};

}  // namespace quibrano
