#pragma once

#include <optional>
#include <string>

namespace quibrano {

// A failed file operation. The caller's handler ends at that step, and the
// window shows text + "." in an error box.
struct FileError {
  std::string text;  // "Ungültige numerische Eingabe", "E/A-Fehler 105", ...
};

// Empty on success.
using FileResult = std::optional<FileError>;

}  // namespace quibrano
