// One connection to the controller's remote server, used step by step: the
// protocol has no framing, so every message waits for its reply (or for a
// quiet spell) before the next one goes out.
#pragma once

#include <QTcpSocket>
#include <string>
#include <string_view>

namespace quibrano {

class RemoteClient {
 public:
  explicit RemoteClient(int timeoutMs) : timeoutMs_(timeoutMs) {}

  // Connects and reads the greeting. On failure error() says why.
  bool Open(const std::string& host, uint16_t port);
  // Sends text and returns the reply; empty with error() set when none came
  // within the time-out or the connection ended.
  std::string Ask(std::string_view text);
  // Sends text that is not answered when all is well, and returns what
  // arrived anyway within quietMs (empty when nothing did).
  std::string Tell(std::string_view text, int quietMs);

  const std::string& error() const { return error_; }

 private:
  // Everything that arrives until the reply is whole: a known reply text,
  // three digits, or a short spell without further bytes.
  std::string ReadReply(int firstByteMs);
  void Send(std::string_view text);

  QTcpSocket socket_;
  int timeoutMs_;
  std::string error_;
};

}  // namespace quibrano
