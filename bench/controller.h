// The real controller program under measurement: a child process in a fresh
// working folder, its COM1 wired to a board simulator inside the benchmark
// (or to a device that is not there, for a closed link).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "boardsim.h"
#include "childprocess.h"
#include "workfolder.h"

namespace quibrano::bench {

struct ControllerOptions {
  bool linkOpen = true;
  bool remote = false;
  std::string password = "bench";
  bool pace = true;  // the simulator answers at the pace of a 1200 baud line
  // Fills the store with the programs the controller loads at start.
  std::function<void()> programs;
  // Another program to run in its place, as a baseline, with its arguments;
  // "{device}" in an argument becomes the board's device.
  std::string program;
  std::vector<std::string> args;
};

class Controller {
 public:
  Controller();
  ~Controller();
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  // Starts the program and waits until it works: the first poll byte at the
  // board when the link is open, the remote port accepting when Remote is on.
  bool Start(const ControllerOptions& options, std::string* error);
  // The wait status text of the program.
  std::string Stop();

  BoardSim* Board() { return board_.get(); }
  // SteadyMs of a time the board logged.
  double BoardTimeMs(int64_t boardMs) const { return boardStartMs_ + static_cast<double>(boardMs); }
  ChildProcess& Process() { return process_; }
  uint16_t RemotePort() const { return port_; }
  // SteadyMs of the first poll byte and of the first byte of any kind at
  // the board; 0 when the link is closed.
  double FirstPollMs() const { return firstPollMs_; }
  double FirstByteMs() const { return firstByteMs_; }
  // The end of the program's output, for a failure report.
  std::string LogTail() const;

 private:
  bool WaitUntilWorking(const ControllerOptions& options, std::string* error);

  WorkFolder folder_;
  std::unique_ptr<BoardSim> board_;
  double boardStartMs_ = 0;
  ChildProcess process_;
  uint16_t port_ = 0;
  double firstPollMs_ = 0;
  double firstByteMs_ = 0;
};

// The controller program: $BENCH_PROGRAM, else the one built with the
// benchmarks.
std::string ControllerProgram();

}  // namespace quibrano::bench
