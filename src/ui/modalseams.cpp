#include "modalseams.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace quibrano {
namespace {

ErrorBoxFunction& ErrorBoxSlot() {
  static ErrorBoxFunction f;
  return f;
}
FileDialogFunction& OpenDialogSlot() {
  static FileDialogFunction f;
  return f;
}
FileDialogFunction& SaveDialogSlot() {
  static FileDialogFunction f;
  return f;
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent) {
  auto dialog = std::make_unique<QFileDialog>(parent);
  // Asked for anew each time: the folder may have moved since the last one.
  dialog->setDirectory(QDir::currentPath());
  dialog->setNameFilters({QStringLiteral("*.dat (*.dat)"), QStringLiteral("alle (*)")});
  dialog->selectNameFilter(QStringLiteral("*.dat (*.dat)"));
  return dialog;
}

QString RunFileDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : QDir::toNativeSeparators(files.first());
}

}  // namespace

std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* parent) {
  auto dialog = MakeFileDialog(parent);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  // A name that does not exist yet is accepted: it loads the defaults.
  dialog->setFileMode(QFileDialog::AnyFile);
  return dialog;
}

std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* parent) {
  auto dialog = MakeFileDialog(parent);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog->setDefaultSuffix(QStringLiteral("dat"));
  return dialog;
}

void ShowErrorBox(QWidget* parent, const std::string& text) {
  const QString full = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())) +
                       QLatin1Char('.');
  if (ErrorBoxSlot()) {
    ErrorBoxSlot()(parent, full);
    return;
  }
  QMessageBox::critical(parent, QStringLiteral("Quibrano"), full, QMessageBox::Ok);
}

QString AskOpenFileName(QWidget* parent) {
  if (OpenDialogSlot()) return OpenDialogSlot()(parent);
  auto dialog = MakeOpenDialog(parent);
  return RunFileDialog(*dialog);
}

QString AskSaveFileName(QWidget* parent) {
  if (SaveDialogSlot()) return SaveDialogSlot()(parent);
  auto dialog = MakeSaveDialog(parent);
  return RunFileDialog(*dialog);
}

void SetErrorBox(ErrorBoxFunction f) { ErrorBoxSlot() = std::move(f); }
void SetOpenDialog(FileDialogFunction f) { OpenDialogSlot() = std::move(f); }
void SetSaveDialog(FileDialogFunction f) { SaveDialogSlot() = std::move(f); }

}  // namespace quibrano
