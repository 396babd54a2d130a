#include "tcpclient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "benchenv.h"

namespace quibrano::bench {
namespace {

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return addr;
}

}  // namespace

TcpClient::~TcpClient() {
  if (fd_ >= 0) close(fd_);
}

bool TcpClient::Open(uint16_t port, bool greeting, int timeoutMs, std::string* error) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in addr = Loopback(port);
  if (fd_ < 0 || connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    *error = std::string("cannot connect: ") + std::strerror(errno);
    return false;
  }
  const int one = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (!greeting) return true;
  std::string text;
  const double deadline = SteadyMs() + timeoutMs;
  while (text.size() < 7) {
    const auto more = ReadSome(static_cast<int>(deadline - SteadyMs()));
    if (!more) break;
    text += *more;
  }
  if (text != "connect") {
    *error = text.empty() ? "closed without greeting" : "greeted with \"" + text + "\"";
    return false;
  }
  return true;
}

bool TcpClient::Send(std::string_view text) {
  size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = send(fd_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

std::optional<std::string> TcpClient::Ask(std::string_view text, int timeoutMs) {
  if (!Send(text)) return std::nullopt;
  return ReadSome(timeoutMs);
}

std::optional<std::string> TcpClient::ReadSome(int timeoutMs) {
  if (fd_ < 0 || timeoutMs <= 0) return std::nullopt;
  pollfd p{fd_, POLLIN, 0};
  int ready;
  do {
    ready = poll(&p, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return std::nullopt;
  char buf[512];
  const ssize_t n = recv(fd_, buf, sizeof buf, 0);
  if (n <= 0) return std::nullopt;
  return std::string(buf, static_cast<size_t>(n));
}

bool CanConnect(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const sockaddr_in addr = Loopback(port);
  const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

uint16_t FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in addr = Loopback(0);
  socklen_t len = sizeof addr;
  uint16_t port = 0;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  close(fd);
  return port;
}

}  // namespace quibrano::bench
