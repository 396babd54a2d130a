#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>

#include <QProcess>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ptypair.h"
#include "serialport.h"

namespace quibrano {
namespace {

using Bytes = std::vector<unsigned char>;
using SteadyClock = std::chrono::steady_clock;

int64_t MsSince(SteadyClock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - t).count();
}

// --- which device a specification names ------------------------------------

struct PathCase {
  const char* spec;
  const char* expected;
};

class DevicePath : public ::testing::TestWithParam<PathCase> {
 protected:
  void SetUp() override {
    setenv("QUIBRANO_COM1", "/tmp/board-one", 1);
    setenv("QUIBRANO_COM2", "", 1);
    unsetenv("QUIBRANO_COM3");
    setenv("QUIBRANO_COM9", "/tmp/never-used", 1);
  }
  void TearDown() override {
    for (const char* v : {"QUIBRANO_COM1", "QUIBRANO_COM2", "QUIBRANO_COM9"}) unsetenv(v);
  }
};

TEST_P(DevicePath, FirstFourCharactersWithoutCase) {
  EXPECT_EQ(DevicePathFor(GetParam().spec), GetParam().expected) << GetParam().spec;
}

INSTANTIATE_TEST_SUITE_P(
    Specs, DevicePath,
    ::testing::Values(PathCase{"Com1:1200,N,8,1", "/tmp/board-one"}, PathCase{"COM1:1200,N,8,1", "/tmp/board-one"},
                      PathCase{"cOM1", "/tmp/board-one"},
                      // A two-digit port still names COM1: only four characters count.
                      PathCase{"Com10:1200,N,8,1", "/tmp/board-one"},
                      // An empty mapping counts as none.
                      PathCase{"COM2:1200,N,8,1", "/dev/ttyS1"}, PathCase{"COM3:1200,N,8,1", "/dev/ttyS2"},
                      // Only COM1..COM8 are mapped from the environment.
                      PathCase{"COM9:1200,N,8,1", "/dev/ttyS8"},
                      // Port 0 (no list item), negative numbers and other names name nothing.
                      PathCase{"COM0:1200,N,8,1", ""}, PathCase{"Com-1:1200,N,8,1", ""},
                      PathCase{"LPT1:1200,N,8,1", ""}, PathCase{"COM", ""}, PathCase{"", ""},
                      PathCase{"COMx:1200,N,8,1", ""}));

// --- the port itself over a pseudo-terminal ---------------------------------

class SerialPort : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok());
    setenv("QUIBRANO_COM1", pty_.slave().c_str(), 1);
  }
  void TearDown() override {
    ClosePort();
    unsetenv("QUIBRANO_COM1");
  }
  // Whether someone else could take the device right now.
  static bool OthersCanLock(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return locked;
  }
  PtyPair pty_;
};

