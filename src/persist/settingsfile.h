// The settings file "relf.ini": 12 lines in the current directory.
#pragma once

#include "fileerror.h"
#include "views.h"

namespace quibrano {

void ReadSettings(SettingsView& view);
// Strips ConfigName to its bare name (after the last "\"), then writes.
[[nodiscard]] FileResult WriteSettings(const SettingsView& view);

}  // namespace quibrano
