// The soak driver's judge must flag every wrong answer it is able to judge
// and must never judge an answer the protocol leaves open; its set texts
// must carry the value the server's number rules give them.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "parseinteger.h"
#include "soakjudge.h"
#include "soaktexts.h"

namespace quibrano::soak {
namespace {

// Relays 1, 4, 6 Toggle; 2, 5 IF K1; 3 IF K2. Bit 6 is K1 open, bit 7 K2 open.
constexpr RelayLayout kLayout{.toggleMask = 0b101001, .ifK1Mask = 0b010010, .ifK2Mask = 0b000100};
constexpr uint8_t kK1Open = 0x40;
constexpr uint8_t kK2Open = 0x80;

// K1 closes at 1.0 s; a set of 0x21 goes out at 5.0 s and is seen at 5.1 s;
// K2 closes at 8.0 s. Settle 1.5 s, quiet after a set 0.4 s.
class JudgeAtTimes {
 public:
  JudgeAtTimes() : judge_(kLayout, Timing{.inputSettleMs = 1500, .setQuietMs = 400}, 0) {}

  std::string AnswerAt(int64_t ms, uint8_t word) {
    if (ms >= 1000) judge_.InputChanged(0, true, 1000);
    if (ms >= 5000 && !setDone_) {
      judge_.SetSent(5000);
      EXPECT_EQ(judge_.ConfirmSet(0x21, 0x21, 5100), "");
      setDone_ = true;
    }
    if (ms >= 8000) judge_.InputChanged(1, true, 8000);
    return judge_.JudgeWord(judge_.Ask(ms), word);
  }

  Judge judge_;

