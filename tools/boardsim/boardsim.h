// A virtual relay board on a pseudo-terminal. It answers the poll byte with
// the acknowledge and its input byte, takes relay bytes, logs every byte it
// receives, and can be made to misbehave (silent, junk, flood, unplug) while
// it runs. One worker thread owns the pty; every change is handed to it, so
// a descriptor is never closed under a poll() that still watches it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quibrano {

struct ReceivedByte {
  int64_t ms = 0;  // since the simulator started
  uint8_t value = 0;
};

class BoardSim {
 public:
  struct Options {
    std::string link;     // stable symlink to the slave device; empty for none
    std::string logPath;  // timestamped log of received bytes; empty for none
    bool pace = false;    // about 8.3 ms per byte sent, as on a 1200 baud line
  };
  // Lines meant for a person: relay changes, a new device after replug.
  using Printer = std::function<void(const std::string&)>;

  explicit BoardSim(Options options, Printer print = {});
  ~BoardSim();
  BoardSim(const BoardSim&) = delete;
  BoardSim& operator=(const BoardSim&) = delete;

  // Creates the pty (and the link) and starts answering. False with a reason.
  bool Start(std::string* error);
  void Stop();

  // The slave device the program opens; empty while unplugged.
  std::string SlavePath() const;
  bool Plugged() const;

  void SetContact(int k, bool closed);  // k 0 = K1, 1 = K2
  void SetSilent(bool on);
  void SetFlood(bool on);
  void SetPace(bool on);
  void SendGarbage(int count);
  void Unplug();
  // Makes a new pty at the same link path. False with a reason.
  bool Replug(std::string* error);

  uint8_t InputByte() const;   // bit 0 K1, bit 1 K2; 1 = open
  int LastRelayByte() const;   // 0..63, or -1 before the first one
  std::vector<ReceivedByte> Received() const;
  std::string StateText() const;

 private:
  void Run();
  // Runs task on the worker thread and waits until it has run.
  void OnWorker(const std::function<void()>& task);
  bool OpenPty(std::string* error);
  void ClosePty();
  void TakeBytes(const uint8_t* bytes, size_t n, std::vector<std::string>& lines);
  void SendPending();
  int PollTimeoutMs() const;
  int64_t NowMs() const;
  void Print(const std::vector<std::string>& lines) const;

  Options options_;
  Printer print_;
  int64_t startUs_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable done_;
  std::deque<std::function<void()>> tasks_;
  uint64_t tasksRun_ = 0;
  uint64_t tasksPosted_ = 0;
  bool stopping_ = false;
  std::thread worker_;
  int wakeFd_ = -1;

  // Owned by the worker; read under mutex_ by the accessors.
  int masterFd_ = -1;
  int slaveFd_ = -1;  // held so the master never sees a hang-up between opens
  std::string slavePath_;
  bool linkPlaced_ = false;  // only a link this board made is removed
  uint8_t input_ = 3;  // both contacts open
  bool silent_ = false;
  bool flood_ = false;
  bool pace_ = false;
  int lastRelay_ = -1;
  std::deque<uint8_t> outgoing_;
  int64_t nextSendUs_ = 0;
  uint32_t junkState_ = 0x2545F491u;
  std::vector<ReceivedByte> received_;
  std::FILE* log_ = nullptr;
};

}  // namespace quibrano
