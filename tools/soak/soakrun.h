// One soak run: the clients, the board's inputs and the judge, on one event
// loop for a fixed time, then the report.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "soakjudge.h"

namespace quibrano::soak {

class BoardInputs;
class SoakClient;

struct SoakOptions {
  std::string host = "127.0.0.1";
  uint16_t port = 0;
  std::string password;
  int64_t seconds = 900;
  std::string boardCommands;  // where the board simulator reads its commands
  int setters = 15;
  int junk = 15;
  int reconnectors = 20;
  uint32_t seed = 1;
  Timing timing;
};

// The relays of the soak configuration (soaksetup.h).
RelayLayout SoakLayout();

struct Counters {
  uint64_t connections = 0;
  uint64_t refused = 0;  // closed by the server before the greeting
  uint64_t connectErrors = 0;
  uint64_t greetings = 0;
  uint64_t loginAnswers = 0;  // "legal" / "nolegal" answers checked
  uint64_t setsSent = 0;
  uint64_t junkMessages = 0;
  uint64_t junkDropped = 0;         // junk connections the server closed
  uint64_t unansweredAfterSet = 0;  // a set and its "repeat" joined into one text
  uint64_t inputChanges = 0;
};

class Soak : public QObject {
  Q_OBJECT
 public:
  explicit Soak(SoakOptions options, QObject* parent = nullptr);
  ~Soak() override;

  // Runs until the time is up or the server is gone; prints the report and
  // returns the exit status: 0 clean, 1 mismatches or nothing checked, 2 the
  // run could not be carried out.
  int Run();

  int64_t NowMs() const { return clock_.elapsed(); }
  std::mt19937& random() { return random_; }
  int Between(int low, int high);  // uniform, both ends included
  Judge& judge() { return judge_; }
  Counters& counters() { return counters_; }
  const SoakOptions& options() const { return options_; }

  // One client at a time sets relays, and only once the quiet time chosen at
  // the last release has passed, so answers in between can be judged.
  bool TakeToken(const SoakClient* client);
  void ReleaseToken(const SoakClient* client);

  void Greeted() { lastGreetingMs_ = NowMs(); }
  void Abort(const std::string& why);

 private:
  void Watch();
  void Finish();
  void Report() const;

  SoakOptions options_;
  QElapsedTimer clock_;
  std::mt19937 random_;
  Judge judge_;
  Counters counters_;
  std::vector<std::unique_ptr<SoakClient>> clients_;
  std::unique_ptr<BoardInputs> board_;
  const SoakClient* holder_ = nullptr;
  int64_t nextSetMs_ = 0;
  int64_t lastGreetingMs_ = 0;
  std::string abortReason_;
  bool finished_ = false;
};

}  // namespace quibrano::soak
