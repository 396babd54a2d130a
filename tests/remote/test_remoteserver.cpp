// The remote server over real loopback TCP: greeting, commands, logins, the
// drop sequence, the port rules and closing.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "remotetesting.h"
#include "secondtick.h"

namespace quibrano {
namespace {

using testing::Client;
using testing::FreePort;
using testing::ServerFixture;
using testing::WaitUntil;

TEST_F(ServerFixture, GreetsEveryClientAfterTurningTheIndicatorGreen) {
  EXPECT_FALSE(view.IndicatorGreen());
  Client a(port);
  bool greenAtGreeting = false;
  QObject::connect(&a.socket(), &QTcpSocket::readyRead, [&] { greenAtGreeting = view.IndicatorGreen(); });
  ASSERT_TRUE(a.Greeted()) << a.last();
  EXPECT_TRUE(greenAtGreeting);
  auto b = Connect();
  EXPECT_EQ(server.ConnectionCount(), 2);
  // The indicator does not count clients: the first to leave turns it red.
  b->Leave();
  ASSERT_TRUE(WaitUntil([&] { return !view.IndicatorGreen(); }));
  EXPECT_EQ(server.ConnectionCount(), 1);
  EXPECT_EQ(store.RemoteState, Idle);
}

TEST_F(ServerFixture, ListensOnIPv6AsWellAsIPv4) {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHostIPv6, 0)) GTEST_SKIP() << "no IPv6 on this machine";
  probe.close();
  Client a(port, QHostAddress(QHostAddress::LocalHostIPv6));
  EXPECT_TRUE(a.Greeted()) << a.last();
}

// One row: the password, the word before, then message / reply / word after.
struct Step {
  std::string send;
  std::string reply;
  int word;
};
struct ProtocolCase {
  std::string name;
  std::string password;
  uint8_t startWord;
  std::vector<Step> steps;
  int32_t endState;
};
void PrintTo(const ProtocolCase& c, std::ostream* os) { *os << c.name; }

class ProtocolTable : public ServerFixture, public ::testing::WithParamInterface<ProtocolCase> {};

TEST_P(ProtocolTable, AnswersAndSetsRelaysAsTheMessageSays) {
  const ProtocolCase& c = GetParam();
  store.Password = c.password;
  store.RelayWord = c.startWord;
  auto client = Connect();
  for (const Step& step : c.steps) {
    ASSERT_TRUE(Exchange(*client, step.send, step.reply, step.word))
        << "sent \"" << step.send << "\", got \"" << client->last() << "\", wanted \"" << step.reply
        << step.word << '"';
  }
  EXPECT_EQ(store.RemoteState, c.endState);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ProtocolTable,
    ::testing::Values(
        ProtocolCase{"RepeatNeedsNoLogin", "secret", 0, {{"repeat", "0", 0}}, Idle},
        ProtocolCase{"RepeatGivesTheWholeWord", "secret", 195, {{"repeat", "195", 195}}, Idle},
        ProtocolCase{"RightPasswordLetsNumbersSetRelays",
                     "secret",
                     0,
                     {{"Pass:secret", "legal", 0}, {"63", "", 63}, {"-1", "", 255}, {"256", "", 0}},
                     LoggedIn},
        ProtocolCase{"NumbersWithoutLoginAreIgnored", "secret", 5, {{"63", "", 5}, {"-1", "", 5}}, Idle},
        ProtocolCase{"WrongPasswordIsRefused", "secret", 0, {{"Pass:wrong", "nolegal", 0}, {"63", "", 0}}, Idle},
        ProtocolCase{"EmptyPasswordLogsInWithPassAlone", "", 0, {{"Pass:", "legal", 0}, {"7", "", 7}}, LoggedIn},
        ProtocolCase{"PasswordWithLineEndIsRefused",
                     "secret",
                     0,
                     {{"Pass:secret\r\n", "nolegal", 0}, {"63", "", 0}},
                     Idle},
        ProtocolCase{"AnyOtherPaTextIsRefused", "secret", 9, {{"Papa", "nolegal", 9}, {"Pa", "nolegal", 9}}, Idle},
        ProtocolCase{"WrongPasswordKeepsTheLogin",
                     "secret",
                     0,
                     {{"Pass:secret", "legal", 0}, {"Pass:nope", "nolegal", 0}, {"12", "", 12}},
                     LoggedIn},
        ProtocolCase{"RepeatWithLineEndIsIgnoredWithoutLogin", "secret", 7, {{"repeat\r\n", "", 7}}, Idle},
        ProtocolCase{"RepeatWithLineEndSwitchesAllOffWhenLoggedIn",
                     "secret",
                     7,
                     {{"Pass:secret", "legal", 7}, {"repeat\r\n", "", 0}},
                     LoggedIn},
        ProtocolCase{"LowerCasePassIsNotALogin",
                     "secret",
                     7,
                     {{"pass:secret", "", 7}, {"Pass:secret", "legal", 7}, {"pass:secret", "", 0}},
                     LoggedIn},
        ProtocolCase{"TwoRepeatsInOneReceiveAreOneUnknownText", "secret", 7, {{"repeatrepeat", "", 7}}, Idle},
        ProtocolCase{"AMessageSplitOverTwoReceivesIsTwoTexts",
                     "secret",
                     0,
                     {{"Pass:se", "nolegal", 0}, {"cret", "", 0}},
                     Idle}),
    [](const ::testing::TestParamInfo<ProtocolCase>& info) { return info.param.name; });

