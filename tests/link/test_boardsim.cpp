#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <termios.h>

#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "boardsim.h"
#include "simcommand.h"

namespace quibrano {
namespace {

using Bytes = std::vector<unsigned char>;

// The program's side of the simulated line, opened raw.
class Line {
 public:
  explicit Line(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    if (fd_ >= 0 && tcgetattr(fd_, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(fd_, TCSANOW, &t);
    }
  }
  ~Line() {
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  void Send(Bytes bytes) const {
    if (write(fd_, bytes.data(), bytes.size()) < 0) return;
  }
  // What arrives until nothing more comes for quietMs.
  Bytes Receive(int quietMs = 150) const {
    Bytes got;
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN)) return got;
      unsigned char buf[512];
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) return got;
      got.insert(got.end(), buf, buf + n);
    }
  }

 private:
  int fd_ = -1;
};

class Board : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    link_ = dir_.filePath("board").toStdString();
    log_ = dir_.filePath("board.log").toStdString();
    sim_ = std::make_unique<BoardSim>(BoardSim::Options{link_, log_, false},
                                      [this](const std::string& l) { printed_.push_back(l); });
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
  }
  std::string Command(const std::string& line) {
    bool quit = false;
    return RunSimCommand(*sim_, line, quit);
  }
  QTemporaryDir dir_;
  std::string link_, log_;
  std::vector<std::string> printed_;
  std::unique_ptr<BoardSim> sim_;
};

TEST_F(Board, AnswersEachPollWithAcknowledgeAndItsContacts) {
  Line line(link_);
  ASSERT_TRUE(line.ok());
  const struct {
    const char* k1;
    const char* k2;
    unsigned char input;
  } contacts[] = {{"open", "open", 3}, {"closed", "open", 2}, {"open", "closed", 1}, {"closed", "closed", 0}};
  for (const auto& c : contacts) {
    Command(std::string("k1 ") + c.k1);
    Command(std::string("k2 ") + c.k2);
    line.Send({0x73});
    EXPECT_EQ(line.Receive(), (Bytes{0x78, c.input})) << c.k1 << " " << c.k2;
  }
  Command("silent on");
  line.Send({0x73});
  EXPECT_EQ(line.Receive(), Bytes{});
}

TEST_F(Board, TakesRelayBytesAndLogsEveryByte) {
  Line line(link_);
  ASSERT_TRUE(line.ok());
  EXPECT_EQ(sim_->LastRelayByte(), -1);
  line.Send({0x05, 0x05, 0x40, 0xFF, 0x3F});
  line.Receive();
  EXPECT_EQ(sim_->LastRelayByte(), 0x3F) << "0x40 and 0xFF are no relay bytes";
  EXPECT_EQ(sim_->Received().size(), 5u);
  // One line per change, not per byte.
  ASSERT_EQ(printed_.size(), 2u);
  EXPECT_EQ(printed_[0], "relays 0x05: 1=on 2=off 3=on 4=off 5=off 6=off");
  sim_->Stop();
  std::ifstream in(log_);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find(" rx 0x05 relay\n"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find(" rx 0xff ignored\n"), std::string::npos);
}

TEST_F(Board, GarbageIsJunkThatNeverLooksLikeAnAnswer) {
  Line line(link_);
  ASSERT_TRUE(line.ok());
  EXPECT_EQ(Command("garbage 300"), "garbage 300");
  const Bytes junk = line.Receive();
  ASSERT_EQ(junk.size(), 300u);
  for (unsigned char b : junk) {
    EXPECT_NE(b, 0x78);
    EXPECT_GE(b, 4);
  }
}

