#include "boardsim.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstring>

namespace quibrano {
namespace {

constexpr uint8_t kPollByte = 0x73;
constexpr uint8_t kAcknowledge = 0x78;
constexpr int64_t kByteTimeUs = 8333;  // 10 bits at 1200 baud
constexpr size_t kFloodQueue = 16;

int64_t SteadyUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string Hex(uint8_t b) {
  static const char digits[] = "0123456789abcdef";
  return std::string("0x") + digits[b >> 4] + digits[b & 15];
}

// "12.345": seconds with milliseconds, free of the locale.
std::string Seconds(int64_t ms) {
  char buf[24];
  std::string text(buf, std::to_chars(buf, buf + sizeof buf, ms / 1000).ptr);
  const int64_t frac = ms % 1000;
  text += '.';
  text += static_cast<char>('0' + frac / 100);
  text += static_cast<char>('0' + frac / 10 % 10);
  text += static_cast<char>('0' + frac % 10);
  return text;
}

std::string RelayText(uint8_t relays) {
  std::string text = "relays " + Hex(relays) + ":";
  for (int r = 0; r < 6; ++r) text += std::string(" ") + char('1' + r) + ((relays >> r) & 1 ? "=on" : "=off");
  return text;
}

// Points link at target without a moment in which link is missing.
bool PlaceLink(const std::string& link, const std::string& target, std::string* error) {
  struct stat st{};
  if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    *error = link + " exists and is not a symbolic link";
    return false;
  }
  char pid[24];
  const std::string temp = link + ".new-" + std::string(pid, std::to_chars(pid, pid + sizeof pid, getpid()).ptr);
  unlink(temp.c_str());
  if (symlink(target.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), link.c_str()) != 0) {
    *error = "cannot create " + link + ": " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

BoardSim::BoardSim(Options options, Printer print)
    : options_(std::move(options)), print_(std::move(print)), startUs_(SteadyUs()), pace_(options_.pace) {}

BoardSim::~BoardSim() { Stop(); }

int64_t BoardSim::NowMs() const { return (SteadyUs() - startUs_) / 1000; }

bool BoardSim::Start(std::string* error) {
  if (worker_.joinable()) return true;
  if (!options_.logPath.empty()) {
    log_ = std::fopen(options_.logPath.c_str(), "w");
    if (log_ == nullptr) {
      *error = "cannot write " + options_.logPath + ": " + std::strerror(errno);
      return false;
    }
  }
  wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd_ < 0 || !OpenPty(error)) {
    ClosePty();
    if (wakeFd_ >= 0) close(wakeFd_);
    wakeFd_ = -1;
    return false;
  }
  stopping_ = false;
  worker_ = std::thread([this] { Run(); });
  return true;
}

void BoardSim::Stop() {
  if (!worker_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  const uint64_t one = 1;
  if (write(wakeFd_, &one, sizeof one) < 0) {
    // The eventfd cannot be full after one write; nothing to do.
  }
  worker_.join();
  {
    std::lock_guard lock(mutex_);
    tasks_.clear();  // their callers were released when stopping began
  }
  ClosePty();
  close(wakeFd_);
  wakeFd_ = -1;
  if (log_ != nullptr) std::fclose(log_);
  log_ = nullptr;
}

bool BoardSim::OpenPty(std::string* error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    *error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    if (master >= 0) close(master);
    return false;
  }
  char name[128];
  if (ptsname_r(master, name, sizeof name) != 0) {
    *error = "cannot name the pseudo-terminal";
    close(master);
    return false;
  }
  const int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios t{};
  if (slave < 0 || tcgetattr(slave, &t) != 0) {
    *error = std::string("cannot open ") + name + ": " + std::strerror(errno);
    if (slave >= 0) close(slave);
    close(master);
    return false;
  }
  // Raw from the first moment: an echoing line discipline would send the
  // program's own bytes back to it.
  cfmakeraw(&t);
  tcsetattr(slave, TCSANOW, &t);
  if (!options_.link.empty() && !PlaceLink(options_.link, name, error)) {
    close(slave);
    close(master);
    return false;
  }
  std::lock_guard lock(mutex_);
  linkPlaced_ = !options_.link.empty();
  masterFd_ = master;
  slaveFd_ = slave;
  slavePath_ = name;
  outgoing_.clear();
  return true;
}

void BoardSim::ClosePty() {
  int master, slave;
  bool placed;
  {
    std::lock_guard lock(mutex_);
    placed = linkPlaced_;
    linkPlaced_ = false;
    master = masterFd_;
    slave = slaveFd_;
    masterFd_ = slaveFd_ = -1;
    slavePath_.clear();
    outgoing_.clear();
  }
  if (placed) unlink(options_.link.c_str());
  if (slave >= 0) close(slave);
  if (master >= 0) close(master);
}

void BoardSim::OnWorker(const std::function<void()>& task) {
  if (!worker_.joinable() || std::this_thread::get_id() == worker_.get_id()) {
    task();
    return;
  }
  std::unique_lock lock(mutex_);
  tasks_.push_back(task);
  const uint64_t ticket = ++tasksPosted_;
  lock.unlock();
  const uint64_t one = 1;
  if (write(wakeFd_, &one, sizeof one) < 0) {
    // A full counter already means "wake up".
  }
  lock.lock();
  done_.wait(lock, [&] { return tasksRun_ >= ticket || stopping_; });
}

void BoardSim::SetContact(int k, bool closed) {
  if (k != 0 && k != 1) return;
  std::lock_guard lock(mutex_);
  const auto bit = static_cast<uint8_t>(1u << k);
  input_ = closed ? static_cast<uint8_t>(input_ & ~bit) : static_cast<uint8_t>(input_ | bit);
}

void BoardSim::SetSilent(bool on) {
  std::lock_guard lock(mutex_);
  silent_ = on;
}

void BoardSim::SetFlood(bool on) {
  OnWorker([this, on] {
    std::lock_guard lock(mutex_);
    flood_ = on;
  });
}

void BoardSim::SetPace(bool on) {
  OnWorker([this, on] {
    std::lock_guard lock(mutex_);
    pace_ = on;
  });
}

void BoardSim::SendGarbage(int count) {
  OnWorker([this, count] {
    std::lock_guard lock(mutex_);
    if (masterFd_ < 0) return;
    for (int i = 0; i < count; ++i) {
      // Values 4..255 without the acknowledge: junk that no debounce takes.
      junkState_ = junkState_ * 1664525u + 1013904223u;
      auto b = static_cast<uint8_t>(4 + (junkState_ >> 24) % 252);
      if (b == kAcknowledge) b = 0xA5;
      outgoing_.push_back(b);
    }
  });
}

void BoardSim::Unplug() {
  OnWorker([this] { ClosePty(); });
}

bool BoardSim::Replug(std::string* error) {
  bool ok = false;
  OnWorker([&] {
    if (Plugged()) ClosePty();
    ok = OpenPty(error);
  });
  return ok;
}

std::string BoardSim::SlavePath() const {
  std::lock_guard lock(mutex_);
  return slavePath_;
}

bool BoardSim::Plugged() const {
  std::lock_guard lock(mutex_);
  return masterFd_ >= 0;
}

uint8_t BoardSim::InputByte() const {
  std::lock_guard lock(mutex_);
  return input_;
}

int BoardSim::LastRelayByte() const {
  std::lock_guard lock(mutex_);
  return lastRelay_;
}

std::vector<ReceivedByte> BoardSim::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

std::string BoardSim::StateText() const {
  std::lock_guard lock(mutex_);
  std::string text = lastRelay_ < 0 ? std::string("relays unknown") : RelayText(static_cast<uint8_t>(lastRelay_));
  text += std::string("; K1 ") + (input_ & 1 ? "open" : "closed") + ", K2 " + (input_ & 2 ? "open" : "closed");
  text += std::string("; ") + (masterFd_ >= 0 ? "plugged" : "unplugged");
  if (silent_) text += ", silent";
  if (flood_) text += ", flood";
  if (pace_) text += ", paced";
  return text;
}

void BoardSim::Print(const std::vector<std::string>& lines) const {
  if (!print_) return;
  for (const auto& line : lines) print_(line);
}

// Called with mutex_ held.
void BoardSim::TakeBytes(const uint8_t* bytes, size_t n, std::vector<std::string>& lines) {
  const int64_t ms = NowMs();
  for (size_t i = 0; i < n; ++i) {
    const uint8_t b = bytes[i];
    received_.push_back({ms, b});
    std::string note;
    if (b == kPollByte) {
      note = " poll";
      if (!silent_) {
        outgoing_.push_back(kAcknowledge);
        outgoing_.push_back(input_);
      }
    } else if (b <= 63) {
      note = " relay";
      if (b != lastRelay_) lines.push_back(RelayText(b));
      lastRelay_ = b;
    } else {
      note = " ignored";
    }
    if (log_ != nullptr) {
      const std::string line = Seconds(ms) + " rx " + Hex(b) + note + "\n";
      std::fwrite(line.data(), 1, line.size(), log_);
    }
  }
  if (log_ != nullptr) std::fflush(log_);
}

// Called with mutex_ held.
void BoardSim::SendPending() {
  if (masterFd_ < 0) return;
  if (flood_)
    while (outgoing_.size() < kFloodQueue) outgoing_.push_back(input_);
  while (!outgoing_.empty()) {
    if (pace_) {
      const int64_t now = SteadyUs();
      if (now < nextSendUs_) return;
      nextSendUs_ = std::max(now, nextSendUs_) + kByteTimeUs;
    }
    const uint8_t b = outgoing_.front();
    const ssize_t n = write(masterFd_, &b, 1);
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      outgoing_.clear();  // the line is broken; retrying would only spin
      return;
    }
    if (n != 1) return;  // buffer full: try when poll() says so
    outgoing_.pop_front();
    if (flood_ && outgoing_.size() < kFloodQueue / 2)
      while (outgoing_.size() < kFloodQueue) outgoing_.push_back(input_);
  }
}

