#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <string>
#include <vector>

#include "fakelinkview.h"
#include "pollcycle.h"
#include "relayword.h"
#include "store.h"

namespace quibrano {
namespace {

// Bytes the board "sent" wait in a queue; every call is noted in order as
// "w73" (write), "r05" (read a byte) or "r-" (read found nothing). Time moves
// only by readCostMs per read, so the drain's time bound is exact.
class ScriptedPort : public BytePort {
 public:
  void WriteByte(int32_t value) override {
    events.push_back("w" + Hex(value));
    writes.push_back(value);
  }
  int32_t ReadByte() override {
    now += readCostMs;
    ++reads;
    if (incoming.empty()) {
      events.push_back("r-");
      return -1;
    }
    const int32_t b = incoming.front();
    incoming.pop_front();
    events.push_back("r" + Hex(b));
    return b;
  }
  int64_t NowMs() override { return now; }

  std::string Events() const {
    std::string all;
    for (const auto& e : events) all += (all.empty() ? "" : " ") + e;
    return all;
  }
  void ClearTick() {
    events.clear();
    reads = 0;
  }

  std::deque<int32_t> incoming;
  std::vector<std::string> events;
  std::vector<int32_t> writes;
  int reads = 0;
  int64_t now = 1000;
  int64_t readCostMs = 0;

 private:
  static std::string Hex(int32_t v) {
    static const char d[] = "0123456789abcdef";
    return {d[(v >> 4) & 15], d[v & 15]};
  }
};

class PollCycle : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStore();
    store.PortOpen = true;
    store.PortNumber = 1;
  }
  void TearDown() override { ResetStore(); }
  // One tick with these bytes arriving just before it.
  void Tick(std::vector<int32_t> bytes = {}) {
    port_.ClearTick();
    view_.adapterStatus.clear();
    for (int32_t b : bytes) port_.incoming.push_back(b);
    PollTick(view_, port_);
  }
  ScriptedPort port_;
  FakeLinkView view_;
};

// --- the six-tick cycle -----------------------------------------------------

TEST_F(PollCycle, TwelveTicksFromStartFollowTheCycleTable) {
  store.RelayWord = 0x05;
  struct Expect {
    const char* events;
    const char* adapter;  // "" when the tick does not write it
    bool relayLabels;
  };
  // PollPhase is 0 at start, so the first tick is already phase 1.
  const Expect table[] = {
      {"r-", "", false},                                 // phase 1
      {"r- w05", "", true},                              // 2: relay byte after the reads
      {"r-", "", false},         {"r-", "", false}, {"r-", "", false},
      {"w73 r-", "Adapter  not connected", false},       // 0: poll byte before the reads
      {"r-", "", false},
      {"r- w05", "", true},
      {"r-", "", false},         {"r-", "", false}, {"r-", "", false},
      {"w73 r-", "Adapter  not connected", false},
  };
  for (size_t i = 0; i < std::size(table); ++i) {
    SCOPED_TRACE("tick " + std::to_string(i + 1));
    const int shownBefore = view_.relayShows;
    Tick();
    EXPECT_EQ(port_.Events(), table[i].events);
    EXPECT_EQ(view_.adapterStatus, table[i].adapter);
    EXPECT_EQ(view_.relayShows - shownBefore, table[i].relayLabels ? 6 : 0);
    EXPECT_EQ(view_.portStatus, "COM 1   Open");
  }
  EXPECT_EQ(view_.relayShown, (std::array<int, 6>{1, 0, 1, 0, 0, 0}));
}

struct StatusCase {
  int ackTick;  // tick (from start) whose reads meet the acknowledge; 0 for none
  const char* afterCycle1;
  const char* afterCycle2;
};

class AdapterStatus : public PollCycle, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(AdapterStatus, ReportsWhetherTheCycleJustEndedWasAnswered) {
  std::string shown[2];
  for (int tick = 1; tick <= 12; ++tick) {
    Tick(tick == GetParam().ackTick ? std::vector<int32_t>{0x78} : std::vector<int32_t>{});
    if (tick == 6) shown[0] = view_.adapterStatus;
    if (tick == 12) shown[1] = view_.adapterStatus;
  }
  EXPECT_EQ(shown[0], GetParam().afterCycle1);
  EXPECT_EQ(shown[1], GetParam().afterCycle2);
}

