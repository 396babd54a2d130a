#include "soakclient.h"

#include <optional>
#include <string_view>

#include "soakrun.h"
#include "soaktexts.h"

namespace quibrano::soak {
namespace {

constexpr int kAnswerTimeoutMs = 5000;
// A short answer of digits is whole once nothing more came for this long.
constexpr int kSettleMs = 30;
// Between a set, which gets no answer, and the next message: without it the
// two may arrive as one text.
constexpr int kAfterSetMs = 100;

constexpr std::string_view kWords[] = {"connect", "legal", "nolegal"};

bool IsWord(std::string_view s) {
  for (const std::string_view w : kWords)
    if (s == w) return true;
  return false;
}

bool IsPrefixOfWord(std::string_view s) {
  for (const std::string_view w : kWords)
    if (w.starts_with(s)) return true;
  return false;
}

bool IsDigits(std::string_view s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos; }

// The relay word as the server writes it: 0 to 255, no leading zeros.
std::optional<uint8_t> WordValue(std::string_view s) {
  if (!IsDigits(s) || s.size() > 3 || (s.size() > 1 && s[0] == '0')) return std::nullopt;
  int value = 0;
  for (const char c : s) value = value * 10 + (c - '0');
  if (value > 255) return std::nullopt;
  return static_cast<uint8_t>(value);
}

std::string Printable(std::string_view s) {
  std::string out;
  for (const char c : s.substr(0, 40)) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 32 && u < 127) {
      out.push_back(c);
    } else {
      static const char kHex[] = "0123456789abcdef";
      out += "\\x";
      out.push_back(kHex[u >> 4]);
      out.push_back(kHex[u & 15]);
    }
  }
  if (s.size() > 40) out += "...";
  return out;
}

}  // namespace

SoakClient::SoakClient(Soak& soak, Role role, int index) : soak_(soak), role_(role), index_(index) {
  answerTimeout_.setSingleShot(true);
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&socket_, &QTcpSocket::connected, this, &SoakClient::OnConnected);
  connect(&socket_, &QTcpSocket::readyRead, this, &SoakClient::OnReadyRead);
  connect(&socket_, &QTcpSocket::disconnected, this, &SoakClient::OnDisconnected);
  connect(&socket_, &QTcpSocket::errorOccurred, this, &SoakClient::OnError);
  connect(&answerTimeout_, &QTimer::timeout, this, [this] {
    // A set and the "repeat" after it may still have arrived as one text,
    // which the server takes as a number; every other question is alone.
    if (setPending_)
      ++soak_.counters().unansweredAfterSet;
    else
      soak_.judge().Mismatch(Name() + ": no answer within " + std::to_string(kAnswerTimeoutMs / 1000) + " s",
                             soak_.NowMs());
    Reconnect(soak_.Between(100, 500));
  });
  connect(&settle_, &QTimer::timeout, this, [this] {
    if (awaiting_) CompleteReply();
  });
}

std::string SoakClient::Name() const {
  const char* role = role_ == Role::Setter ? "setter" : role_ == Role::Junk ? "junk" : "reconnector";
  return std::string(role) + " " + std::to_string(index_);
}

void SoakClient::Start(int delayMs) {
  const uint64_t connection = connection_;
  QTimer::singleShot(delayMs, this, [this, connection] {
    if (connection == connection_ && !stopped_) Connect();
  });
}

void SoakClient::Stop() {
  stopped_ = true;
  live_ = false;
  ConnectionEnded();
  socket_.abort();
}

void SoakClient::Connect() {
  ++connection_;
  greeted_ = false;
  live_ = false;
  inbox_.clear();
  const SoakOptions& o = soak_.options();
  socket_.connectToHost(QString::fromStdString(o.host), o.port);
}

void SoakClient::OnConnected() {
  live_ = true;
  ++soak_.counters().connections;
  socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  if (role_ == Role::Reconnector && soak_.Between(0, 9) == 0) {
    Reconnect(soak_.Between(20, 200));  // gone before the greeting
    return;
  }
  awaiting_ = true;
  then_ = [this](const std::string& reply) {
    if (reply != "connect") {
      soak_.judge().Mismatch(Name() + ": greeted with \"" + Printable(reply) + "\"", soak_.NowMs());
      Reconnect(soak_.Between(100, 400));
      return;
    }
    Greeted();
  };
  answerTimeout_.start(kAnswerTimeoutMs);
}

