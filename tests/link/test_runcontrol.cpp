#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "fakelinkview.h"
#include "ptypair.h"
#include "runcontrol.h"
#include "serialport.h"
#include "store.h"

namespace quibrano {
namespace {

class RunControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStore();
    ASSERT_TRUE(pty_.ok());
    setenv("QUIBRANO_COM1", pty_.slave().c_str(), 1);
    setenv("QUIBRANO_COM2", "/nonexistent/quibrano-board", 1);
  }
  void TearDown() override {
    ClosePort();
    unsetenv("QUIBRANO_COM1");
    unsetenv("QUIBRANO_COM2");
    ResetStore();
  }
  void FillCounters() {
    for (int r = 0; r < kRelays; ++r) {
      store.SecondsTimer[r].Elapsed = 17;
      store.OffCountdown[r].fill(5);
      store.OnCountdown[r].fill(9);
    }
  }
  PtyPair pty_;
  FakeLinkView view_;
};

struct SpecCase {
  int32_t portNumber;
  const char* built;
};

class PortSpecText : public ::testing::TestWithParam<SpecCase> {};

TEST_P(PortSpecText, NumberInDecimalBetweenPrefixAndMode) {
  ResetStore();
  store.PortNumber = GetParam().portNumber;
  BuildPortSpec();
  EXPECT_EQ(store.PortSpec, std::string("Com") + GetParam().built + ":1200,N,8,1");
}

INSTANTIATE_TEST_SUITE_P(Numbers, PortSpecText,
                         ::testing::Values(SpecCase{1, "1"}, SpecCase{8, "8"}, SpecCase{0, "0"}, SpecCase{10, "10"},
                                           SpecCase{-3, "-3"}, SpecCase{INT32_MAX, "2147483647"},
                                           SpecCase{INT32_MIN, "-2147483648"}));

struct ChoiceCase {
  int index;
  int32_t portNumber;
  const char* spec;
};

class PortChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(PortChoice, ItemIndexPlusOneSpelledUpperCase) {
  ResetStore();
  store.PortOpen = false;
  ChoosePort(GetParam().index);
  EXPECT_EQ(store.PortNumber, GetParam().portNumber);
  EXPECT_EQ(store.PortSpec, GetParam().spec);
  EXPECT_EQ(PortHandle, 0) << "choosing does not open";
}

INSTANTIATE_TEST_SUITE_P(Items, PortChoice,
                         ::testing::Values(ChoiceCase{0, 1, "COM1:1200,N,8,1"}, ChoiceCase{7, 8, "COM8:1200,N,8,1"},
                                           ChoiceCase{-1, 0, "COM0:1200,N,8,1"},
                                           ChoiceCase{INT_MAX, INT32_MAX, "COM2147483647:1200,N,8,1"}));

TEST_F(RunControl, StartOpensThePortAndShowsTheOpenState) {
  FillCounters();
  ChoosePort(0);
  RunStart(view_);
  EXPECT_TRUE(store.PortOpen);
  EXPECT_GT(PortHandle, 0);
  EXPECT_EQ(view_.runStates, std::vector<bool>{true});
  for (const auto& t : store.SecondsTimer) EXPECT_EQ(t.Elapsed, 0);
}

TEST_F(RunControl, StartOnAMissingPortResetsTimersAndChangesNothingElse) {
  FillCounters();
  store.PortNumber = 2;
  BuildPortSpec();
  RunStart(view_);
  EXPECT_FALSE(store.PortOpen);
  EXPECT_TRUE(view_.runStates.empty()) << "no state change, no message";
  for (const auto& t : store.SecondsTimer) EXPECT_EQ(t.Elapsed, 0);
  EXPECT_EQ(store.OffCountdown[0][0], 5);
}

TEST_F(RunControl, StopClosesThePortOnlyWhenOpen) {
  ChoosePort(0);
  RunStart(view_);
  ASSERT_TRUE(store.PortOpen);
  RunStop(view_);
  EXPECT_FALSE(store.PortOpen);
  EXPECT_EQ(PortHandle, 0);
  EXPECT_EQ(view_.runStates, (std::vector<bool>{true, false}));

  // A failed open leaves its invalid handle; STOP on a stopped link leaves it
  // too, since it closes nothing.
  store.PortNumber = 2;
  BuildPortSpec();
  RunStart(view_);
  ASSERT_EQ(PortHandle, -1);
  RunStop(view_);
  EXPECT_EQ(PortHandle, -1);
  EXPECT_FALSE(store.PortOpen);
  EXPECT_EQ(view_.runStates.back(), false);
}

TEST_F(RunControl, ResetClearsRelaysAndCountersOnly) {
  FillCounters();
  store.RelayWord = 0xFF;
  store.PrevInputBits = 0xC0;
  store.PollPhase = 3;
  store.K1Closed = true;
  RunReset();
  EXPECT_EQ(store.RelayWord, 0);
  for (int r = 0; r < kRelays; ++r) {
    EXPECT_EQ(store.SecondsTimer[r].Elapsed, -1);
    EXPECT_EQ(store.OffCountdown[r], (std::array<int32_t, kWindows>{0, 0, 0}));
    EXPECT_EQ(store.OnCountdown[r][0], 9);
  }
  EXPECT_EQ(store.PrevInputBits, 0xC0);
  EXPECT_EQ(store.PollPhase, 3);
  EXPECT_TRUE(store.K1Closed);
}

}  // namespace
}  // namespace quibrano
