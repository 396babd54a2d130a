// Processes that spin on the other cores while a timing figure is taken, so the
// figure holds for a machine that is busy with something else.
#pragma once

#include <sys/types.h>

#include <vector>

namespace quibrano::bench {

class BusyLoad {
 public:
  // count spinning processes; they end with this object (or with the
  // benchmark, should it die).
  explicit BusyLoad(int count);
  ~BusyLoad();
  BusyLoad(const BusyLoad&) = delete;
  BusyLoad& operator=(const BusyLoad&) = delete;

  int Count() const { return static_cast<int>(pids_.size()); }

 private:
  std::vector<pid_t> pids_;
};

// One spinner for every core but the one the measured work runs on.
int OtherCores();

}  // namespace quibrano::bench
