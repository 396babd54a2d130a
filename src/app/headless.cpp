#include "headless.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace quibrano {
namespace {

bool Unset(const char* value) { return value == nullptr || *value == '\0'; }

}  // namespace

bool NeedsOffscreen(const char* display, const char* waylandDisplay, const char* qpaPlatform) {
  return Unset(display) && Unset(waylandDisplay) && Unset(qpaPlatform);
}

bool ChooseOffscreenWithoutDisplay() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
  if (!NeedsOffscreen(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                      std::getenv("QT_QPA_PLATFORM"))) {
    return false;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::fputs(
      "quibrano: no display: running headless (offscreen); board, timers and remote server "
      "work as usual\n",
      stderr);
  return true;
#else
  // Windows and macOS always have their own window system.
  return false;
#endif
}

}  // namespace quibrano
