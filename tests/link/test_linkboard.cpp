// The whole link against the simulated board over a real pseudo-terminal:
// run control opens it, PollTick talks to the board in real time.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <thread>

#include "boardsim.h"
#include "fakelinkview.h"
#include "pollcycle.h"
#include "relayword.h"
#include "runcontrol.h"
#include "serialport.h"
#include "store.h"

namespace quibrano {
namespace {

using SteadyClock = std::chrono::steady_clock;

class LinkBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStore();
    ASSERT_TRUE(dir_.isValid());
    link_ = dir_.filePath("com1").toStdString();
    sim_ = std::make_unique<BoardSim>(BoardSim::Options{link_, "", false});
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
    setenv("QUIBRANO_COM1", link_.c_str(), 1);
    store.PortNumber = 1;
    BuildPortSpec();
    next_ = SteadyClock::now();
  }
  void TearDown() override {
    RunStop(view_);
    sim_->Stop();
    unsetenv("QUIBRANO_COM1");
    ResetStore();
  }

  // One PollTick on the 50 ms grid; returns how long the tick itself took.
  double Tick() {
    next_ += std::chrono::milliseconds(50);
    std::this_thread::sleep_until(next_);
    const auto start = SteadyClock::now();
    PollTick(view_);
    const double ms = std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
    // A late tick (a loaded machine) moves the grid instead of bunching up.
    if (SteadyClock::now() > next_ + std::chrono::milliseconds(50)) next_ = SteadyClock::now();
    return ms;
  }
  // Ticks until done() holds, at most maxTicks; the number of ticks taken, or -1.
  int TickUntil(const std::function<bool()>& done, int maxTicks) {
    for (int i = 1; i <= maxTicks; ++i) {
      Tick();
      if (done()) return i;
    }
    return -1;
  }
  bool BoardReceived(uint8_t b) const {
    const auto got = sim_->Received();
    return std::any_of(got.begin(), got.end(), [b](const ReceivedByte& r) { return r.value == b; });
  }
  bool Connected() const { return view_.adapterStatus == "Adapter  connected"; }

  QTemporaryDir dir_;
  std::string link_;
  std::unique_ptr<BoardSim> sim_;
  FakeLinkView view_;
  SteadyClock::time_point next_;
};