void SoakClient::OnReadyRead() {
  const QByteArray bytes = socket_.readAll();
  inbox_.append(bytes.constData(), static_cast<size_t>(bytes.size()));
  if (!live_) return;
  if (role_ == Role::Junk && greeted_) {
    DrainJunkReplies();
    return;
  }
  if (!awaiting_) {
    soak_.judge().Mismatch(Name() + ": unasked answer \"" + Printable(inbox_) + "\"", soak_.NowMs());
    inbox_.clear();
    return;
  }
  TryCompleteReply();
}

void SoakClient::TryCompleteReply() {
  if (IsWord(inbox_) || (IsDigits(inbox_) && inbox_.size() >= 3)) {
    CompleteReply();
  } else if (IsDigits(inbox_)) {
    settle_.start();
  } else if (!IsPrefixOfWord(inbox_)) {
    CompleteReply();  // wrong as it stands; the step that asked says so
  }
}

void SoakClient::CompleteReply() {
  answerTimeout_.stop();
  settle_.stop();
  awaiting_ = false;
  const std::string reply = std::move(inbox_);
  inbox_.clear();
  Reply then = std::move(then_);
  then_ = nullptr;
  if (then) then(reply);
}

// Junk gets "nolegal" for texts that begin with "Pa" and the relay word for
// an exact "repeat"; the network may join several. Nothing else may come.
void SoakClient::DrainJunkReplies() {
  constexpr std::string_view kNolegal = "nolegal";
  size_t i = 0;
  while (i < inbox_.size()) {
    const std::string_view rest = std::string_view(inbox_).substr(i);
    if (rest.starts_with(kNolegal)) {
      i += kNolegal.size();
    } else if (rest[0] >= '0' && rest[0] <= '9') {
      ++i;
    } else if (kNolegal.starts_with(rest)) {
      break;  // the rest is on its way
    } else {
      soak_.judge().Mismatch(Name() + ": junk answered with \"" + Printable(rest) + "\"", soak_.NowMs());
      i = inbox_.size();
    }
  }
  inbox_.erase(0, i);
}

void SoakClient::OnDisconnected() {
  if (!live_) return;  // our own close
  live_ = false;
  if (!greeted_) {
    ++soak_.counters().refused;
  } else if (role_ == Role::Junk) {
    ++soak_.counters().junkDropped;
  } else {
    soak_.judge().Mismatch(Name() + ": the server closed the connection", soak_.NowMs());
  }
  ConnectionEnded();
  Start(soak_.Between(100, 400));
}

void SoakClient::OnError() {
  if (live_ || stopped_ || socket_.state() == QAbstractSocket::ConnectedState) return;
  // The connection never came about (the server is not listening).
  ++soak_.counters().connectErrors;
  ConnectionEnded();
  socket_.abort();
  Start(500);
}

void SoakClient::Ask(const std::string& text, Reply then) {
  awaiting_ = true;
  then_ = std::move(then);
  answerTimeout_.start(kAnswerTimeoutMs);
  Tell(text);
}

void SoakClient::Tell(const std::string& text) {
  socket_.write(text.data(), static_cast<qint64>(text.size()));
  socket_.flush();
}

void SoakClient::After(int ms, std::function<void()> step) {
  const uint64_t connection = connection_;
  QTimer::singleShot(ms, this, [this, connection, step = std::move(step)] {
    if (connection == connection_ && live_ && !stopped_) step();
  });
}

void SoakClient::Reconnect(int ms) {
  live_ = false;
  ConnectionEnded();
  socket_.abort();
  Start(ms);
}

void SoakClient::ConnectionEnded() {
  ++connection_;
  answerTimeout_.stop();
  settle_.stop();
  awaiting_ = false;
  then_ = nullptr;
  inbox_.clear();
  if (setPending_) {
    soak_.judge().SetLost(soak_.NowMs());
    setPending_ = false;
  }
  if (holdsToken_) {
    soak_.ReleaseToken(this);
    holdsToken_ = false;
  }
}

