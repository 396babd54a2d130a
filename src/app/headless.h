// Running without a display: the controller still works, only unseen.
#pragma once

namespace quibrano {

// True when nothing names a display or a platform plugin, so the default
// plugin would fail to connect and end the program. Null and empty values
// count as unset.
bool NeedsOffscreen(const char* display, const char* waylandDisplay, const char* qpaPlatform);

// Before the application object exists: on a system whose windows need a
// display server, and with none named, chooses the offscreen platform and
// says so on standard error. True when it did.
bool ChooseOffscreenWithoutDisplay();

}  // namespace quibrano
