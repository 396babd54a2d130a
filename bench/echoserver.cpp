#include "echoserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quibrano::bench {
namespace {

[[noreturn]] void Serve(int listener) {
  const int epoll = epoll_create1(EPOLL_CLOEXEC);
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = listener;
  epoll_ctl(epoll, EPOLL_CTL_ADD, listener, &ev);
  epoll_event events[64];
  char buf[4096];
  for (;;) {
    const int n = epoll_wait(epoll, events, 64, -1);
    for (int i = 0; i < n; ++i) {
      const int fd = events[i].data.fd;
      if (fd == listener) {
        const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        const int one = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        epoll_event cev{};
        cev.events = EPOLLIN;
        cev.data.fd = client;
        epoll_ctl(epoll, EPOLL_CTL_ADD, client, &cev);
        continue;
      }
      const ssize_t got = recv(fd, buf, sizeof buf, 0);
      if (got <= 0) {
        epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
        close(fd);
        continue;
      }
      // Replies are a few bytes; the socket buffer always takes them whole.
      if (send(fd, buf, static_cast<size_t>(got), MSG_NOSIGNAL) < 0) {
        epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
        close(fd);
      }
    }
  }
}

}  // namespace

EchoServer::~EchoServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

bool EchoServer::Start(std::string* error) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener, 256) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    *error = std::string("echo server: cannot listen: ") + std::strerror(errno);
    if (listener >= 0) close(listener);
    return false;
  }
  port_ = ntohs(addr.sin_port);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(0);
    Serve(listener);
  }
  close(listener);
  if (pid < 0) {
    *error = std::string("echo server: cannot fork: ") + std::strerror(errno);
    return false;
  }
  pid_ = pid;
  return true;
}

}  // namespace quibrano::bench
