#include "boardinputs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "soakrun.h"

namespace quibrano::soak {

BoardInputs::BoardInputs(Soak& soak) : soak_(soak) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &BoardInputs::Flip);
}

BoardInputs::~BoardInputs() { Stop(); }

bool BoardInputs::Start(std::string* error) {
  // Non-blocking only for the open: it fails at once when nobody reads.
  fd_ = open(soak_.options().boardCommands.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    *error = "cannot open the board's command stream " + soak_.options().boardCommands + ": " + std::strerror(errno);
    return false;
  }
  fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  if (!Send("k1 open") || !Send("k2 open")) {
    *error = "cannot write to the board's command stream: " + std::string(std::strerror(errno));
    return false;
  }
  const int64_t now = soak_.NowMs();
  soak_.judge().InputChanged(0, false, now);
  soak_.judge().InputChanged(1, false, now);
  timer_.start(soak_.Between(150, 600));
  return true;
}

void BoardInputs::Stop() {
  timer_.stop();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool BoardInputs::Send(const std::string& line) {
  const std::string text = line + "\n";
  return write(fd_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void BoardInputs::Flip() {
  const int k = soak_.Between(0, 1);
  const bool closed = !closed_[k];
  if (!Send(std::string(k == 0 ? "k1 " : "k2 ") + (closed ? "closed" : "open"))) {
    soak_.Abort("the board simulator stopped reading its commands: " + std::string(std::strerror(errno)));
    return;
  }
  closed_[k] = closed;
  soak_.judge().InputChanged(k, closed, soak_.NowMs());
  ++soak_.counters().inputChanges;
  // One change in five is held long enough for the debounce and the answers.
  timer_.start(soak_.Between(0, 4) == 0 ? soak_.Between(2000, 4500) : soak_.Between(150, 600));
}

}  // namespace quibrano::soak
