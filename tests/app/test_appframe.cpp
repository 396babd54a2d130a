// What the program entry is built from: the headless choice, the stop
// signals turned into Qt signals, and the watch that ends the loop only when
// the main window has really closed.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <QCloseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <array>
#include <optional>
#include <string>

#include "headless.h"
#include "mainwindowwatch.h"
#include "stopsignals.h"

namespace quibrano {
namespace {

struct DisplayCase {
  const char* display;
  const char* wayland;
  const char* platform;
  bool offscreen;
};

class NeedsOffscreenTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(NeedsOffscreenTest, OnlyWhenNothingNamesADisplayOrPlatform) {
  const DisplayCase& c = GetParam();
  EXPECT_EQ(NeedsOffscreen(c.display, c.wayland, c.platform), c.offscreen);
}

INSTANTIATE_TEST_SUITE_P(Environments, NeedsOffscreenTest,
                         ::testing::Values(DisplayCase{nullptr, nullptr, nullptr, true},
                                           DisplayCase{"", "", "", true},
                                           DisplayCase{":0", nullptr, nullptr, false},
                                           DisplayCase{nullptr, "wayland-0", nullptr, false},
                                           DisplayCase{nullptr, nullptr, "xcb", false},
                                           DisplayCase{"", "", "vnc", false}));

// Keeps the three variables as they were around a test that changes them.
class EnvironmentGuard {
 public:
  EnvironmentGuard() {
    for (size_t i = 0; i < kNames.size(); ++i) {
      if (const char* v = std::getenv(kNames[i])) saved_[i] = std::string(v);
    }
  }
  ~EnvironmentGuard() {
    for (size_t i = 0; i < kNames.size(); ++i) {
      if (saved_[i]) {
        setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }

 private:
  static constexpr std::array<const char*, 3> kNames{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  std::array<std::optional<std::string>, 3> saved_;
};

TEST(ChooseOffscreen, SetsThePlatformAndSaysSoOnlyWithoutADisplay) {
  EnvironmentGuard guard;
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("QT_QPA_PLATFORM");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(ChooseOffscreenWithoutDisplay());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "offscreen");
  EXPECT_NE(said.find("no display: running headless (offscreen)"), std::string::npos) << said;

  setenv("QT_QPA_PLATFORM", "minimal", 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ChooseOffscreenWithoutDisplay());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "minimal");
}

class StopSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(StopSignalTest, ArrivesInTheEventLoopInsteadOfEndingTheProcess) {
  const int signo = GetParam();
  {
    StopSignals stop;
    ASSERT_TRUE(stop.Installed());
    QSignalSpy spy(&stop, &StopSignals::stopRequested);
    ASSERT_EQ(raise(signo), 0);
    // Nothing reaches Qt from the handler itself.
    EXPECT_EQ(spy.count(), 0);
    ASSERT_TRUE(spy.wait(2000));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), signo);

    // A burst is not lost, and each one is reported.
    raise(signo);
    raise(signo);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 3, 2000);
  }
  // The previous handling is back once the object is gone.
  struct sigaction now {};
  ASSERT_EQ(sigaction(signo, nullptr, &now), 0);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                           return std::string(info.param == SIGTERM  ? "SIGTERM"
                                              : info.param == SIGINT ? "SIGINT"
                                                                     : "SIGHUP");
                         });

TEST(StopSignals, OnlyOneInstanceHandlesThem) {
  StopSignals first;
  ASSERT_TRUE(first.Installed());
  testing::internal::CaptureStderr();
  StopSignals second;
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(second.Installed());
  QSignalSpy spy(&first, &StopSignals::stopRequested);
  raise(SIGTERM);
  EXPECT_TRUE(spy.wait(2000));
}

// A main window whose close can be refused, as one whose save failed.
class Window : public QWidget {
 public:
  bool refuse = false;

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (refuse) {
      event->ignore();
    } else {
      event->accept();
    }
  }
};

class MainWindowWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }
  Window window_;
  MainWindowWatch* watch_ = new MainWindowWatch(&window_);
};

TEST_F(MainWindowWatchTest, ARefusedCloseKeepsTheProgramThenAnAcceptedOneEndsIt) {
  QSignalSpy spy(watch_, &MainWindowWatch::closed);
  window_.refuse = true;
  EXPECT_FALSE(window_.close());
  QTest::qWait(20);
  EXPECT_EQ(spy.count(), 0);
  window_.refuse = false;
  EXPECT_TRUE(window_.close());
  EXPECT_EQ(spy.count(), 1);
}

TEST_F(MainWindowWatchTest, MinimisingOrADialogClosingIsNotTheEnd) {
  QSignalSpy spy(watch_, &MainWindowWatch::closed);
  window_.showMinimized();
  QTest::qWait(20);
  QWidget dialog(&window_, Qt::Dialog);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  dialog.close();
  QTest::qWait(20);
  EXPECT_EQ(spy.count(), 0);
}

}  // namespace
}  // namespace quibrano
