#include "soakrun.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "boardinputs.h"
#include "soakclient.h"
#include "soaksetup.h"

namespace quibrano::soak {
namespace {

// Without a greeting for this long the server is taken to be gone.
constexpr int64_t kServerGoneMs = 15000;

}  // namespace

RelayLayout SoakLayout() { return LayoutOf(SoakModes()); }

Soak::Soak(SoakOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), random_(options_.seed), judge_(SoakLayout(), options_.timing, 0) {
  clock_.start();
  int index = 0;
  auto add = [this, &index](Role role, int count) {
    for (int i = 0; i < count; ++i) clients_.push_back(std::make_unique<SoakClient>(*this, role, index++));
  };
  add(Role::Setter, options_.setters);
  add(Role::Junk, options_.junk);
  add(Role::Reconnector, options_.reconnectors);
  board_ = std::make_unique<BoardInputs>(*this);
}

Soak::~Soak() = default;

int Soak::Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

bool Soak::TakeToken(const SoakClient* client) {
  if (holder_ != nullptr || NowMs() < nextSetMs_) return false;
  holder_ = client;
  return true;
}

void Soak::ReleaseToken(const SoakClient* client) {
  if (holder_ != client) return;
  holder_ = nullptr;
  // Quiet spells between sets, some long enough to judge the inputs.
  nextSetMs_ = NowMs() + Between(300, 3000);
}

void Soak::Abort(const std::string& why) {
  if (abortReason_.empty()) abortReason_ = why;
  Finish();
}

int Soak::Run() {
  std::string error;
  if (!board_->Start(&error)) {
    std::fprintf(stderr, "quibrano-soak: %s\n", error.c_str());
    return 2;
  }
  lastGreetingMs_ = NowMs();
  // Spread over the first second, so the server is not hit by all at once.
  for (auto& client : clients_) client->Start(Between(0, 1000));

  QTimer watch;
  connect(&watch, &QTimer::timeout, this, &Soak::Watch);
  watch.start(1000);
  QCoreApplication::exec();

  Report();
  if (!abortReason_.empty()) return 2;
  return judge_.mismatches() == 0 && judge_.answersChecked() > 0 ? 0 : 1;
}

void Soak::Watch() {
  const int64_t now = NowMs();
  if (now - lastGreetingMs_ > kServerGoneMs) {
    Abort("no client has been greeted for " + std::to_string(kServerGoneMs / 1000) + " s: the server is gone");
  } else if (now >= options_.seconds * 1000) {
    Finish();
  }
}

void Soak::Finish() {
  if (finished_) return;
  finished_ = true;
  board_->Stop();
  for (auto& client : clients_) client->Stop();
  QCoreApplication::quit();
}

void Soak::Report() const {
  const Counters& c = counters_;
  const uint64_t words = judge_.answersChecked();
  std::printf("soak driver: %.1f s, %d clients (%d setting relays, %d sending junk, %d reconnecting), seed %u\n",
              static_cast<double>(NowMs()) / 1000.0, options_.setters + options_.junk + options_.reconnectors,
              options_.setters, options_.junk, options_.reconnectors, options_.seed);
  std::printf(
      "  connections: %llu (closed before the greeting: %llu, junk connections closed by the server: %llu, "
      "failed to connect: %llu)\n",
      static_cast<unsigned long long>(c.connections), static_cast<unsigned long long>(c.refused),
      static_cast<unsigned long long>(c.junkDropped), static_cast<unsigned long long>(c.connectErrors));
  std::printf(
      "  answers checked: %llu (greetings %llu, logins %llu, relay words %llu: Toggle relays %llu, "
      "input bits %llu, IF K1/K2 relays %llu)\n",
      static_cast<unsigned long long>(c.greetings + c.loginAnswers + words),
      static_cast<unsigned long long>(c.greetings), static_cast<unsigned long long>(c.loginAnswers),
      static_cast<unsigned long long>(words), static_cast<unsigned long long>(judge_.toggleChecks()),
      static_cast<unsigned long long>(judge_.inputChecks()), static_cast<unsigned long long>(judge_.relayChecks()));
  std::printf("  sets: %llu sent, %llu seen in the setter's own answer; junk messages: %llu; input changes: %llu\n",
              static_cast<unsigned long long>(c.setsSent), static_cast<unsigned long long>(judge_.setsConfirmed()),
              static_cast<unsigned long long>(c.junkMessages), static_cast<unsigned long long>(c.inputChanges));
  std::printf("  a set and its \"repeat\" joined into one text (connection renewed): %llu\n",
              static_cast<unsigned long long>(c.unansweredAfterSet));
  std::printf("  mismatches: %llu\n", static_cast<unsigned long long>(judge_.mismatches()));
  for (const std::string& e : judge_.examples()) std::printf("    %s\n", e.c_str());
  if (!abortReason_.empty()) std::printf("  run aborted: %s\n", abortReason_.c_str());
  std::fflush(stdout);
}

}  // namespace quibrano::soak
