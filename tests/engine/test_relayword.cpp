#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

#include "relayword.h"
#include "store.h"

namespace quibrano {
namespace {

class RelayWordTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetStore(); }
};

TEST_F(RelayWordTest, OperationsChangeOnlyTheirOwnBitAndNeverTheInputBits) {
  for (const uint8_t inputBits : {0x00, 0x40, 0x80, 0xC0}) {
    for (uint8_t r = 0; r < kRelays; ++r) {
      const uint8_t bit = static_cast<uint8_t>(1u << r);
      store.RelayWord = static_cast<uint8_t>(inputBits | 0x15);
      const uint8_t before = store.RelayWord;

      SetRelay(r);
      EXPECT_EQ(store.RelayWord, before | bit) << "relay " << int(r);
      EXPECT_TRUE(RelayIsOn(r));
      SetRelay(r);  // setting an on relay changes nothing
      EXPECT_EQ(store.RelayWord, before | bit);

      ClearRelay(r);
      EXPECT_EQ(store.RelayWord, before & ~bit) << "relay " << int(r);
      EXPECT_FALSE(RelayIsOn(r));
      ClearRelay(r);
      EXPECT_EQ(store.RelayWord, before & ~bit);

      store.RelayWord = before;
      ToggleRelay(r);
      EXPECT_EQ(store.RelayWord, before ^ bit) << "relay " << int(r);
      ToggleRelay(r);
      EXPECT_EQ(store.RelayWord, before) << "toggling twice restores the word";
    }
  }
}

// Indexes past the six relays are outside the callers' contract; they must
// neither reach the input bits nor shift past the word.
TEST_F(RelayWordTest, AnIndexPastTheRelaysChangesNothing) {
  for (const uint8_t word : {0x00, 0xFF, 0xC0, 0x3F}) {
    for (const uint8_t r : {6, 7, 8, 31, 32, 255}) {
      store.RelayWord = word;
      SetRelay(r);
      ClearRelay(r);
      ToggleRelay(r);
      EXPECT_EQ(store.RelayWord, word) << "index " << int(r);
      EXPECT_FALSE(RelayIsOn(r)) << "index " << int(r);
    }
  }
}

// One row per input mode: the relay's wanted state for the contact pairs
// (K1, K2) = (open, open), (closed, open), (open, closed), (closed, closed).
struct InputRow {
  int32_t mode;
  std::array<bool, 4> on;
};

class InputLogicTruthTable : public RelayWordTest, public ::testing::WithParamInterface<InputRow> {};

TEST_P(InputLogicTruthTable, EveryRelayInTheModeFollowsTheContacts) {
  const InputRow row = GetParam();
  for (int r = 0; r < kRelays; ++r) Modes(r) = row.mode;
  for (int pair = 0; pair < 4; ++pair) {
    store.K1Closed = (pair & 1) != 0;
    store.K2Closed = (pair & 2) != 0;
    // From all off and from all on: the relays are written on every call,
    // whatever they held, and the input bits stay as they are.
    for (const uint8_t before : {0x80, 0x7F}) {
      store.RelayWord = before;
      EvaluateInputLogic();
      const uint8_t relays = row.on[pair] ? 0x3F : 0x00;
      EXPECT_EQ(store.RelayWord, (before & 0xC0) | relays)
          << "mode " << row.mode << " K1 " << store.K1Closed << " K2 " << store.K2Closed;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, InputLogicTruthTable,
                         ::testing::Values(InputRow{IfK1, {false, true, false, true}},
                                           InputRow{IfK2, {false, false, true, true}},
                                           InputRow{IfK1AndK2, {false, false, false, true}},
                                           InputRow{IfK1OrK2, {false, true, true, true}},
                                           InputRow{IfK1NorK2, {true, false, false, false}},
                                           InputRow{IfK1XorK2, {false, true, true, false}}));

TEST_F(RelayWordTest, InputLogicJudgesEachRelayByItsOwnMode) {
  // Both contacts open, as before the first input byte.
  Modes(0) = IfK1;
  Modes(1) = IfK1NorK2;
  Modes(2) = Toggle;
  Modes(3) = IfK1XorK2;
  Modes(4) = IfK1NorK2;
  Modes(5) = IfK2;
  store.RelayWord = 0x0F;
  EvaluateInputLogic();
  // Relays 2 and 5 on (NOR), relay 3 kept by Toggle, the rest off.
  EXPECT_EQ(store.RelayWord, 0b010110);
}

TEST_F(RelayWordTest, ModesOutsideTheInputModesLeaveTheirRelayAlone) {
  const int32_t others[] = {Toggle, Timer, SecTimer, Random, ClockPulse, -1, 11, 1000,
                            std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max()};
  for (const int32_t mode : others) {
    for (const uint8_t before : {0x00, 0x2A, 0xFF}) {
      for (int r = 0; r < kRelays; ++r) Modes(r) = mode;
      store.RelayWord = before;
      for (int pair = 0; pair < 4; ++pair) {
        store.K1Closed = (pair & 1) != 0;
        store.K2Closed = (pair & 2) != 0;
        EvaluateInputLogic();
        EXPECT_EQ(store.RelayWord, before) << "mode " << mode;
      }
    }
  }
}

}  // namespace
}  // namespace quibrano
