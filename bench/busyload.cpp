#include "busyload.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

namespace quibrano::bench {

BusyLoad::BusyLoad(int count) {
  const pid_t parent = getpid();
  for (int i = 0; i < count; ++i) {
    const pid_t pid = fork();
    if (pid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(0);
      volatile unsigned long spin = 0;
      for (;;) spin = spin + 1;
    }
    if (pid > 0) pids_.push_back(pid);
  }
}

BusyLoad::~BusyLoad() {
  for (const pid_t pid : pids_) kill(pid, SIGKILL);
  for (const pid_t pid : pids_) waitpid(pid, nullptr, 0);
}

int OtherCores() {
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  return std::max(1, cores - 1);
}

}  // namespace quibrano::bench
