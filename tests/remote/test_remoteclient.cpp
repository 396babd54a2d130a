// The command-line remote as a child process against a server in this test.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "remotetesting.h"

namespace quibrano {
namespace {

using testing::FreePort;
using testing::ServerFixture;
using testing::WaitUntil;

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class RemoteTool : public ServerFixture {
 protected:
  // Runs the tool with --port of the fixture's server (unless args name
  // one), serving the server's events while it runs.
  ToolRun Tool(std::vector<std::string> args) {
    QStringList list;
    if (std::find(args.begin(), args.end(), "--port") == args.end()) list << "--port" << QString::number(port);
    for (const auto& a : args) list << QString::fromStdString(a);
    QProcess process;
    process.start(QUIBRANO_BINARY_DIR "/quibrano-remote", list);
    EXPECT_TRUE(WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 30000));
    ToolRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
  }
};

struct ToolCase {
  std::string name;
  std::string password;
  uint8_t startWord;
  std::vector<std::string> args;
  int status;
  std::string out;         // exact standard output
  std::string errMention;  // must appear on standard error ("" : it stays empty)
  int endWord;
};
void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.name; }

class ToolTable : public RemoteTool, public ::testing::WithParamInterface<ToolCase> {};

TEST_P(ToolTable, PrintsTheStateAndExitsWithTheRightStatus) {
  const ToolCase& c = GetParam();
  store.Password = c.password;
  store.RelayWord = c.startWord;
  const ToolRun run = Tool(c.args);
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.out, c.out);
  if (c.errMention.empty()) {
    EXPECT_EQ(run.err, "");
  } else {
    EXPECT_NE(run.err.find(c.errMention), std::string::npos) << run.err;
  }
  EXPECT_EQ(store.RelayWord, c.endWord);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ToolTable,
    ::testing::Values(
        ToolCase{"Repeat", "pw", 195, {"repeat"}, 0,
                 "195  relays: 1 on, 2 on, 3 off, 4 off, 5 off, 6 off; K1 open, K2 open\n", "", 195},
        ToolCase{"SetWithPassword", "secret", 192, {"--password", "secret", "set", "5"}, 0,
                 "5  relays: 1 on, 2 off, 3 on, 4 off, 5 off, 6 off; K1 closed, K2 closed\n", "", 5},
        ToolCase{"SetWithEmptyPassword", "", 0, {"--password", "", "set", "63"}, 0,
                 "63  relays: 1 on, 2 on, 3 on, 4 on, 5 on, 6 on; K1 closed, K2 closed\n", "", 63},
        ToolCase{"WrongPasswordIsARefusal", "secret", 3, {"--password", "guess", "set", "63"}, 1, "", "nolegal", 3},
        ToolCase{"SetWithoutLoginIsNotTaken", "secret", 3, {"set", "63"}, 1,
                 "3  relays: 1 on, 2 on, 3 off, 4 off, 5 off, 6 off; K1 closed, K2 closed\n", "--password", 3},
        ToolCase{"UnknownCommand", "", 0, {"toggle"}, 2, "", "unknown command", 0},
        ToolCase{"SetOutOfRange", "", 0, {"set", "256"}, 2, "", "0 to 255", 0},
        ToolCase{"SetNeedsANumber", "", 0, {"set"}, 2, "", "set needs", 0},
        ToolCase{"PortOutOfRange", "", 0, {"--port", "70000", "repeat"}, 2, "", "1 to 65535", 0}),
    [](const ::testing::TestParamInfo<ToolCase>& info) { return info.param.name; });

// After a login the number is taken. A relay that the controller's own rules
// drive back at once (an input relay, say) is reported, not a refusal.
TEST_F(RemoteTool, ARelayDrivenBackByARuleIsNoFailure) {
  store.Password = "pw";
  QObject::connect(&server, &RemoteServer::MessageHandled, [] {
    if (store.RelayWord == 63) store.RelayWord = 61;
  });
  const ToolRun run = Tool({"--password", "pw", "set", "63"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "61  relays: 1 on, 2 off, 3 on, 4 on, 5 on, 6 on; K1 closed, K2 closed\n");
  EXPECT_NE(run.err.find("rules"), std::string::npos) << run.err;
}

TEST_F(RemoteTool, ConnectionRefusedIsAFailure) {
  const ToolRun run = Tool({"--port", std::to_string(FreePort()), "repeat"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("cannot connect"), std::string::npos) << run.err;
}

TEST_F(RemoteTool, RefusalDuringADropIsReported) {
  auto other = Connect();
  SwitchOff();
  const ToolRun run = Tool({"repeat"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("nolegal"), std::string::npos) << run.err;
  // The tool was the refused client and has left.
  EXPECT_EQ(store.RemoteState, ClosePending);
}

// A refused server ignores everything: the tool gives up after its time-out.
TEST_F(RemoteTool, NoReplyIsATimeOut) {
  auto other = Connect();
  SwitchOff();
  ASSERT_TRUE(Say(*other, "x"));
  ASSERT_EQ(store.RemoteState, Refused);
  const ToolRun run = Tool({"--timeout", "300", "repeat"});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("no reply"), std::string::npos) << run.err;
}

TEST_F(RemoteTool, WatchPrintsEveryChange) {
  store.RelayWord = 0;
  QProcess process;
  process.start(QUIBRANO_BINARY_DIR "/quibrano-remote", {"--port", QString::number(port), "watch"});
  std::string out;
  auto lines = [&] {
    out += process.readAllStandardOutput().toStdString();
    return std::count(out.begin(), out.end(), '\n');
  };
  ASSERT_TRUE(WaitUntil([&] { return lines() >= 1; }, 20000)) << out;
  store.RelayWord = 64 + 4;
  ASSERT_TRUE(WaitUntil([&] { return lines() >= 2; }, 20000)) << out;
  process.kill();
  process.waitForFinished(5000);
  const auto second = out.find('\n') + 1;
  EXPECT_NE(out.find("  0  relays: 1 off"), std::string::npos) << out;
  EXPECT_NE(out.find("  68  relays: 1 off, 2 off, 3 on, 4 off, 5 off, 6 off; K1 open, K2 closed\n", second),
            std::string::npos)
      << out;
  EXPECT_EQ(lines(), 2) << "an unchanged word is not printed again";
}

}  // namespace
}  // namespace quibrano
