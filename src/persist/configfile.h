// The configuration file: 314 lines, one number each.
#pragma once

#include <cstdint>
#include <string>

#include "fileerror.h"
#include "views.h"

namespace quibrano {

// Reads ConfigName into the store (defaults when it cannot be opened),
// selects the port item and refreshes the editor. A malformed value stops the
// read with "Ungültige numerische Eingabe" and no refresh.
[[nodiscard]] FileResult LoadConfig(ConfigView& view);
// Writes the store to ConfigName; the old file is replaced only when the new
// one is complete.
[[nodiscard]] FileResult SaveConfig();

// " 6.04166666666667E-0001": 23 characters, 15 significant digits, "." always.
std::string RealText(double value);
std::string IntegerText(int32_t value);

}  // namespace quibrano