TEST_F(LinkBoard, StartConnectsAndAToggledRelayReachesTheBoardWithinACycle) {
  RunStart(view_);
  ASSERT_TRUE(store.PortOpen);
  EXPECT_EQ(view_.runStates, std::vector<bool>{true});
  ASSERT_GT(TickUntil([&] { return Connected(); }, 24), 0) << view_.adapterStatus;
  EXPECT_EQ(view_.portStatus, "COM 1   Open");

  ToggleRelay(2);
  // Six ticks reach the send step; the board reads the byte a moment later.
  for (int i = 0; i < 6; ++i) Tick();
  const auto deadline = SteadyClock::now() + std::chrono::seconds(1);
  while (sim_->LastRelayByte() != 0x04 && SteadyClock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(sim_->LastRelayByte(), 0x04);
  EXPECT_EQ(view_.relayShown[2], 1);
}

TEST_F(LinkBoard, ContactClosedAtTheBoardDrivesAnInputRelay) {
  Modes(0) = IfK1;
  Modes(1) = IfK1NorK2;
  RunStart(view_);
  ASSERT_TRUE(store.PortOpen);
  sim_->SetContact(0, true);
  // The board reports once per cycle; the second equal report is accepted.
  ASSERT_GT(TickUntil([] { return store.K1Closed; }, 60), 0);
  EXPECT_TRUE(RelayIsOn(0));
  EXPECT_FALSE(RelayIsOn(1));
  EXPECT_EQ(view_.inputShown, (std::array<int, 2>{1, 0}));
  EXPECT_GT(TickUntil([&] { return sim_->LastRelayByte() == 0x01; }, 12), 0);

  sim_->SetContact(0, false);
  ASSERT_GT(TickUntil([] { return !store.K1Closed; }, 60), 0);
  EXPECT_EQ(store.RelayWord & 0x3F, 0x02);
}

TEST_F(LinkBoard, StopAndStartGoOnFromTheSamePhase) {
  RunStart(view_);
  for (int i = 0; i < 4; ++i) Tick();
  const int32_t phase = store.PollPhase;
  RunStop(view_);
  const size_t receivedAtStop = sim_->Received().size();
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_EQ(view_.portStatus, "COM 1   Close");
  EXPECT_EQ(view_.adapterStatus, "Adapter  not connected");
  EXPECT_EQ(store.PollPhase, phase);
  EXPECT_EQ(sim_->Received().size(), receivedAtStop) << "nothing is sent while stopped";

  RunStart(view_);
  ASSERT_TRUE(store.PortOpen);
  Tick();
  EXPECT_EQ(store.PollPhase, (phase + 1) % 6);
  EXPECT_EQ(view_.runStates, (std::vector<bool>{true, false, true}));
}

TEST_F(LinkBoard, MissingDeviceLeavesTheLinkStoppedWithoutAMessage) {
  sim_->Unplug();
  RunStart(view_);
  EXPECT_FALSE(store.PortOpen);
  EXPECT_TRUE(view_.runStates.empty());
  Tick();
  EXPECT_EQ(view_.portStatus, "COM 1   Close");
  EXPECT_EQ(view_.adapterStatus, "Adapter  not connected");
}

TEST_F(LinkBoard, BothSpellingsOfThePortOpenTheSameBoard) {
  for (const char* spec : {"Com1:1200,N,8,1", "COM1:1200,N,8,1"}) {
    store.PortSpec = spec;
    StartLink(view_);
    ASSERT_TRUE(store.PortOpen) << spec;
    const uint8_t marker = spec[1] == 'o' ? 0x21 : 0x22;
    WriteByte(marker);
    ASSERT_GT(TickUntil([&] { return BoardReceived(marker); }, 10), 0) << spec;
    RunStop(view_);
  }
}

TEST_F(LinkBoard, UnpluggedBoardLeavesTicksRunningAndReplugWorksAfterStart) {
  RunStart(view_);
  ASSERT_GT(TickUntil([&] { return Connected(); }, 24), 0);
  sim_->Unplug();
  double slowest = 0;
  for (int i = 0; i < 14; ++i) slowest = std::max(slowest, Tick());
  EXPECT_EQ(view_.adapterStatus, "Adapter  not connected");
  EXPECT_TRUE(store.PortOpen) << "the link does not stop by itself";
  EXPECT_LT(slowest, 200.0);

  RunStop(view_);
  std::string error;
  ASSERT_TRUE(sim_->Replug(&error)) << error;
  RunStart(view_);
  ASSERT_TRUE(store.PortOpen);
  EXPECT_GT(TickUntil([&] { return Connected(); }, 24), 0);
}

struct TickFigures {
  double mean = 0;
  double max = 0;
};

TickFigures Figures(const std::vector<double>& ms) {
  TickFigures f;
  if (ms.empty()) return f;
  f.mean = std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
  f.max = *std::max_element(ms.begin(), ms.end());
  return f;
}

void Report(const char* what, const TickFigures& f) {
  std::printf("tick time, %s: mean %.1f ms, max %.1f ms\n", what, f.mean, f.max);
  ::testing::Test::RecordProperty(what, std::to_string(f.mean) + " / " + std::to_string(f.max));
}

// Figures, not limits: the bound asserted is loose enough for a loaded machine.
TEST_F(LinkBoard, FloodingBoardCannotStallATick) {
  RunStart(view_);
  for (int i = 0; i < 6; ++i) Tick();
  // Paced first: an unpaced flood leaves a backlog in the pty that later
  // ticks would drain at full speed.
  for (bool paced : {true, false}) {
    sim_->SetPace(paced);
    sim_->SetFlood(true);
    std::vector<double> ms;
    for (int i = 0; i < 12; ++i) ms.push_back(Tick());
    sim_->SetFlood(false);
    const TickFigures f = Figures(ms);
    Report(paced ? "flood at 1200 baud" : "flood without pause", f);
    EXPECT_LT(f.max, 200.0);
  }
  EXPECT_TRUE(store.PortOpen);
}

TEST_F(LinkBoard, MeasureIdleAndAnsweringTicks) {
  RunStart(view_);
  for (int i = 0; i < 6; ++i) Tick();
  std::vector<double> answering;
  for (int i = 0; i < 36; ++i) answering.push_back(Tick());
  sim_->SetSilent(true);
  for (int i = 0; i < 6; ++i) Tick();
  std::vector<double> idle;
  for (int i = 0; i < 36; ++i) idle.push_back(Tick());
  Report("board answering", Figures(answering));
  Report("idle (no answer)", Figures(idle));
  EXPECT_EQ(view_.adapterStatus, "Adapter  not connected");
  EXPECT_LT(Figures(idle).max, 200.0);
}

}  // namespace
}  // namespace quibrano
