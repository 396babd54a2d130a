// The remote control protocol without sockets: what the server answers, which
// state it moves to, and when a connection must be dropped. The socket adapter
// (RemoteServer) only moves bytes; a fuzzer can drive this class directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "views.h"

namespace quibrano {

using ConnectionId = uint64_t;

// One receive delivers at most this many bytes. No command is this long (a
// password would have to be longer than 4090 bytes), so a receive that fills
// the bound is part of an over-long message, and its connection is dropped.
constexpr size_t kMaxMessageBytes = 4096;
// Connections beyond this are closed at once, without greeting.
constexpr size_t kMaxConnections = 256;
// A client that never reads its replies is dropped once this much is unsent.
constexpr int64_t kMaxUnsentBytes = 64 * 1024;

// The server port from RemotePort: 1..65535, anything else has none (never
// cut to 16 bits).
std::optional<uint16_t> ListenPortFrom(std::string_view portText);

struct ReceiveResult {
  std::string reply;  // sent as it stands; empty: nothing is sent
  bool drop = false;  // close this connection
};

// Logins belong to connections. A correct "Pass:" logs in the connection that
// sent it, and only numbers from a logged-in connection set RelayWord; the
// login ends when the connection closes or a drop sequence starts.
// store.RemoteState carries the drop sequence (DropRequested, Refused,
// ClosePending); outside it, it shows LoggedIn while any connection is logged
// in and Idle otherwise. A login during ClosePending does not cancel the
// pending close: the Remote switch is off, so the server still closes.
class RemoteProtocol {
 public:
  explicit RemoteProtocol(RemoteView& view);

  // A connection was accepted: the greeting to send, or nothing when the
  // connection is over the cap and must be closed unseen (the indicator is
  // left alone then).
  std::optional<std::string> Connect(ConnectionId id);
  // One receive on a connection, taken whole.
  ReceiveResult Receive(ConnectionId id, std::string_view message);
  // A connection ended (also each one dropped by a close of the server).
  void Disconnect(ConnectionId id);
  // The Remote switch went off. True when the server must close now; false
  // when a client is connected and a drop sequence has started instead.
  bool SwitchedOff();

  size_t Connections() const { return logins_.size(); }
  bool IsLoggedIn(ConnectionId id) const;

 private:
  void ShowLoginState();

  RemoteView& view_;
  std::unordered_map<ConnectionId, bool> logins_;  // every open connection
};

}  // namespace quibrano
