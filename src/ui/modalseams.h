// The main window's modal boxes and dialogs, each behind one replaceable
// function so tests can answer them without a person and never hang.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

class QFileDialog;
class QWidget;

namespace quibrano {

// The error box: text + ".", caption "Quibrano", stop icon, OK.
void ShowErrorBox(QWidget* parent, const std::string& text);
// The Load and Save dialogs; an empty result means cancelled.
QString AskOpenFileName(QWidget* parent);
QString AskSaveFileName(QWidget* parent);

// The dialogs as the real seams show them: filters "*.dat" then "alle",
// opening in the current directory; the save dialog appends "dat" to a bare
// name and never asks before overwriting.
std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* parent);
std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* parent);

// Replacements; an empty function puts the real one back. The error box
// replacement receives the full text, full stop included.
using ErrorBoxFunction = std::function<void(QWidget* parent, const QString& text)>;
using FileDialogFunction = std::function<QString(QWidget* parent)>;
void SetErrorBox(ErrorBoxFunction f);
void SetOpenDialog(FileDialogFunction f);
void SetSaveDialog(FileDialogFunction f);

}  // namespace quibrano
