// One remote client of the soak run. The protocol has no framing, so a
// client never has more than one message without its answer on the way.
#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

#include "soakjudge.h"

namespace quibrano::soak {

class Soak;

enum class Role {
  Setter,       // logs in, asks "repeat", takes turns setting relays
  Junk,         // never logs in; sends junk, numbers and wrong logins
  Reconnector,  // connects, does one thing, leaves, again and again
};

class SoakClient : public QObject {
  Q_OBJECT
 public:
  SoakClient(Soak& soak, Role role, int index);

  void Start(int delayMs);
  void Stop();

 private:
  using Reply = std::function<void(const std::string&)>;

  void Connect();
  void OnConnected();
  void OnReadyRead();
  void OnDisconnected();
  void OnError();

  // Sends text and hands its answer to then; no answer in time ends the
  // connection.
  void Ask(const std::string& text, Reply then);
  // Sends text that gets no answer.
  void Tell(const std::string& text);
  // Runs step after ms, unless this connection has ended by then.
  void After(int ms, std::function<void()> step);
  void TryCompleteReply();
  void CompleteReply();
  void DrainJunkReplies();
  // Ends this connection (our side) and connects again after ms.
  void Reconnect(int ms);
  void ConnectionEnded();

  void Greeted();
  void SetterStep();
  void HoldToken();
  void ReconnectorStep();
  void JunkStep();
  void AskWord(std::function<void()> then);
  void ExpectLogin(bool right, std::function<void()> then);

  std::string Name() const;

  Soak& soak_;
  Role role_;
  int index_;
  QTcpSocket socket_;
  QTimer answerTimeout_;
  QTimer settle_;            // a short answer of digits may still grow
  uint64_t connection_ = 0;  // counts connections; late steps of old ones are dropped
  bool live_ = false;        // connected and not yet ended by either side
  bool greeted_ = false;
  bool stopped_ = false;
  bool awaiting_ = false;
  std::string inbox_;
  Reply then_;
  // A set this client has sent and not yet seen answered.
  bool setPending_ = false;
  bool holdsToken_ = false;
};

}  // namespace quibrano::soak