// Called with mutex_ held.
int BoardSim::PollTimeoutMs() const {
  if (masterFd_ < 0 || outgoing_.empty() || !pace_) return 100;
  const int64_t waitUs = nextSendUs_ - SteadyUs();
  return static_cast<int>(std::clamp<int64_t>((waitUs + 999) / 1000, 0, 100));
}

void BoardSim::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    while (!tasks_.empty()) {
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      lock.lock();
      ++tasksRun_;
      done_.notify_all();
    }
    SendPending();
    const int master = masterFd_;
    const bool wantWrite = master >= 0 && !outgoing_.empty() && !pace_;
    const int timeout = PollTimeoutMs();
    lock.unlock();

    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {master, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0}};
    const int n = poll(fds, master >= 0 ? 2 : 1, timeout);
    if (n > 0 && (fds[0].revents & POLLIN)) {
      uint64_t count = 0;
      if (read(wakeFd_, &count, sizeof count) < 0) {
        // Nothing to drain: another wake-up already took it.
      }
    }
    std::vector<std::string> lines;
    lock.lock();
    if (n > 0 && master >= 0 && master == masterFd_ && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
      uint8_t buf[256];
      const ssize_t got = read(master, buf, sizeof buf);
      if (got > 0) {
        TakeBytes(buf, static_cast<size_t>(got), lines);
      } else if (got < 0 && errno == EIO) {
        // No one holds the slave open; normal on a pty. Wait, don't spin.
        lock.unlock();
        usleep(10000);
        lock.lock();
      }
    }
    if (!lines.empty()) {
      lock.unlock();
      Print(lines);
      lock.lock();
    }
  }
  // Release waiters of tasks that will never run.
  done_.notify_all();
}

}  // namespace quibrano
