// The help window: a fixed German text and an OK button.
#pragma once

#include <QDialog>

class QCloseEvent;
class QKeyEvent;
class QPlainTextEdit;
class QPushButton;

namespace quibrano {

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);

  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* BitBtn1 = nullptr;

  // Closes the window; OK and Enter lead here.
  void BitBtn1Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
};

}  // namespace quibrano
