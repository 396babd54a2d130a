// The remote protocol driven through sequences of server events decoded from
// the input: connects, receives, disconnects, the Remote switch and second
// ticks. A model written here from the protocol rules predicts every reply,
// RemoteState and RelayWord; and, tracked on its own, no connection that has
// not itself sent the right password may ever change RelayWord.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "clock.h"
#include "fuzzsupport.h"
#include "referenceinteger.h"
#include "remoteprotocol.h"
#include "secondtick.h"
#include "store.h"
#include "views.h"

namespace {

using namespace quibrano;
using fuzz::Check;

constexpr size_t kMaxEvents = 4000;

class Input {
 public:
  Input(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}
  bool Empty() const { return rest_.empty(); }
  uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  std::string Take(size_t n) {
    n = std::min(n, rest_.size());
    std::string taken(rest_.substr(0, n));
    rest_.remove_prefix(n);
    return taken;
  }

 private:
  std::string_view rest_;
};

// What the rules say the server holds.
struct Model {
  enum class Drop { None, Requested, Refused, ClosePending };

  uint8_t relayWord = 0;
  bool indicator = false;
  bool listening = false;
  Drop drop = Drop::None;
  std::map<ConnectionId, bool> open;  // connection -> logged in

  int32_t RemoteState() const {
    switch (drop) {
      case Drop::Requested: return DropRequested;
      case Drop::Refused: return Refused;
      case Drop::ClosePending: return ClosePending;
      case Drop::None: break;
    }
    for (const auto& [id, in] : open)
      if (in) return LoggedIn;
    return Idle;
  }

  void Disconnect(ConnectionId id) {
    open.erase(id);
    if (drop == Drop::Refused) drop = Drop::ClosePending;
    indicator = false;
  }

  void CloseServer() {
    listening = false;
    while (!open.empty()) Disconnect(open.begin()->first);
  }

  void SwitchOff() {
    if (!indicator) {
      CloseServer();
      return;
    }
    for (auto& [id, in] : open) in = false;
    drop = Drop::Requested;
  }

  struct Reply {
    std::string text;
    bool drop = false;
  };

  Reply Receive(ConnectionId id, const std::string& m, const std::string& password) {
    const auto conn = open.find(id);
    if (conn == open.end()) return {};
    if (m.size() >= kMaxMessageBytes) {
      Disconnect(id);
      return {{}, true};
    }
    if (drop == Drop::Refused) return {};
    if (drop == Drop::Requested) {
      drop = Drop::Refused;
      return {"nolegal"};
    }
    if (m == "repeat") return {std::to_string(relayWord)};
    if (m.size() >= 2 && m[0] == 'P' && m[1] == 'a') {
      if (m != "Pass:" + password) return {"nolegal"};
      conn->second = true;
      return {"legal"};
    }
    if (conn->second) relayWord = static_cast<uint8_t>(static_cast<uint32_t>(fuzz::ReferenceParseInteger(m)) & 0xFFu);
    return {};
  }
};

// The socket adapter's part, as the server does it around the protocol.
class Harness : public RemoteView {
 public:
  Harness() : protocol_(*this) {}

  void SetIndicator(bool green) override { indicator_ = green; }
  bool IndicatorGreen() const override { return indicator_; }
  void SwitchRemoteOff() override {
    if (!remoteSwitch_) return;
    remoteSwitch_ = false;
    CheckBox7Click(false);
  }

  void SetSwitch(bool on, bool openFails) {
    openFails_ = openFails;
    if (on == remoteSwitch_) return;
    remoteSwitch_ = on;
    CheckBox7Click(on);
  }

  void CheckBox7Click(bool on) {
    if (on) {
      if (!openFails_) {
        listening_ = true;  // reopening on the same port changes nothing
        return;
      }
      Close();
      SwitchRemoteOff();
      return;
    }
    if (protocol_.SwitchedOff()) Close();
  }

  void Close() {
    listening_ = false;
    while (!sockets_.empty()) Drop(*sockets_.begin());
  }

  void Drop(ConnectionId id) {
    sockets_.erase(id);
    protocol_.Disconnect(id);
  }

  RemoteProtocol& protocol() { return protocol_; }
  std::set<ConnectionId>& sockets() { return sockets_; }
  bool listening() const { return listening_; }
  bool remoteSwitch() const { return remoteSwitch_; }