TEST_F(SerialPort, OpenAppliesRawLineAt1200Baud8N1) {
  ASSERT_TRUE(OpenPort("Com1:1200,N,8,1"));
  ASSERT_GT(PortHandle, 2);
  termios t{};
  ASSERT_EQ(tcgetattr(static_cast<int>(PortHandle), &t), 0);
  EXPECT_EQ(cfgetispeed(&t), B1200);
  EXPECT_EQ(cfgetospeed(&t), B1200);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_NE(t.c_cflag & CLOCAL, 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

TEST_F(SerialPort, EveryByteValuePassesUnchangedBothWays) {
  ASSERT_TRUE(OpenPort("COM1:1200,N,8,1"));
  // Line ends, XON/XOFF, interrupt, NUL and 0xFF would all be eaten or
  // translated by a cooked line.
  const Bytes bytes{0x00, 0x0A, 0x0D, 0x11, 0x13, 0x03, 0x1A, 0x7F, 0x80, 0xFF, 0x73, 0x78};
  pty_.Send(bytes);
  Bytes read;
  for (size_t i = 0; i < bytes.size(); ++i) read.push_back(static_cast<unsigned char>(ReadByte()));
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(ReadByte(), -1);

  for (unsigned char b : bytes) WriteByte(b);
  WriteByte(0x1234);  // only the low 8 bits go out
  Bytes expected = bytes;
  expected.push_back(0x34);
  EXPECT_EQ(pty_.Receive(), expected);
  EXPECT_EQ(ReadByte(), -1) << "what the program sends must not echo back";
}

TEST_F(SerialPort, ReadWaitsBrieflyForNothingAndNotAtAllForWaitingBytes) {
  ASSERT_TRUE(OpenPort("Com1:1200,N,8,1"));
  auto start = SteadyClock::now();
  EXPECT_EQ(ReadByte(), -1);
  const int64_t empty = MsSince(start);
  EXPECT_GE(empty, 8);
  EXPECT_LT(empty, 500);

  pty_.Send(Bytes(20, 0x42));
  start = SteadyClock::now();
  for (int i = 0; i < 20; ++i) ASSERT_EQ(ReadByte(), 0x42);
  // Twenty reads that each waited out the time-out would take over 200 ms.
  EXPECT_LT(MsSince(start), 110);
}

TEST_F(SerialPort, TimeoutParameterSetsTheReadLimit) {
  EXPECT_FALSE(SetPortTimeouts(10)) << "no device held";
  ASSERT_TRUE(OpenPort("Com1:1200,N,8,1"));
  EXPECT_FALSE(SetPortTimeouts(-1));
  EXPECT_TRUE(SetPortTimeouts(INT32_MAX));  // saturates, no overflow
  ASSERT_TRUE(SetPortTimeouts(120));
  auto start = SteadyClock::now();
  EXPECT_EQ(ReadByte(), -1);
  EXPECT_GE(MsSince(start), 100);
  ASSERT_TRUE(SetPortTimeouts(10));
}

TEST_F(SerialPort, WriteToAStalledLineGivesUpWithinItsBound) {
  ASSERT_TRUE(OpenPort("Com1:1200,N,8,1"));
  // Nobody reads the master side: the pty's buffer fills, and from then on
  // every write waits its limit and gives up.
  int64_t slowest = 0;
  int stalled = 0;
  for (int i = 0; i < 200000 && stalled < 3; ++i) {
    const auto start = SteadyClock::now();
    WriteByte(0x55);
    const int64_t took = MsSince(start);
    slowest = std::max(slowest, took);
    if (took >= 15) ++stalled;
  }
  EXPECT_EQ(stalled, 3) << "the line never filled up";
  EXPECT_LT(slowest, 250);
}

TEST_F(SerialPort, ClosedOrFailedPortReadsNothingAndSendsNothing) {
  ASSERT_TRUE(OpenPort("Com1:1200,N,8,1"));
  ClosePort();
  EXPECT_EQ(PortHandle, 0);
  pty_.Send({0x01});
  EXPECT_EQ(ReadByte(), -1);
  WriteByte(0x22);

  setenv("QUIBRANO_COM4", "/nonexistent/quibrano-board", 1);
  EXPECT_FALSE(OpenPort("Com4:1200,N,8,1"));
  unsetenv("QUIBRANO_COM4");
  EXPECT_EQ(PortHandle, -1);
  EXPECT_FALSE(OpenPort("COM0:1200,N,8,1"));
  EXPECT_EQ(PortHandle, -1);
  EXPECT_EQ(ReadByte(), -1);
  WriteByte(0x23);
  EXPECT_EQ(pty_.Receive(50), Bytes{}) << "nothing may reach the line";

  // A failed open does not spoil the next one.
  ASSERT_TRUE(OpenPort("Com1:1200,N,8,1"));
  EXPECT_EQ(ReadByte(), -1) << "a fresh open starts with nothing waiting";
  WriteByte(0x24);
  EXPECT_EQ(pty_.Receive(), Bytes{0x24});
}

TEST_F(SerialPort, SecondOpenReplacesTheFirstHandle) {
  ASSERT_TRUE(OpenPort("Com1:1200,N,8,1"));
  // Had the first handle stayed open, its lock would refuse this one.
  ASSERT_TRUE(OpenPort("COM1:1200,N,8,1"));
  WriteByte(0x31);
  EXPECT_EQ(pty_.Receive(), Bytes{0x31});

  PtyPair other;
  ASSERT_TRUE(other.ok());
  setenv("QUIBRANO_COM2", other.slave().c_str(), 1);
  ASSERT_TRUE(OpenPort("Com2:1200,N,8,1"));
  unsetenv("QUIBRANO_COM2");
  EXPECT_TRUE(OthersCanLock(pty_.slave())) << "the first device is still held";
  EXPECT_FALSE(OthersCanLock(other.slave()));
}

TEST_F(SerialPort, AnotherProcessCannotOpenAHeldPort) {
  QProcess probe;
  probe.setProgram(QUIBRANO_OPEN_PROBE);
  probe.setArguments({"Com1:1200,N,8,1"});
  auto probeOpens = [&probe] {
    probe.start();
    EXPECT_TRUE(probe.waitForFinished(20000));
    return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
  };
  ASSERT_TRUE(OpenPort("Com1:1200,N,8,1"));
  EXPECT_FALSE(probeOpens());
  ClosePort();
  EXPECT_TRUE(probeOpens());
}

TEST_F(SerialPort, VanishedOtherSideIsHarmless) {
  ASSERT_TRUE(OpenPort("Com1:1200,N,8,1"));
  pty_.CloseMaster();
  const auto start = SteadyClock::now();
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(ReadByte(), -1);
    WriteByte(0x73);
  }
  EXPECT_LT(MsSince(start), 5 * (11 + 20) + 200);
  ClosePort();
  EXPECT_EQ(PortHandle, 0);
}

TEST_F(SerialPort, NonTerminalDeviceFailsButIsHeldUntilClosed) {
  char path[] = "/tmp/quibrano-notatty-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  setenv("QUIBRANO_COM5", path, 1);
  EXPECT_FALSE(OpenPort("Com5:1200,N,8,1"));
  EXPECT_GT(PortHandle, 2);
  ClosePort();
  EXPECT_EQ(PortHandle, 0);
  unsetenv("QUIBRANO_COM5");
  unlink(path);
}

}  // namespace
}  // namespace quibrano