INSTANTIATE_TEST_SUITE_P(
    AckTicks, AdapterStatus,
    ::testing::Values(StatusCase{0, "Adapter  not connected", "Adapter  not connected"},
                      StatusCase{1, "Adapter  connected", "Adapter  not connected"},
                      StatusCase{5, "Adapter  connected", "Adapter  not connected"},
                      // Read after the poll byte of tick 6: it counts for the cycle that tick begins.
                      StatusCase{6, "Adapter  not connected", "Adapter  connected"},
                      StatusCase{11, "Adapter  not connected", "Adapter  connected"}));

TEST_F(PollCycle, AcknowledgeInThePhaseTwoTickCostsThatCycleItsRelayByte) {
  Modes(0) = IfK1NorK2;  // on while both contacts count as open
  store.RelayWord = 0x04;
  store.PrevInputBits = 0x40;
  Tick();
  ASSERT_EQ(store.RelayWord, 0x04 | 0x40 | 0x01);
  store.RelayWord = 0x04;
  store.PrevInputBits = 0x80;

  Tick({0x78, 0x01});
  EXPECT_EQ(port_.Events(), "r78") << "the tick ends at the acknowledge";
  EXPECT_EQ(view_.relayShows, 0);
  EXPECT_EQ(store.RelayWord, 0x04) << "no input bits, no input logic in that tick";
  EXPECT_TRUE(store.AdapterAnswered);

  for (int tick = 3; tick <= 8; ++tick) Tick();
  EXPECT_EQ(port_.writes, (std::vector<int32_t>{0x73, 0x05})) << "next relay byte comes a cycle later";
}

