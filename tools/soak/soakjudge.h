// What the soak clients may expect from "repeat" answers, and the tally of
// what they found. Plain C++ with times passed in, so it is tested without
// a network.
//
// The answers are judged only where the protocol makes them certain:
// - Toggle relays change only by a set; one client at a time sets, and its
//   set counts once its own "repeat" has shown it. Until the next set goes
//   out, every answer must show those bits.
// - Bits 6-7 (raw inputs, 1 = open) and the IF K1 / IF K2 relays are
//   rewritten by the poll cycle every 50 ms; a set overwrites them until the
//   next poll tick, so they are judged only when no set has been sent or
//   confirmed for the quiet time before the question. A raw bit shows the
//   last input byte, so it is judged once its contact has stood still for
//   the settle time. The relays follow the debounced byte, which changes only
//   after the whole byte stood still for two polls of 300 ms: they are
//   judged only once both contacts have stood still for the settle time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quibrano::soak {

struct RelayLayout {
  uint8_t toggleMask = 0;  // relays in Toggle mode
  uint8_t ifK1Mask = 0;    // relays in IF K1 mode
  uint8_t ifK2Mask = 0;    // relays in IF K2 mode
};

struct Timing {
  int64_t inputSettleMs = 1500;
  int64_t setQuietMs = 400;
};

class Judge {
 public:
  Judge(RelayLayout layout, Timing timing, int64_t startMs);

  // The board's contact k (0 = K1, 1 = K2) was told to open or close.
  void InputChanged(int k, bool closed, int64_t nowMs);

  // A "repeat" goes out: what the answer will be judged against.
  struct Question {
    int64_t sentMs = 0;
    uint64_t setsSent = 0;
    bool setPending = false;
  };
  Question Ask(int64_t nowMs) const;

  // A set goes out from the one client allowed to set.
  void SetSent(int64_t nowMs);
  // That client's own "repeat" answered word after its set of value: the
  // Toggle relays must show the value. Returns what is wrong ("" when fine).
  std::string ConfirmSet(uint8_t value, uint8_t word, int64_t nowMs);
  // The set's outcome is unknown (its client lost the connection).
  void SetLost(int64_t nowMs);

  // Judges a "repeat" answer; "" when fine, otherwise what is wrong.
  std::string JudgeWord(const Question& q, uint8_t word);

  // A problem found elsewhere (a wrong greeting, an unexpected reply).
  void Mismatch(const std::string& what, int64_t nowMs);

  uint64_t answersChecked() const { return answersChecked_; }
  uint64_t toggleChecks() const { return toggleChecks_; }
  uint64_t inputChecks() const { return inputChecks_; }  // raw input bits
  uint64_t relayChecks() const { return relayChecks_; }  // IF K1 and IF K2 relays
  uint64_t mismatches() const { return mismatches_; }
  uint64_t setsConfirmed() const { return setsConfirmed_; }
  // The first few problems, for the report.
  const std::vector<std::string>& examples() const { return examples_; }

 private:
  std::string Problem(const std::string& what, int64_t atMs);
  bool SetsQuietSince(const Question& q, int64_t sinceMs) const;

  RelayLayout layout_;
  Timing timing_;
  bool closed_[2] = {false, false};
  int64_t lastInputChange_[2];
  uint64_t setsSent_ = 0;
  uint64_t setsSettled_ = 0;  // setsSent_ when the last set was confirmed or lost
  int64_t lastSetMs_;
  bool toggleKnown_ = false;
  uint8_t toggleBits_ = 0;

  uint64_t answersChecked_ = 0;
  uint64_t toggleChecks_ = 0;
  uint64_t inputChecks_ = 0;
  uint64_t relayChecks_ = 0;
  uint64_t mismatches_ = 0;
  uint64_t setsConfirmed_ = 0;
  std::vector<std::string> examples_;
};

// Two hex digits, "0x2a".
std::string Hex(uint8_t value);

}  // namespace quibrano::soak
