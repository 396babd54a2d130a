// The floor of the machine for a loopback round trip: a minimal single-thread,
// event-driven echo server in a process of its own, as the controller's server
// is one thread in a process of its own.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace quibrano::bench {

class EchoServer {
 public:
  EchoServer() = default;
  ~EchoServer();
  EchoServer(const EchoServer&) = delete;
  EchoServer& operator=(const EchoServer&) = delete;

  // Listens on a free loopback port and forks the serving process. Start it
  // before the benchmark makes any thread.
  bool Start(std::string* error);
  uint16_t Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  uint16_t port_ = 0;
};

}  // namespace quibrano::bench
