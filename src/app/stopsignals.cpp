#include "stopsignals.h"

#include <QSocketNotifier>
#include <QtGlobal>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstring>
#endif

namespace quibrano {

#ifdef Q_OS_UNIX
namespace {

constexpr std::array<int, 3> kStopSignals{SIGTERM, SIGINT, SIGHUP};
std::array<struct sigaction, kStopSignals.size()> g_previous{};
// Read by the handler; only the one live instance sets it.
volatile sig_atomic_t g_writeFd = -1;

// Async-signal-safe: one byte into the pipe, errno kept for the code it
// interrupted. Qt itself is only reached from the notifier, in the loop.
extern "C" void OnStopSignal(int signalNumber) {
  const int savedErrno = errno;
  const unsigned char byte = static_cast<unsigned char>(signalNumber);
  if (write(g_writeFd, &byte, 1) < 0) {
    // A full pipe already holds a stop request; nothing is lost.
  }
  errno = savedErrno;
}

bool MakePipe(int& readFd, int& writeFd) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  for (int fd : fds) {
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  readFd = fds[0];
  writeFd = fds[1];
  return true;
}

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
  if (g_writeFd != -1) {
    std::fputs("quibrano: stop signals are already handled elsewhere\n", stderr);
    return;
  }
  if (!MakePipe(readFd_, writeFd_)) {
    std::fprintf(stderr, "quibrano: cannot handle stop signals: %s\n", std::strerror(errno));
    return;
  }
  g_writeFd = writeFd_;
  notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::Drain);

  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kStopSignals.size(); ++i) {
    sigaction(kStopSignals[i], &action, &g_previous[i]);
  }
  installed_ = true;
}

StopSignals::~StopSignals() {
  if (installed_) {
    for (size_t i = 0; i < kStopSignals.size(); ++i) {
      sigaction(kStopSignals[i], &g_previous[i], nullptr);
    }
    g_writeFd = -1;
  }
  delete notifier_;
  if (readFd_ >= 0) close(readFd_);
  if (writeFd_ >= 0) close(writeFd_);
}

void StopSignals::Drain() {
  unsigned char bytes[16];
  for (;;) {
    const ssize_t n = read(readFd_, bytes, sizeof bytes);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) emit stopRequested(bytes[i]);
  }
}

#else

// Elsewhere the window system's own close requests are all there is.
StopSignals::StopSignals(QObject* parent) : QObject(parent) {}
StopSignals::~StopSignals() = default;
void StopSignals::Drain() {}

#endif

}  // namespace quibrano