// A login belongs to the connection that made it.
TEST_F(ServerFixture, AnotherClientCannotUseALogin) {
  store.Password = "secret";
  auto a = Connect();
  auto b = Connect();
  ASSERT_TRUE(Exchange(*a, "Pass:secret", "legal", 0));
  EXPECT_TRUE(Exchange(*b, "63", "", 0)) << "a client at the same time: " << b->last();
  EXPECT_TRUE(Exchange(*a, "3", "", 3));

  a->Leave();
  ASSERT_TRUE(WaitUntil([&] { return server.ConnectionCount() == 1; }));
  EXPECT_EQ(store.RemoteState, Idle);
  auto c = Connect();
  EXPECT_TRUE(Exchange(*c, "63", "", 3)) << "a later client: " << c->last();
  EXPECT_TRUE(Exchange(*b, "63", "", 3)) << "the client that stayed: " << b->last();
}

TEST_F(ServerFixture, LoginStateShowsWhileAnyConnectionIsLoggedIn) {
  store.Password = "pw";
  auto a = Connect();
  auto b = Connect();
  ASSERT_TRUE(Exchange(*a, "Pass:pw", "legal", 0));
  ASSERT_TRUE(Exchange(*b, "Pass:pw", "legal", 0));
  a->Leave();
  ASSERT_TRUE(WaitUntil([&] { return server.ConnectionCount() == 1; }));
  EXPECT_EQ(store.RemoteState, LoggedIn);
  b->Leave();
  ASSERT_TRUE(WaitUntil([&] { return server.ConnectionCount() == 0; }));
  EXPECT_EQ(store.RemoteState, Idle);
}

// The drop sequence: the second tick closes the server through its hook.
class DropSequence : public ServerFixture {
 protected:
  void SetUp() override {
    ServerFixture::SetUp();
    SetServerCloseHook([this] { server.Close(); });
  }
  void TearDown() override { SetServerCloseHook(nullptr); }
};

TEST_F(DropSequence, SilentClientKeepsTheServerOpen) {
  auto a = Connect();
  SwitchOff();
  EXPECT_EQ(store.RemoteState, DropRequested);
  for (int i = 0; i < 3; ++i) SecondTick();
  EXPECT_EQ(store.RemoteState, DropRequested);
  EXPECT_TRUE(server.IsListening());
  auto b = Connect();  // still greeted
  EXPECT_EQ(a->socket().state(), QAbstractSocket::ConnectedState);
}

TEST_F(DropSequence, ClientThatSpeaksThenLeavesClosesTheServerOnTheNextTick) {
  store.Password = "secret";
  auto a = Connect();
  auto b = Connect();
  ASSERT_TRUE(Exchange(*a, "Pass:secret", "legal", 0));
  SwitchOff();
  ASSERT_EQ(store.RemoteState, DropRequested);
  EXPECT_TRUE(server.IsListening());

  // The drop ends the login: the next message is refused whatever it says.
  ASSERT_TRUE(Say(*a, "63"));
  EXPECT_TRUE(a->Expect("nolegal")) << a->last();
  EXPECT_EQ(store.RemoteState, Refused);
  EXPECT_EQ(store.RelayWord, 0);
  ASSERT_TRUE(Say(*b, "Pass:secret"));
  ASSERT_TRUE(Say(*a, "63"));
  EXPECT_EQ(store.RemoteState, Refused);
  EXPECT_EQ(store.RelayWord, 0);

  SecondTick();
  EXPECT_TRUE(server.IsListening());
  a->Leave();
  ASSERT_TRUE(WaitUntil([&] { return store.RemoteState == ClosePending; }));
  EXPECT_FALSE(view.IndicatorGreen());
  EXPECT_TRUE(server.IsListening());

  SecondTick();
  EXPECT_EQ(store.RemoteState, Idle);
  EXPECT_FALSE(server.IsListening());
  EXPECT_TRUE(b->WaitDisconnected());
  EXPECT_EQ(b->received(), "") << "b was not answered while refused";
}