TEST_F(PollCycle, RelayWordWithInputBitsGoesOutAsSixRelaysAndGetsItsBitsBack) {
  store.PollPhase = 1;
  store.RelayWord = 0xFF;
  store.PrevInputBits = 0x80;
  Tick();
  EXPECT_EQ(port_.writes, std::vector<int32_t>{0x3F});
  EXPECT_EQ(view_.relayShown, (std::array<int, 6>{1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(store.RelayWord, 0xBF);
}

struct ClosedCase {
  int32_t portNumber;
  const char* text;
};

class ClosedLink : public PollCycle, public ::testing::WithParamInterface<ClosedCase> {};

TEST_P(ClosedLink, OnlyWritesTheTwoStatusTexts) {
  store.PortOpen = false;
  store.PortNumber = GetParam().portNumber;
  store.PollPhase = 5;
  store.AdapterAnswered = true;
  Modes(0) = IfK1NorK2;
  port_.incoming = {0x78, 0x00};
  Tick();
  EXPECT_EQ(view_.portStatus, GetParam().text);
  EXPECT_EQ(view_.adapterStatus, "Adapter  not connected");
  EXPECT_EQ(port_.Events(), "");
  EXPECT_EQ(store.PollPhase, 5);
  EXPECT_EQ(store.RelayWord, 0) << "the input logic does not run";
  EXPECT_EQ(view_.relayShows + view_.inputShows, 0);
}

INSTANTIATE_TEST_SUITE_P(Ports, ClosedLink,
                         ::testing::Values(ClosedCase{3, "COM 3   Close"}, ClosedCase{0, "COM 0   Close"},
                                           ClosedCase{INT32_MIN, "COM -2147483648   Close"}));

// --- inputs and their debounce ---------------------------------------------

struct Step {
  std::vector<int32_t> bytes;  // arriving before the tick
  bool k1Closed;
  bool k2Closed;
  uint8_t inputBits;  // bits 6-7 of RelayWord after the tick
  int accepted;       // input bytes accepted so far
};

struct DebounceCase {
  const char* name;
  bool startClosed;  // start from both contacts accepted closed (byte 0)
  std::vector<Step> steps;
};

class Debounce : public PollCycle, public ::testing::WithParamInterface<DebounceCase> {};

TEST_P(Debounce, AcceptsOnTheSecondEqualByte) {
  Modes(0) = IfK1;
  Modes(1) = IfK2;
  if (GetParam().startClosed) {
    store.K1Closed = store.K2Closed = true;
    store.Debounce = 100;
    store.RelayWord = 0x03;  // as the input logic left it
  }
  int step = 0;
  for (const Step& s : GetParam().steps) {
    SCOPED_TRACE("step " + std::to_string(++step));
    Tick(s.bytes);
    EXPECT_EQ(store.K1Closed, s.k1Closed);
    EXPECT_EQ(store.K2Closed, s.k2Closed);
    EXPECT_EQ(store.RelayWord & 0xC0, s.inputBits);
    EXPECT_EQ(view_.inputShows, 2 * s.accepted);
    if (s.accepted > 0) {
      EXPECT_EQ(view_.inputShown, (std::array<int, 2>{s.k1Closed, s.k2Closed}));
    }
    // The input logic ran last, on the states just decided.
    EXPECT_EQ(RelayIsOn(0), s.k1Closed);
    EXPECT_EQ(RelayIsOn(1), s.k2Closed);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Debounce,
    ::testing::Values(
        DebounceCase{"OpenThenClosed",
                     false,
                     {{{3}, false, false, 0xC0, 0},
                      {{3}, false, false, 0xC0, 1},
                      {{0}, false, false, 0x00, 1},
                      {{0}, true, true, 0x00, 2},
                      {{0}, true, true, 0x00, 3}}},
        DebounceCase{"OneContactEach", false, {{{2}, false, false, 0x80, 0}, {{2}, true, false, 0x80, 1}}},
        DebounceCase{"AlternatingNeverAccepted",
                     true,
                     {{{1}, true, true, 0x40, 0},
                      {{2}, true, true, 0x80, 0},
                      {{1}, true, true, 0x40, 0},
                      {{2}, true, true, 0x80, 0}}},
        // Any of bits 2..7 set: never equal to the 8-bit previous bits.
        DebounceCase{"HighBitsNeverAccepted",
                     true,
                     {{{4}, true, true, 0x00, 0},
                      {{4}, true, true, 0x00, 0},
                      {{4}, true, true, 0x00, 0},
                      {{0xFF}, true, true, 0xC0, 0},
                      {{0xFF}, true, true, 0xC0, 0}}},
        // Ticks without a byte leave the count alone.
        DebounceCase{"QuietTicksDoNotBreakTheCount",
                     false,
                     {{{3}, false, false, 0xC0, 0}, {{}, false, false, 0xC0, 0}, {{3}, false, false, 0xC0, 1}}},
        // Only the last byte of a tick counts.
        DebounceCase{"LastByteOfATickCounts",
                     false,
                     {{{3}, false, false, 0xC0, 0}, {{3, 0}, false, false, 0x00, 0}, {{0}, true, true, 0x00, 1}}},
        // A byte before the acknowledge is lost; one after it waits for the next tick.
        DebounceCase{"AcknowledgeSplitsTheBytes",
                     true,
                     {{{3, 0x78, 3}, true, true, 0x00, 0},
                      {{}, true, true, 0xC0, 0},
                      {{3}, false, false, 0xC0, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- the drain's bounds -------------------------------------------------------

struct DrainCase {
  const char* name;
  int waiting;        // bytes waiting before the first tick
  int64_t readCostMs; // how long each read takes
  int readsTick1;
  int readsTick2;
};

class DrainBound : public PollCycle, public ::testing::WithParamInterface<DrainCase> {};

TEST_P(DrainBound, StopsAndLeavesTheRestForTheNextTick) {
  port_.readCostMs = GetParam().readCostMs;
  port_.incoming.assign(static_cast<size_t>(GetParam().waiting), 0x01);
  Tick();
  EXPECT_EQ(port_.reads, GetParam().readsTick1);
  Tick();
  EXPECT_EQ(port_.reads, GetParam().readsTick2);
  const int consumed = GetParam().readsTick1 + GetParam().readsTick2;
  EXPECT_EQ(static_cast<int>(port_.incoming.size()), std::max(0, GetParam().waiting - consumed));
  // The bytes drained so far were taken as input all the same.
  EXPECT_EQ(store.RelayWord & 0xC0, 0x40);
}

INSTANTIATE_TEST_SUITE_P(
    Floods, DrainBound,
    ::testing::Values(DrainCase{"FastFloodStopsAt64Bytes", 1000, 0, kDrainMaxBytes, kDrainMaxBytes},
                      // 1200 baud pace: reads start at 0, 8, 16, 24 ms; the next would start past 30.
                      DrainCase{"SlowFloodStopsAfterAbout30ms", 1000, 8, 4, 4},
                      DrainCase{"ShortBurstDrainsToTheEmptyRead", 10, 0, 11, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quibrano