 private:
  bool setDone_ = false;
};

struct Case {
  const char* name;
  int64_t askMs;
  uint8_t word;
  const char* problem;  // a part of the complaint; "" when the answer must pass
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class JudgeWordTest : public ::testing::TestWithParam<Case> {};

TEST_P(JudgeWordTest, FlagsExactlyTheWrongBitsItCanKnow) {
  JudgeAtTimes j;
  const std::string got = j.AnswerAt(GetParam().askMs, GetParam().word);
  if (*GetParam().problem == '\0') {
    EXPECT_EQ(got, "");
    EXPECT_EQ(j.judge_.mismatches(), 0u);
  } else {
    EXPECT_NE(got.find(GetParam().problem), std::string::npos) << got;
    EXPECT_EQ(j.judge_.mismatches(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, JudgeWordTest,
    ::testing::Values(
        Case{"all_as_set_and_wired", 6000, 0x21 | 0x12 | kK2Open, ""},
        Case{"a_toggle_relay_changed_by_no_set", 6000, 0x29 | 0x12 | kK2Open, "Toggle relays 0x29, want 0x21"},
        Case{"k1_input_bit_says_open", 6000, 0x21 | 0x12 | kK1Open | kK2Open, "input bit of K1 open"},
        Case{"if_k1_relays_off_with_k1_closed", 6000, 0x21 | kK2Open, "IF K1 relays 0x00, want 0x12"},
        Case{"if_k2_relay_on_with_k2_open", 6000, 0x21 | 0x12 | 0x04 | kK2Open, "IF K2 relays 0x04, want 0x00"},
        // A set rewrites the input bits and IF relays until the next poll tick.
        Case{"inputs_open_right_after_a_set", 5300, 0x21 | 0xC0, ""},
        Case{"toggle_judged_right_after_a_set", 5300, 0x20 | 0xC0, "Toggle relays 0x20"},
        // K2 closed 0.5 s ago: the debounce waits for the whole input byte,
        // so neither contact's relays are certain; K1's raw bit still is.
        Case{"k2_in_its_settle_time", 8500, 0x21 | 0x12 | kK2Open, ""},
        Case{"k1_relays_may_lag_while_k2_moves", 8500, 0x21 | kK2Open, ""},
        Case{"k1_bit_judged_while_k2_settles", 8500, 0x21 | kK1Open, "input bit of K1 open"},
        Case{"k2_settled_closed", 9600, 0x21 | 0x12 | 0x04, ""},
        Case{"k2_settled_but_bit_says_open", 9600, 0x21 | 0x12 | 0x04 | kK2Open, "input bit of K2 open"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(Judge, NothingIsKnownOfTheToggleRelaysBeforeTheFirstSet) {
  Judge judge(kLayout, Timing{}, 0);
  EXPECT_EQ(judge.JudgeWord(judge.Ask(2000), 0x29 | 0xC0), "");
  EXPECT_EQ(judge.toggleChecks(), 0u);
  EXPECT_EQ(judge.inputChecks(), 2u);  // both contacts open since the start
  EXPECT_EQ(judge.relayChecks(), 1u);
}

TEST(Judge, AnAnswerToAQuestionAskedAroundASetIsNotHeldToEitherValue) {
  Judge judge(kLayout, Timing{}, 0);
  judge.SetSent(1000);
  EXPECT_EQ(judge.ConfirmSet(0x01, 0x01, 1100), "");
  judge.SetSent(2000);
  const Judge::Question duringSet = judge.Ask(2050);
  const Judge::Question beforeNextSet = judge.Ask(1900);  // answered after the next set went out
  EXPECT_EQ(judge.ConfirmSet(0x08, 0x08, 2100), "");
  EXPECT_EQ(judge.JudgeWord(duringSet, 0x20), "");
  EXPECT_EQ(judge.JudgeWord(beforeNextSet, 0x20), "");
  EXPECT_EQ(judge.mismatches(), 0u);
  EXPECT_NE(judge.JudgeWord(judge.Ask(2200), 0x01), "");
}

TEST(Judge, AWrongSetIsOneMismatchNotATrail) {
  Judge judge(kLayout, Timing{}, 0);
  judge.SetSent(1000);
  EXPECT_NE(judge.ConfirmSet(0x29, 0x09, 1100).find("Toggle relays 0x09, want 0x29"), std::string::npos);
  EXPECT_EQ(judge.JudgeWord(judge.Ask(1200), 0x09), "");
  EXPECT_EQ(judge.mismatches(), 1u);
}

TEST(Judge, ALostSetLeavesTheToggleRelaysUnknown) {
  Judge judge(kLayout, Timing{}, 0);
  judge.SetSent(1000);
  EXPECT_EQ(judge.ConfirmSet(0x01, 0x01, 1100), "");
  judge.SetSent(2000);
  judge.SetLost(2100);
  EXPECT_EQ(judge.JudgeWord(judge.Ask(2200), 0x28), "");
  EXPECT_EQ(judge.mismatches(), 0u);
}

TEST(Judge, ProblemsCarryTheirTime) {
  Judge judge(kLayout, Timing{}, 0);
  judge.Mismatch("greeted with \"x\"", 12345);
  ASSERT_EQ(judge.examples().size(), 1u);
  EXPECT_EQ(judge.examples()[0], "+12.3 s: greeted with \"x\"");
}

// The value each set text is built for is the one the server's number rules
// give it: otherwise the soak would blame the server for its own mistake.
TEST(SetText, EveryFormCarriesItsValueUnderTheServersRules) {
  for (uint32_t form = 0; form < 10; ++form) {
    for (int v = 0; v <= 255; ++v) {
      const SetText set = SetTextFor(static_cast<uint8_t>(v), form);
      ASSERT_EQ(set.value, v);
      ASSERT_EQ(static_cast<uint32_t>(ParseInteger(set.text)) & 0xFFu, static_cast<uint32_t>(v))
          << "form " << form << " text \"" << set.text << "\"";
    }
  }
}

TEST(Junk, NeverHoldsThePasswordMarkSoItCanNeverLogIn) {
  std::mt19937 random(7);
  const std::string password = "se~cret";
  bool overBound = false;
  for (int i = 0; i < 20000; ++i) {
    const std::string junk = Junk(random, password);
    ASSERT_EQ(junk.find(kPasswordMark), std::string::npos) << junk;
    overBound = overBound || junk.size() > kServerMessageBound;
  }
  EXPECT_TRUE(overBound) << "some junk must exceed the server's message bound";
}

}  // namespace
}  // namespace quibrano::soak
