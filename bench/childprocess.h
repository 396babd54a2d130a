// A program run as a child of the benchmark: its own working folder, extra
// environment, output to a log file. It dies with the benchmark, so a failed
// run leaves nothing behind on a shared machine.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace quibrano::bench {

class ChildProcess {
 public:
  struct Options {
    std::string program;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> env;  // set or replaced
    std::string workDir;                                   // empty: the benchmark's own
    std::string logPath;                                   // standard output and error; empty: /dev/null
  };

  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Returns once the program has been exec'd (or has failed to be). False
  // with a reason.
  bool Start(const Options& options, std::string* error);
  // The monotonic ms (SteadyMs) just before the fork.
  double StartedMs() const { return startedMs_; }
  pid_t Pid() const { return pid_; }
  bool Running();
  // SIGTERM, up to graceMs for it to end, then SIGKILL. The wait status
  // text ("exit 0", "signal 9"), or "" when nothing was running.
  std::string Stop(int graceMs = 5000);

 private:
  pid_t pid_ = -1;
  double startedMs_ = 0;
  std::string ended_;
};

}  // namespace quibrano::bench
