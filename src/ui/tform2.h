// The help window: a fixed German text and an OK button.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace quibrano {

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);

  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* BitBtn1 = nullptr;

  void BitBtn1Click();
};

}  // namespace quibrano