void SoakClient::Greeted() {
  greeted_ = true;
  ++soak_.counters().greetings;
  soak_.Greeted();
  switch (role_) {
    case Role::Setter: ExpectLogin(true, [this] { SetterStep(); }); break;
    case Role::Junk: JunkStep(); break;
    case Role::Reconnector: ReconnectorStep(); break;
  }
}

void SoakClient::ExpectLogin(bool right, std::function<void()> then) {
  std::string password = soak_.options().password;
  if (!right) std::erase(password, kPasswordMark);
  const std::string text = "Pass:" + password;
  Ask(text, [this, right, text, then = std::move(then)](const std::string& reply) {
    ++soak_.counters().loginAnswers;
    const char* want = right ? "legal" : "nolegal";
    if (reply != want)
      soak_.judge().Mismatch(
          Name() + ": \"" + Printable(text) + "\" answered \"" + Printable(reply) + "\", want \"" + want + "\"",
          soak_.NowMs());
    then();
  });
}

void SoakClient::AskWord(std::function<void()> then) {
  const Judge::Question question = soak_.judge().Ask(soak_.NowMs());
  Ask("repeat", [this, question, then = std::move(then)](const std::string& reply) {
    if (const auto word = WordValue(reply))
      soak_.judge().JudgeWord(question, *word);
    else
      soak_.judge().Mismatch(Name() + ": \"repeat\" answered \"" + Printable(reply) + "\"", soak_.NowMs());
    then();
  });
}

void SoakClient::SetterStep() {
  After(soak_.Between(150, 800), [this] {
    if (soak_.TakeToken(this)) {
      holdsToken_ = true;
      HoldToken();
    } else if (soak_.Between(0, 4) == 0) {
      ExpectLogin(false, [this] { SetterStep(); });  // a wrong password does not end the login
    } else {
      AskWord([this] { SetterStep(); });
    }
  });
}

// Sets the relays, sees the set in its own "repeat", asks once more, and
// hands the turn on.
void SoakClient::HoldToken() {
  const SetText set =
      SetTextFor(static_cast<uint8_t>(soak_.Between(0, 255)), static_cast<uint32_t>(soak_.Between(0, 9)));
  soak_.judge().SetSent(soak_.NowMs());
  setPending_ = true;
  ++soak_.counters().setsSent;
  Tell(set.text);
  After(kAfterSetMs, [this, set] {
    Ask("repeat", [this, set](const std::string& reply) {
      setPending_ = false;
      if (const auto word = WordValue(reply)) {
        soak_.judge().ConfirmSet(set.value, *word, soak_.NowMs());
      } else {
        soak_.judge().SetLost(soak_.NowMs());
        soak_.judge().Mismatch(
            Name() + ": \"repeat\" after set \"" + Printable(set.text) + "\" answered \"" + Printable(reply) + "\"",
            soak_.NowMs());
      }
      After(soak_.Between(100, 300), [this] {
        AskWord([this] {
          holdsToken_ = false;
          soak_.ReleaseToken(this);
          SetterStep();
        });
      });
    });
  });
}

void SoakClient::ReconnectorStep() {
  auto leave = [this] { Reconnect(soak_.Between(20, 250)); };
  switch (soak_.Between(0, 3)) {
    case 0: AskWord(leave); break;
    case 1: ExpectLogin(true, leave); break;  // the login ends with this connection
    case 2: ExpectLogin(false, leave); break;
    default: ExpectLogin(true, [this, leave] { AskWord(leave); }); break;
  }
}

void SoakClient::JunkStep() {
  After(soak_.Between(30, 300), [this] {
    if (soak_.Between(0, 49) == 0) {
      Reconnect(soak_.Between(20, 200));
      return;
    }
    ++soak_.counters().junkMessages;
    Tell(Junk(soak_.random(), soak_.options().password));
    JunkStep();
  });
}

}  // namespace quibrano::soak
