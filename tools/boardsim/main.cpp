// quibrano-boardsim: a virtual relay board for people without hardware.
// First line of output: the device to give the controller (QUIBRANO_COM1).
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "boardsim.h"
#include "simcommand.h"

namespace {

std::mutex outputMutex;

void Say(const std::string& line) {
  std::lock_guard lock(outputMutex);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int Usage() {
  std::fputs(
      "usage: quibrano-boardsim [--link PATH] [--log FILE] [--pace]\n"
      "  --link PATH  keep a symbolic link to the device at PATH (also after replug)\n"
      "  --log FILE   write every received byte with its time to FILE\n"
      "  --pace       send like a 1200 baud line, about 8.3 ms per byte\n"
      "Commands on standard input: k1 open|closed, k2 open|closed, silent on|off,\n"
      "garbage N, flood on|off, pace on|off, unplug, replug, state, quit\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  quibrano::BoardSim::Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--link" || arg == "--log") && i + 1 < argc) {
      (arg == "--link" ? options.link : options.logPath) = argv[++i];
    } else if (arg == "--pace") {
      options.pace = true;
    } else {
      return Usage();
    }
  }

  // Signals arrive as readable data, so the loop below ends cleanly and the
  // link is removed.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);

  quibrano::BoardSim sim(options, Say);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "quibrano-boardsim: %s\n", error.c_str());
    return 1;
  }
  Say(sim.SlavePath());

  std::string pending;
  bool stdinOpen = true;
  bool quit = false;
  while (!quit) {
    pollfd fds[2] = {{signalFd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    // Without a terminal (stdin at its end) the board keeps running until a
    // signal stops it.
    const int n = poll(fds, stdinOpen ? 2 : 1, -1);
    if (n < 0) continue;
    if (fds[0].revents & POLLIN) break;
    if (!stdinOpen || !(fds[1].revents & (POLLIN | POLLHUP))) continue;
    char buf[512];
    const ssize_t got = read(STDIN_FILENO, buf, sizeof buf);
    if (got <= 0) {
      stdinOpen = false;
      continue;
    }
    pending.append(buf, static_cast<size_t>(got));
    for (size_t nl; !quit && (nl = pending.find('\n')) != std::string::npos;) {
      const std::string reply = quibrano::RunSimCommand(sim, pending.substr(0, nl), quit);
      pending.erase(0, nl + 1);
      if (!reply.empty()) Say(reply);
    }
  }
  sim.Stop();
  return 0;
}