// A login after the refused client left does not keep the server open
// against the switch: the tick still closes it.
TEST_F(DropSequence, LoginWhileClosePendingDoesNotCancelTheClose) {
  store.Password = "pw";
  auto a = Connect();
  SwitchOff();
  ASSERT_TRUE(Say(*a, "x"));
  ASSERT_TRUE(a->Expect("nolegal"));
  a->Leave();
  ASSERT_TRUE(WaitUntil([&] { return store.RemoteState == ClosePending; }));
  auto b = Connect();
  ASSERT_TRUE(Exchange(*b, "Pass:pw", "legal", 0));
  EXPECT_TRUE(Exchange(*b, "5", "", 5));
  EXPECT_EQ(store.RemoteState, ClosePending);
  SecondTick();
  EXPECT_FALSE(server.IsListening());
  EXPECT_TRUE(b->WaitDisconnected());
}

TEST_F(DropSequence, SwitchingOnAgainOnTheSamePortLetsTheDropGoOn) {
  auto a = Connect();
  SwitchOff();
  SwitchOn();
  EXPECT_EQ(view.switchedOff, 0);
  EXPECT_TRUE(server.IsListening());
  EXPECT_EQ(store.RemoteState, DropRequested);
  ASSERT_TRUE(Say(*a, "repeat"));
  EXPECT_TRUE(a->Expect("nolegal"));
  a->Leave();
  ASSERT_TRUE(WaitUntil([&] { return store.RemoteState == ClosePending; }));
  SecondTick();
  EXPECT_FALSE(server.IsListening());
}

TEST_F(DropSequence, SwitchingOnAgainOnAnotherPortFailsAndDropsTheClients) {
  auto a = Connect();
  SwitchOff();
  store.RemotePort = std::to_string(FreePort());
  SwitchOn();
  EXPECT_EQ(view.switchedOff, 1);
  EXPECT_FALSE(view.remoteSwitch);
  EXPECT_FALSE(server.IsListening());
  EXPECT_FALSE(view.IndicatorGreen());
  EXPECT_TRUE(a->WaitDisconnected());
}

TEST_F(ServerFixture, SwitchingOffWithNoClientClosesAtOnce) {
  SwitchOff();
  EXPECT_FALSE(server.IsListening());
  EXPECT_EQ(store.RemoteState, Idle);
  Client late(port);
  EXPECT_TRUE(late.WaitDisconnected());
  EXPECT_EQ(late.received(), "");
}

TEST_F(ServerFixture, CloseDropsEveryClient) {
  auto a = Connect();
  auto b = Connect();
  server.Close();
  EXPECT_FALSE(server.IsListening());
  EXPECT_EQ(server.ConnectionCount(), 0);
  EXPECT_FALSE(view.IndicatorGreen());
  EXPECT_TRUE(a->WaitDisconnected());
  EXPECT_TRUE(b->WaitDisconnected());
  Client late(port);
  EXPECT_TRUE(late.WaitDisconnected());
  EXPECT_EQ(late.socket().error(), QAbstractSocket::ConnectionRefusedError);
}

TEST_F(ServerFixture, ReleaseClosesAndIgnoresTheSwitchAfterwards) {
  auto a = Connect();
  server.Release();
  EXPECT_FALSE(server.IsListening());
  EXPECT_TRUE(a->WaitDisconnected());
  SwitchOn();
  EXPECT_FALSE(server.IsListening());
}

// Port texts outside 1..65535 take the failure path: no message, the
// server closed, the switch back off. 70000 must not open 4464.
class BadPort : public ServerFixture, public ::testing::WithParamInterface<std::string> {};

TEST_P(BadPort, SwitchGoesBackOffAndNothingListens) {
  SwitchOff();
  store.RemotePort = GetParam();
  SwitchOn();
  EXPECT_FALSE(server.IsListening());
  EXPECT_FALSE(view.remoteSwitch);
  EXPECT_EQ(view.switchedOff, 1);
  EXPECT_EQ(server.ListeningPort(), 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, BadPort, ::testing::Values("", "abc", "0", "70000", "65536", "-1", "4294967297"));

TEST_F(ServerFixture, PortInUseFailsTheSameWay) {
  SwitchOff();
  QTcpServer other;
  ASSERT_TRUE(other.listen(QHostAddress::Any, 0));
  store.RemotePort = std::to_string(other.serverPort());
  SwitchOn();
  EXPECT_FALSE(server.IsListening());
  EXPECT_FALSE(view.remoteSwitch);
  EXPECT_EQ(view.switchedOff, 1);
}

TEST_F(ServerFixture, PortIsReadAfreshAtEverySwitchOn) {
  SwitchOff();
  const uint16_t next = FreePort();
  store.RemotePort = " " + std::to_string(next);
  SwitchOn();
  EXPECT_TRUE(server.IsListening());
  EXPECT_EQ(server.ListeningPort(), next);
  EXPECT_EQ(view.switchedOff, 0);
}

}  // namespace
}  // namespace quibrano
