// Clients that misbehave: floods, binary junk, connect/disconnect storms and
// silent connections cost the server bounded memory and it keeps answering.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "remoteprotocol.h"
#include "remotetesting.h"

namespace quibrano {
namespace {

using testing::Client;
using testing::ServerFixture;
using testing::WaitUntil;

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  long resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE) / 1024;
}

std::string Junk(std::mt19937& random, size_t size) {
  std::string junk(size, '\0');
  std::uniform_int_distribution<int> byte(0, 255);
  for (char& c : junk) c = static_cast<char>(byte(random));
  return junk;
}

// Reports what a storm cost, for people to read; not a pass condition. Under
// the sanitizers freed memory sits in quarantine, so resident memory grows
// there even when nothing is kept.
void Report(const char* what, long rssBefore, qint64 ms) {
  std::cout << what << ": resident memory " << rssBefore << " KiB -> " << ResidentKiB() << " KiB, " << ms
            << " ms\n";
}

// Keeps the largest value of the server's buffered bytes seen between events.
class BufferProbe {
 public:
  explicit BufferProbe(const RemoteServer& server) {
    QObject::connect(&timer_, &QTimer::timeout, [this, &server] { peak = std::max(peak, server.BufferedBytes()); });
    timer_.start(0);
  }
  int64_t peak = 0;

 private:
  QTimer timer_;
};

TEST_F(ServerFixture, FloodEndsTheFloodingConnectionAfterOneReceive) {
  auto bystander = Connect();
  auto flooder = Connect();
  std::mt19937 random(7);
  const std::string flood = Junk(random, 4 * 1024 * 1024);
  const long rss = ResidentKiB();
  QElapsedTimer clock;
  clock.start();
  BufferProbe probe(server);

  flooder->Send(flood);
  ASSERT_TRUE(flooder->WaitDisconnected(30000));
  Report("4 MiB flood", rss, clock.elapsed());
  EXPECT_LE(probe.peak, static_cast<int64_t>(kMaxMessageBytes) + 64);
  EXPECT_EQ(server.ConnectionCount(), 1);

  ASSERT_TRUE(Say(*bystander, "repeat"));
  EXPECT_TRUE(bystander->Expect("0")) << bystander->last();
  EXPECT_EQ(store.RelayWord, 0);
}

// Junk below the bound is taken as messages: ignored without a login, except
// that a text starting with "Pa" is refused.
TEST_F(ServerFixture, BinaryJunkIsIgnoredAndTheConnectionStays) {
  store.RelayWord = 21;
  auto client = Connect();
  std::mt19937 random(11);
  std::uniform_int_distribution<size_t> size(1, 2000);
  std::string refusals;
  for (int i = 0; i < 300; ++i) {
    std::string junk = Junk(random, size(random));
    if (i % 50 == 0) junk = "Pa" + junk;
    if (junk.starts_with("Pa")) refusals += "nolegal";
    ASSERT_TRUE(Say(*client, junk)) << "piece " << i;
  }
  ASSERT_TRUE(Say(*client, "repeat"));
  EXPECT_TRUE(client->Expect(refusals + "21"));
  EXPECT_EQ(store.RelayWord, 21);
}

TEST_F(ServerFixture, ConnectDisconnectStormLeavesNothingBehind) {
  const long rss = ResidentKiB();
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < 1000; ++i) {
    Client c(port);
    ASSERT_TRUE(c.Greeted()) << "cycle " << i;
    c.socket().abort();
  }
  // And clients that leave before the server has even greeted them.
  for (int i = 0; i < 1000; ++i) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(s.waitForConnected(5000));
    s.abort();
    // The listen queue is short: let the server take what is waiting.
    if (i % 20 == 0) QTest::qWait(1);
  }
  ASSERT_TRUE(WaitUntil([&] { return server.ConnectionCount() == 0; }, 30000));
  Report("2000 connect/disconnect cycles", rss, clock.elapsed());
  EXPECT_FALSE(view.IndicatorGreen());
  EXPECT_EQ(server.BufferedBytes(), 0);
  auto client = Connect();
  ASSERT_TRUE(Say(*client, "repeat"));
  EXPECT_TRUE(client->Expect("0"));
}

TEST_F(ServerFixture, ConnectionsBeyondTheCapAreClosedUngreeted) {
  std::vector<std::unique_ptr<Client>> silent;
  for (size_t i = 0; i < kMaxConnections; ++i) silent.push_back(Connect());
  ASSERT_EQ(server.ConnectionCount(), static_cast<int>(kMaxConnections));

  Client extra(port);
  EXPECT_TRUE(extra.WaitDisconnected());
  EXPECT_EQ(extra.received(), "");
  EXPECT_TRUE(view.IndicatorGreen()) << "a refused connection is not a disconnect";
  EXPECT_EQ(server.ConnectionCount(), static_cast<int>(kMaxConnections));

  silent.front()->Leave();
  ASSERT_TRUE(WaitUntil([&] { return server.ConnectionCount() == static_cast<int>(kMaxConnections) - 1; }));
  auto next = Connect();
  ASSERT_TRUE(Say(*next, "repeat"));
  EXPECT_TRUE(next->Expect("0"));
}

}  // namespace
}  // namespace quibrano
