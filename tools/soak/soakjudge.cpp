#include "soakjudge.h"

#include <utility>

namespace quibrano::soak {
namespace {

constexpr size_t kExamples = 20;

}  // namespace

std::string Hex(uint8_t value) {
  static const char kDigits[] = "0123456789abcdef";
  return std::string("0x") + kDigits[value >> 4] + kDigits[value & 15];
}

Judge::Judge(RelayLayout layout, Timing timing, int64_t startMs)
    : layout_(layout), timing_(timing), lastInputChange_{startMs, startMs}, lastSetMs_(startMs) {}

void Judge::InputChanged(int k, bool closed, int64_t nowMs) {
  if (k < 0 || k > 1 || closed_[k] == closed) return;
  closed_[k] = closed;
  lastInputChange_[k] = nowMs;
}

Judge::Question Judge::Ask(int64_t nowMs) const {
  return {.sentMs = nowMs, .setsSent = setsSent_, .setPending = setsSent_ != setsSettled_};
}

void Judge::SetSent(int64_t nowMs) {
  ++setsSent_;
  lastSetMs_ = nowMs;
}

std::string Judge::ConfirmSet(uint8_t value, uint8_t word, int64_t nowMs) {
  setsSettled_ = setsSent_;
  lastSetMs_ = nowMs;
  ++answersChecked_;
  ++toggleChecks_;
  ++setsConfirmed_;
  const uint8_t want = value & layout_.toggleMask;
  const uint8_t got = word & layout_.toggleMask;
  toggleKnown_ = true;
  toggleBits_ = got;  // one fault is one mismatch, not a trail of them
  if (got == want) return {};
  return Problem("set " + std::to_string(value) + " answered " + std::to_string(word) + ": Toggle relays " + Hex(got) +
                     ", want " + Hex(want),
                 nowMs);
}

void Judge::SetLost(int64_t nowMs) {
  setsSettled_ = setsSent_;
  lastSetMs_ = nowMs;
  toggleKnown_ = false;
}

bool Judge::SetsQuietSince(const Question& q, int64_t sinceMs) const {
  return !q.setPending && setsSent_ == q.setsSent && lastSetMs_ <= sinceMs;
}

std::string Judge::JudgeWord(const Question& q, uint8_t word) {
  std::string problems;
  bool checked = false;

  if (toggleKnown_ && SetsQuietSince(q, q.sentMs)) {
    checked = true;
    ++toggleChecks_;
    const uint8_t got = word & layout_.toggleMask;
    if (got != toggleBits_) {
      problems += "Toggle relays " + Hex(got) + ", want " + Hex(toggleBits_) + "; ";
      toggleBits_ = got;
    }
  }

  if (SetsQuietSince(q, q.sentMs - timing_.setQuietMs)) {
    const int64_t settled = q.sentMs - timing_.inputSettleMs;
    // The raw bit of a contact follows that contact alone.
    for (int k = 0; k < 2; ++k) {
      if (lastInputChange_[k] > settled) continue;
      checked = true;
      ++inputChecks_;
      const bool rawOpen = (word >> (6 + k)) & 1;
      if (rawOpen == closed_[k])
        problems += std::string("input bit of ") + (k == 0 ? "K1" : "K2") + (rawOpen ? " open" : " closed") +
                    ", board has it " + (closed_[k] ? "closed" : "open") + "; ";
    }
    // The debounce takes the input byte only once both contacts stood still
    // for two polls, so a flickering K2 holds K1's relays back too.
    if (lastInputChange_[0] <= settled && lastInputChange_[1] <= settled) {
      ++relayChecks_;
      for (int k = 0; k < 2; ++k) {
        const uint8_t mask = k == 0 ? layout_.ifK1Mask : layout_.ifK2Mask;
        const uint8_t want = closed_[k] ? mask : 0;
        if ((word & mask) != want)
          problems += std::string("IF ") + (k == 0 ? "K1" : "K2") + " relays " + Hex(word & mask) + ", want " +
                      Hex(want) + "; ";
      }
    }
  }

  if (checked) ++answersChecked_;
  if (problems.empty()) return {};
  problems.resize(problems.size() - 2);
  return Problem("repeat answered " + std::to_string(word) + ": " + problems, q.sentMs);
}

void Judge::Mismatch(const std::string& what, int64_t nowMs) { Problem(what, nowMs); }

std::string Judge::Problem(const std::string& what, int64_t atMs) {
  ++mismatches_;
  const std::string tenths = std::to_string(atMs / 100);
  const std::string at = (tenths.size() < 2 ? "0" : tenths.substr(0, tenths.size() - 1)) + "." + tenths.back();
  std::string text = "+" + at + " s: " + what;
  if (examples_.size() < kExamples) examples_.push_back(text);
  return text;
}

}  // namespace quibrano::soak
