// The remote access dialog: the server's port and password.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quibrano {

class TForm3 : public QDialog {
  Q_OBJECT
 public:
  // The fields start with the stored RemotePort and Password, so a dialog
  // that is never opened still hands them back unchanged.
  explicit TForm3(QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit1 = nullptr;  // port
  QLineEdit* Edit2 = nullptr;  // password
  QPushButton* Button1 = nullptr;

  // "Ok": RemotePort := Edit1, then Password := Edit2, then close.
  void Button1Click();
  // Copies RemotePort and Password into the two fields (the main window's
  // activation does this).
  void FillFromStore();

  // The two fields as the settings file keeps them: one byte per character.
  std::string PortBytes() const;
  std::string PasswordBytes() const;

 public slots:
  // The close box and Escape: nothing is stored, and the fields go back to
  // the stored values.
  void reject() override;
};

}  // namespace quibrano
