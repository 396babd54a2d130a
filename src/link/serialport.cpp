// The serial module on termios and poll(). Qt's serial port class was the
// first choice, but its timed waits run through its notifier machinery and
// its modem-line calls report errors on a pseudo-terminal; a plain file
// descriptor with poll() gives the exact single-byte time-outs this module
// promises, on a real port and on a pty alike, and never re-enters the
// event loop from inside a poll tick.
#include "serialport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>

namespace quibrano {

intptr_t PortHandle = 0;

namespace {

constexpr intptr_t kInvalidHandle = -1;
constexpr int kDefaultLimitMs = 10;

int readLimitMs = 1 + kDefaultLimitMs;
int writeLimitMs = 10 + kDefaultLimitMs;

bool Usable(intptr_t handle) { return handle > 0 && handle <= INT_MAX; }

using SteadyClock = std::chrono::steady_clock;

// Rounded up, so a wait is never cut short of its limit.
int RemainingMs(SteadyClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - SteadyClock::now()).count();
  return static_cast<int>(std::clamp<int64_t>((left + 999) / 1000, 0, INT_MAX));
}

// Waits for the given poll event until the deadline. False on time-out, and
// at once when the other side has hung up, so a vanished device costs no wait.
bool WaitFor(int fd, short events, SteadyClock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = poll(&p, 1, RemainingMs(deadline));
    if (n > 0) return (p.revents & events) != 0;
    if (n == 0) return false;
    if (errno != EINTR) return false;
  }
}

// Handle 0 means "no device" to the callers, so a descriptor that lands on
// 0..2 (possible when the program runs with its standard streams closed) is
// moved up out of their way.
int AboveStandardStreams(int fd) {
  if (fd < 0 || fd > 2) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  close(fd);
  return moved;
}

bool ApplyLineSettings(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNPAR | PARMRK);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CREAD | CLOCAL;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (cfsetispeed(&t, B1200) != 0 || cfsetospeed(&t, B1200) != 0) return false;
  if (tcsetattr(fd, TCSANOW, &t) != 0) return false;
  // tcsetattr succeeds when any part was taken; read back what holds.
  termios now{};
  if (tcgetattr(fd, &now) != 0) return false;
  return cfgetospeed(&now) == B1200 && cfgetispeed(&now) == B1200 && (now.c_cflag & CSIZE) == CS8 &&
         (now.c_cflag & (PARENB | CSTOPB | CRTSCTS)) == 0 && (now.c_iflag & (IXON | IXOFF)) == 0 &&
         (now.c_lflag & (ICANON | ECHO)) == 0;
}

void ReleaseHandle(intptr_t handle) {
  if (!Usable(handle)) return;
  const int fd = static_cast<int>(handle);
  ioctl(fd, TIOCNXCL);
  close(fd);
}

}  // namespace

std::string DevicePathFor(const std::string& spec) {
  if (spec.size() < 4) return {};
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  if (upper(spec[0]) != 'C' || upper(spec[1]) != 'O' || upper(spec[2]) != 'M') return {};
  const char digit = spec[3];
  if (digit < '1' || digit > '9') return {};
  const std::string n(1, digit);
  if (digit <= '8') {
    const std::string variable = "QUIBRANO_COM" + n;
    const char* mapped = std::getenv(variable.c_str());
    if (mapped != nullptr && *mapped != '\0') return mapped;
  }
  return "/dev/ttyS" + std::string(1, static_cast<char>(digit - 1));
}

bool OpenPort(const std::string& spec) {
  if (PortHandle != 0) ClosePort();

  const std::string path = DevicePathFor(spec);
  // O_NONBLOCK: the open must not hang waiting for a carrier, and reads and
  // writes take their waits from poll() below.
  int fd = path.empty() ? -1 : open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  fd = AboveStandardStreams(fd);
  if (fd < 0) {
    PortHandle = kInvalidHandle;
    return false;
  }
  // Exclusive use: flock keeps out every other process (root included, whom
  // TIOCEXCL lets through); TIOCEXCL adds the terminal's own guard.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    PortHandle = kInvalidHandle;
    return false;
  }
  PortHandle = fd;
  ioctl(fd, TIOCEXCL);

  const bool applied = ApplyLineSettings(fd);
  // DTR and RTS inactive; a pseudo-terminal has no modem lines and refuses
  // this, which says nothing about whether the line itself works.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(fd, TIOCMBIC, &lines);
  SetPortTimeouts(kDefaultLimitMs);
  // A port starts empty, as a real line does: bytes queued while nobody
  // listened (a pty buffers them) belong to no tick of this session.
  tcflush(fd, TCIOFLUSH);
  return applied;
}

bool SetPortTimeouts(int32_t limit) {
  if (!Usable(PortHandle) || limit < 0) return false;
  // Computed wide: a limit near 2^31 saturates instead of wrapping.
  readLimitMs = static_cast<int>(std::min<int64_t>(int64_t{1} + limit, INT_MAX));
  writeLimitMs = static_cast<int>(std::min<int64_t>(int64_t{10} + limit, INT_MAX));
  return true;
}

void ClosePort() {
  ReleaseHandle(PortHandle);
  PortHandle = 0;
}

void WriteByte(int32_t value) {
  if (!Usable(PortHandle)) return;
  const int fd = static_cast<int>(PortHandle);
  const auto byte = static_cast<unsigned char>(static_cast<uint32_t>(value) & 0xFFu);
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(writeLimitMs);
  for (;;) {
    const ssize_t n = write(fd, &byte, 1);
    if (n == 1) return;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return;
    if (SteadyClock::now() >= deadline || !WaitFor(fd, POLLOUT, deadline)) return;
  }
}

int32_t ReadByte() {
  if (!Usable(PortHandle)) return -1;
  const int fd = static_cast<int>(PortHandle);
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(readLimitMs);
  for (;;) {
    unsigned char byte = 0;
    const ssize_t n = read(fd, &byte, 1);
    if (n == 1) return byte;
    if (n < 0 && errno == EINTR) continue;
    // 0 is "nothing yet" on a raw terminal with VMIN 0; anything but EAGAIN
    // is a broken line (EIO once a pty's other side is gone).
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    // The deadline is checked here too: a device that keeps reporting
    // "readable" but yields nothing must not hold the caller.
    if (SteadyClock::now() >= deadline || !WaitFor(fd, POLLIN, deadline)) return -1;
  }
}

}  // namespace quibrano
