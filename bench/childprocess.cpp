#include "childprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "benchenv.h"

extern char** environ;

namespace quibrano::bench {
namespace {

std::string StatusText(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

std::vector<std::string> Environment(const std::vector<std::pair<std::string, std::string>>& changes) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const auto& [name, value] : changes) replaced = replaced || entry.rfind(name + "=", 0) == 0;
    if (!replaced) env.push_back(entry);
  }
  for (const auto& [name, value] : changes) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& t : texts) pointers.push_back(t.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Start(const Options& options, std::string* error) {
  if (pid_ > 0) {
    *error = "already running";
    return false;
  }
  // Everything the child needs is made before the fork: after it, in a
  // process with threads, only async-signal-safe calls are allowed.
  std::vector<std::string> argTexts{options.program};
  argTexts.insert(argTexts.end(), options.args.begin(), options.args.end());
  std::vector<std::string> envTexts = Environment(options.env);
  std::vector<char*> argv = Pointers(argTexts);
  std::vector<char*> envp = Pointers(envTexts);
  const std::string logPath = options.logPath.empty() ? std::string("/dev/null") : options.logPath;
  const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
  int report[2];
  if (log < 0 || devNull < 0 || pipe2(report, O_CLOEXEC) != 0) {
    *error = "cannot prepare the child's files: " + std::string(std::strerror(errno));
    if (log >= 0) close(log);
    if (devNull >= 0) close(devNull);
    return false;
  }
  const char* workDir = options.workDir.empty() ? nullptr : options.workDir.c_str();
  const pid_t parent = getpid();

  startedMs_ = SteadyMs();
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    int failure = 0;
    if (workDir != nullptr && chdir(workDir) != 0) failure = errno;
    if (failure == 0 && (dup2(devNull, 0) < 0 || dup2(log, 1) < 0 || dup2(log, 2) < 0)) failure = errno;
    if (failure == 0) {
      execve(argv[0], argv.data(), envp.data());
      failure = errno;
    }
    if (write(report[1], &failure, sizeof failure) < 0) {
      // The parent sees a closed pipe and a child that exits 127.
    }
    _exit(127);
  }
  close(report[1]);
  close(log);
  close(devNull);
  if (pid < 0) {
    *error = "cannot fork: " + std::string(std::strerror(errno));
    close(report[0]);
    return false;
  }
  pid_ = pid;
  int failure = 0;
  ssize_t got;
  do {
    got = read(report[0], &failure, sizeof failure);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got > 0) {
    *error = "cannot start " + options.program + ": " + std::strerror(failure);
    Stop(0);
    return false;
  }
  return true;
}

bool ChildProcess::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == pid_) {
    ended_ = StatusText(status);
    pid_ = -1;
    return false;
  }
  return done == 0;
}

std::string ChildProcess::Stop(int graceMs) {
  if (pid_ <= 0) return ended_;
  kill(pid_, SIGTERM);
  const double deadline = SteadyMs() + graceMs;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) break;
    if (SteadyMs() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    SleepMs(10);
  }
  pid_ = -1;
  ended_ = StatusText(status);
  return ended_;
}

}  // namespace quibrano::bench
