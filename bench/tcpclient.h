// A blocking loopback client: the one client code that drives the remote
// server and the echo server alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quibrano::bench {

class TcpClient {
 public:
  TcpClient() = default;
  ~TcpClient();
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;

  // Connects to 127.0.0.1:port; with greeting, also reads the server's
  // "connect". False with a reason (refused, closed unseen, other greeting).
  bool Open(uint16_t port, bool greeting, int timeoutMs, std::string* error);
  // Sends text, returns the bytes of the first read that brings any: the
  // protocol has no framing, and a reply of a few bytes comes in one piece
  // on loopback. Nothing when no byte came within timeoutMs or the server
  // closed.
  std::optional<std::string> Ask(std::string_view text, int timeoutMs);
  // Sends text that gets no reply.
  bool Send(std::string_view text);

 private:
  std::optional<std::string> ReadSome(int timeoutMs);
  int fd_ = -1;
};

// True when something accepts connections on 127.0.0.1:port.
bool CanConnect(uint16_t port);
// A port that was free a moment ago (nothing holds it for the caller).
uint16_t FreePort();

}  // namespace quibrano::bench
