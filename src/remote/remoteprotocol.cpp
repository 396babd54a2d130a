#include "remoteprotocol.h"

#include <algorithm>

#include "parseinteger.h"
#include "store.h"

namespace quibrano {
namespace {

bool InDropSequence() {
  return store.RemoteState == DropRequested || store.RemoteState == Refused ||
         store.RemoteState == ClosePending;
}

}  // namespace

std::optional<uint16_t> ListenPortFrom(std::string_view portText) {
  const int32_t port = ParseInteger(portText);
  if (port < 1 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

RemoteProtocol::RemoteProtocol(RemoteView& view) : view_(view) {}

std::optional<std::string> RemoteProtocol::Connect(ConnectionId id) {
  if (logins_.size() >= kMaxConnections) return std::nullopt;
  logins_[id] = false;
  view_.SetIndicator(true);
  return std::string("connect");
}

ReceiveResult RemoteProtocol::Receive(ConnectionId id, std::string_view message) {
  const auto conn = logins_.find(id);
  if (conn == logins_.end()) return {};
  if (message.size() >= kMaxMessageBytes) return {.reply = {}, .drop = true};

  if (store.RemoteState == Refused) return {};
  if (store.RemoteState == DropRequested) {
    store.RemoteState = Refused;
    return {.reply = "nolegal"};
  }
  if (message == "repeat") return {.reply = std::to_string(store.RelayWord)};
  if (message.starts_with("Pa")) {
    if (message != "Pass:" + store.Password) return {.reply = "nolegal"};
    conn->second = true;
    ShowLoginState();
    return {.reply = "legal"};
  }
  if (!conn->second) return {};
  // The low byte of the value, also for negative numbers (-1 gives 255).
  store.RelayWord = static_cast<uint8_t>(static_cast<uint32_t>(ParseInteger(message)) & 0xFFu);
  return {};
}

void RemoteProtocol::Disconnect(ConnectionId id) {
  logins_.erase(id);
  if (store.RemoteState == Refused) store.RemoteState = ClosePending;
  ShowLoginState();
  view_.SetIndicator(false);
}

bool RemoteProtocol::SwitchedOff() {
  if (!view_.IndicatorGreen()) return true;
  for (auto& [id, loggedIn] : logins_) loggedIn = false;
  store.RemoteState = DropRequested;
  return false;
}

bool RemoteProtocol::IsLoggedIn(ConnectionId id) const {
  const auto conn = logins_.find(id);
  return conn != logins_.end() && conn->second;
}

void RemoteProtocol::ShowLoginState() {
  if (InDropSequence()) return;
  const bool any = std::any_of(logins_.begin(), logins_.end(), [](const auto& c) { return c.second; });
  store.RemoteState = any ? LoggedIn : Idle;
}

}  // namespace quibrano