 private:
  RemoteProtocol protocol_;
  std::set<ConnectionId> sockets_;
  bool indicator_ = false;
  bool listening_ = false;
  bool remoteSwitch_ = false;
  bool openFails_ = false;
};

void CheckAgree(Harness& h, const Model& m) {
  if (store.RelayWord != m.relayWord)
    fuzz::Fail("RelayWord", std::to_string(store.RelayWord) + " want " + std::to_string(m.relayWord));
  if (store.RemoteState != m.RemoteState())
    fuzz::Fail("RemoteState", std::to_string(store.RemoteState) + " want " + std::to_string(m.RemoteState()));
  Check(h.IndicatorGreen() == m.indicator, "indicator");
  Check(h.listening() == m.listening, "listening");
  Check(h.protocol().Connections() == m.open.size(), "connection count");
  for (const auto& [id, in] : m.open) Check(h.protocol().IsLoggedIn(id) == in, "login of a connection");
}

std::string MessageFrom(Input& in, const std::string& password) {
  const uint8_t kind = in.Byte();
  switch (kind % 8) {
    case 0: return "Pass:" + password;
    case 1: return "Pass:" + password + "\r\n";
    case 2: return "repeat";
    case 3: return "repeat\r\n";
    case 4: {
      const auto value = static_cast<int16_t>(in.Byte() | (in.Byte() << 8));
      static const char* const kTails[] = {"", " ", "abc", "\r\n"};
      return std::to_string(value) + kTails[in.Byte() % 4];
    }
    case 5: return std::string(kMaxMessageBytes + in.Byte() % 4 - 1, '7');
    default: return in.Take(in.Byte());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  ResetStore();
  store.Password = in.Take(in.Byte() % 12);

  FakeClock clock;
  clock.Set({.day = 45000, .ms = 12 * 3600 * 1000});
  SetClock(&clock);

  Harness h;
  Model m;
  SetServerCloseHook([&h] { h.Close(); });
  h.SetSwitch(true, false);
  m.listening = true;

  // Connections that have themselves sent the right password, kept apart
  // from the model: only these may ever change RelayWord.
  std::set<ConnectionId> sentPassword;
  std::vector<ConnectionId> closed;
  ConnectionId next = 1;

  // An open connection, or now and then one that is gone or never was.
  auto pick = [&](uint8_t b) -> ConnectionId {
    auto& sockets = h.sockets();
    if (sockets.empty() || b % 8 == 7) {
      if (closed.empty() || b & 8) return next + 1000;
      return closed[(b >> 4) % closed.size()];
    }
    auto it = sockets.begin();
    std::advance(it, b % sockets.size());
    return *it;
  };
  auto forget = [&](ConnectionId id) {
    sentPassword.erase(id);
    closed.push_back(id);
  };

  for (size_t events = 0; !in.Empty() && events < kMaxEvents; ++events) {
    const uint8_t op = in.Byte();
    switch (op % 6) {
      case 0: {  // connect
        if (!h.listening()) break;
        const ConnectionId id = next++;
        const std::optional<std::string> greeting = h.protocol().Connect(id);
        if (m.open.size() >= kMaxConnections) {
          Check(!greeting.has_value(), "a connection over the cap is refused");
        } else {
          Check(greeting == std::optional<std::string>("connect"), "greeting");
          h.sockets().insert(id);
          m.open[id] = false;
          m.indicator = true;
        }
        break;
      }
      case 1:
      case 2: {  // receive
        const ConnectionId id = pick(in.Byte());
        const std::string message = MessageFrom(in, store.Password);
        const uint8_t wordBefore = store.RelayWord;
        const ReceiveResult got = h.protocol().Receive(id, message);
        if (got.drop) h.Drop(id);
        const Model::Reply want = m.Receive(id, message, store.Password);
        if (got.reply != want.text) fuzz::Fail("reply", "\"" + got.reply + "\" want \"" + want.text + "\"");
        Check(got.drop == want.drop, "drop of an over-long message");
        if (store.RelayWord != wordBefore)
          Check(sentPassword.contains(id), "RelayWord changed by a connection that never logged in");
        if (message == "Pass:" + store.Password && want.text == "legal") sentPassword.insert(id);
        if (got.drop) forget(id);
        break;
      }
      case 3: {  // disconnect
        if (h.sockets().empty()) break;
        const ConnectionId id = pick(in.Byte() % 7);
        h.Drop(id);
        m.Disconnect(id);
        forget(id);
        break;
      }
      case 4: {  // the Remote switch
        const uint8_t b = in.Byte();
        const bool on = b & 1;
        const bool openFails = b & 2;
        const std::set<ConnectionId> before = h.sockets();
        const bool changes = on != h.remoteSwitch();
        h.SetSwitch(on, openFails);
        if (changes && on && !openFails) m.listening = true;
        if (changes && on && openFails) {
          m.CloseServer();
          m.SwitchOff();
        }
        if (changes && !on) m.SwitchOff();
        for (const ConnectionId id : before)
          if (!h.sockets().contains(id)) forget(id);
        break;
      }
      case 5: {  // second tick
        const std::set<ConnectionId> before = h.sockets();
        clock.Advance(1000);
        SecondTick();
        if (m.drop == Model::Drop::ClosePending) {
          m.CloseServer();
          m.drop = Model::Drop::None;
        }
        for (const ConnectionId id : before)
          if (!h.sockets().contains(id)) forget(id);
        break;
      }
    }
    CheckAgree(h, m);
  }

  SetServerCloseHook({});
  SetClock(nullptr);
  return 0;
}