TEST_F(Board, UnplugTakesTheDeviceAwayAndReplugBringsItBackAtTheLink) {
  {
    Line held(link_);
    ASSERT_TRUE(held.ok());
    const std::string before = sim_->SlavePath();
    EXPECT_EQ(Command("unplug"), "unplugged");
    struct stat st{};
    EXPECT_NE(lstat(link_.c_str(), &st), 0) << "the link goes with the device";
    const int reopened = open(before.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_LT(reopened, 0) << "the old device still opens";
    if (reopened >= 0) close(reopened);
    held.Send({0x73});
    EXPECT_EQ(held.Receive(50), Bytes{});
    EXPECT_EQ(Command("garbage 3"), "error: unplugged");
  }
  const std::string reply = Command("replug");
  EXPECT_EQ(reply, "replugged " + sim_->SlavePath());
  Line line(link_);
  ASSERT_TRUE(line.ok());
  line.Send({0x73});
  EXPECT_EQ(line.Receive(), (Bytes{0x78, 0x03}));
}

TEST_F(Board, WaitsQuietlyUntilSomeoneOpensTheLine) {
  // Nobody holds the device: the board must not fail or spin meanwhile.
  EXPECT_EQ(Command("garbage 10"), "garbage 10");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(sim_->Plugged());
  Line line(link_);
  ASSERT_TRUE(line.ok());
  line.Receive(50);
  line.Send({0x73});
  EXPECT_EQ(line.Receive(), (Bytes{0x78, 0x03}));
}

TEST_F(Board, PacedOutputTakesAByteTimePerByte) {
  Line line(link_);
  ASSERT_TRUE(line.ok());
  Command("pace on");
  const auto start = std::chrono::steady_clock::now();
  Command("garbage 12");
  EXPECT_EQ(line.Receive(300).size(), 12u);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_GE(ms.count(), 11 * 8);  // eleven gaps of 8.3 ms, plus the quiet wait
}

struct CommandCase {
  const char* line;
  const char* reply;  // the whole reply, or its start when it ends in "..."
  int inputAfter;     // InputByte() afterwards
};

class Commands : public Board, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(Commands, ReplyAndEffect) {
  const std::string reply = Command(GetParam().line);
  const std::string expected = GetParam().reply;
  if (expected.size() > 3 && expected.ends_with("..."))
    EXPECT_EQ(reply.substr(0, expected.size() - 3), expected.substr(0, expected.size() - 3)) << reply;
  else
    EXPECT_EQ(reply, expected);
  EXPECT_EQ(sim_->InputByte(), GetParam().inputAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Commands,
    ::testing::Values(CommandCase{"k1 closed", "K1 closed", 2}, CommandCase{"  K2   CLOSED ", "K2 closed", 1},
                      CommandCase{"k1 open", "K1 open", 3}, CommandCase{"", "", 3},
                      CommandCase{"state", "relays unknown; K1 open, K2 open; plugged", 3},
                      CommandCase{"flood on", "flood on", 3}, CommandCase{"garbage 0", "garbage 0", 3},
                      // Bad input: an error reply and no change.
                      CommandCase{"k1", "error: usage: k1 open|closed", 3},
                      CommandCase{"k1 shut", "error: usage: k1 open|closed", 3},
                      CommandCase{"silent yes", "error: usage: silent on|off", 3},
                      CommandCase{"garbage", "error: usage: garbage N...", 3},
                      CommandCase{"garbage -1", "error: usage: garbage N...", 3},
                      CommandCase{"garbage 100001", "error: usage: garbage N...", 3},
                      CommandCase{"garbage 5x", "error: usage: garbage N...", 3},
                      CommandCase{"garbage 99999999999999999999", "error: usage: garbage N...", 3},
                      CommandCase{"state now", "error: state takes no argument", 3},
                      CommandCase{"k3 closed", "error: unknown command 'k3'...", 3}));

TEST_F(Board, QuitIsOnlyAskedFor) {
  bool quit = false;
  EXPECT_EQ(RunSimCommand(*sim_, "quit", quit), "bye");
  EXPECT_TRUE(quit);
}

// --- the program ---------------------------------------------------------------

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    link_ = dir_.filePath("com1").toStdString();
    log_ = dir_.filePath("sim.log").toStdString();
    sim_.setProgram(QUIBRANO_BOARDSIM);
    sim_.setArguments({"--link", QString::fromStdString(link_), "--log", QString::fromStdString(log_)});
  }
  void TearDown() override {
    if (sim_.state() != QProcess::NotRunning) {
      sim_.kill();
      sim_.waitForFinished(5000);
    }
  }
  std::string NextLine() {
    while (!sim_.canReadLine())
      if (!sim_.waitForReadyRead(10000)) return "<no line>";
    return sim_.readLine().trimmed().toStdString();
  }
  QTemporaryDir dir_;
  std::string link_, log_;
  QProcess sim_;
};

TEST_F(Program, TalksOnItsDeviceAndTakesCommandsUntilQuit) {
  sim_.start();
  ASSERT_TRUE(sim_.waitForStarted(10000));
  const std::string device = NextLine();
  EXPECT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
  char target[256] = {};
  ASSERT_GT(readlink(link_.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(device, target);

  sim_.write("k1 closed\n");
  EXPECT_EQ(NextLine(), "K1 closed");
  Line line(link_);
  ASSERT_TRUE(line.ok());
  line.Send({0x73, 0x09});
  EXPECT_EQ(line.Receive(), (Bytes{0x78, 0x02}));
  EXPECT_EQ(NextLine(), "relays 0x09: 1=on 2=off 3=off 4=on 5=off 6=off");
  sim_.write("state\nquit\n");
  EXPECT_EQ(NextLine(), "relays 0x09: 1=on 2=off 3=off 4=on 5=off 6=off; K1 closed, K2 open; plugged");
  EXPECT_EQ(NextLine(), "bye");
  ASSERT_TRUE(sim_.waitForFinished(10000));
  EXPECT_EQ(sim_.exitCode(), 0);
  struct stat st{};
  EXPECT_NE(lstat(link_.c_str(), &st), 0) << "the link is removed on exit";
  std::ifstream in(log_);
  std::string first;
  std::getline(in, first);
  EXPECT_NE(first.find(" rx 0x73 poll"), std::string::npos) << first;
}

TEST_F(Program, TerminationSignalEndsItCleanly) {
  sim_.start();
  ASSERT_TRUE(sim_.waitForStarted(10000));
  NextLine();
  sim_.closeWriteChannel();  // no terminal: it keeps running
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_EQ(sim_.state(), QProcess::Running);
  sim_.terminate();
  ASSERT_TRUE(sim_.waitForFinished(10000));
  EXPECT_EQ(sim_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(sim_.exitCode(), 0);
  struct stat st{};
  EXPECT_NE(lstat(link_.c_str(), &st), 0);
}

TEST_F(Program, RefusesUnknownOptionsAndAForeignFileAtTheLink) {
  sim_.setArguments({"--bogus"});
  sim_.start();
  ASSERT_TRUE(sim_.waitForFinished(10000));
  EXPECT_EQ(sim_.exitCode(), 2);

  std::ofstream(link_) << "keep me\n";
  sim_.setArguments({"--link", QString::fromStdString(link_)});
  sim_.start();
  ASSERT_TRUE(sim_.waitForFinished(10000));
  EXPECT_EQ(sim_.exitCode(), 1);
  std::ifstream in(link_);
  std::string kept;
  std::getline(in, kept);
  EXPECT_EQ(kept, "keep me");
}

}  // namespace
}  // namespace quibrano
