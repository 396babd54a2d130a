// Whole-file replacement: the new contents go to a temporary file in the
// target's folder and are renamed over the target only once every byte is
// written and flushed to the disk, so a failed save leaves the old file as
// it was.
#pragma once

#include <string>
#include <string_view>

#include "fileerror.h"

namespace quibrano {

enum class FileAccess {
  Shared,     // a new file as the umask allows; an existing one keeps its mode
  OwnerOnly,  // always readable and writable by its owner only
};

// "E/A-Fehler <code>".
FileError IoError(int code);
constexpr int kCannotCreate = 105;

// 105 when the file cannot be created (empty name, missing or read-only
// folder, a name that is a folder or a device); the errno of the failing
// step after that. The temporary file never outlives a failure.
[[nodiscard]] FileResult ReplaceFile(const std::string& name, std::string_view contents,
                                     FileAccess access);

}  // namespace quibrano
