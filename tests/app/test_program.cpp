// The built program, stopped from outside as a service manager or a terminal
// does: it must close like a user closing the window, saving the
// configuration and the settings, with or without a display.
#include <gtest/gtest.h>
#include <signal.h>

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <string>

namespace quibrano {
namespace {

const QString kProgram = QStringLiteral(QUIBRANO_BINARY_DIR "/quibrano");

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

quint16 FreePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

// The server greets every client; a greeting means the window is built and
// the event loop runs, so the stop handling is in place.
bool WaitForGreeting(quint16 port, QProcess& program) {
  QDeadlineTimer deadline(60000);
  while (!deadline.hasExpired() && program.state() == QProcess::Running) {
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    if (client.waitForConnected(500) && client.waitForReadyRead(5000) &&
        client.readAll() == "connect") {
      client.disconnectFromHost();
      return true;
    }
    QTest::qWait(200);
  }
  return false;
}

struct StopCase {
  const char* name;
  int signalNumber;
  bool headless;  // no display named at all
};

class ProgramStopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(ProgramStopTest, SavesConfigurationAndSettingsAndEnds) {
  const StopCase& c = GetParam();
  ASSERT_TRUE(QFileInfo(kProgram).isExecutable()) << kProgram.toStdString();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const quint16 port = FreePort();
  ASSERT_NE(port, 0);

  // LF line ends and the remote switch on: the rewrite at the end shows as
  // CR LF, and the server tells when the program is up. The password's bytes
  // are no UTF-8 and must come back as they were.
  const QByteArray settings = "quibrano.dat\nGr\xfc\xdf\n" + QByteArray::number(port) +
                              "\n R1 \n R2 \n R3 \n R4 \n R5 \nR6\nK1\nK2\n1\n";
  {
    QFile f(dir.filePath(QStringLiteral("relf.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(settings), settings.size());
  }

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), dir.path());
  for (int n = 1; n <= 8; ++n) {
    env.insert(QStringLiteral("QUIBRANO_COM%1").arg(n), dir.filePath(QStringLiteral("no-device")));
  }
  if (c.headless) {
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  } else {
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  }

  QProcess program;
  program.setProcessEnvironment(env);
  program.setWorkingDirectory(dir.path());
  program.start(kProgram, {});
  ASSERT_TRUE(program.waitForStarted(10000));
  const bool up = WaitForGreeting(port, program);
  if (!up) {
    program.kill();
    program.waitForFinished(10000);
    FAIL() << "program never greeted: " << program.readAllStandardError().toStdString();
  }

  ASSERT_EQ(kill(static_cast<pid_t>(program.processId()), c.signalNumber), 0);
  ASSERT_TRUE(program.waitForFinished(60000)) << "still running after the stop signal";
  const QByteArray said = program.readAllStandardError();
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << said.toStdString();
  EXPECT_EQ(program.exitCode(), 0) << said.toStdString();
  EXPECT_EQ(said.contains("no display: running headless"), c.headless) << said.toStdString();

  const QByteArray config = ReadAll(dir.filePath(QStringLiteral("quibrano.dat")));
  EXPECT_EQ(config.count('\n'), 314);
  EXPECT_TRUE(config.endsWith('\n'));

  const QByteArray written = ReadAll(dir.filePath(QStringLiteral("relf.ini")));
  const QByteArray expected = QByteArray(settings).replace("\n", "\r\n");
  EXPECT_EQ(written, expected);
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramStopTest,
                         ::testing::Values(StopCase{"Terminate", SIGTERM, false},
                                           StopCase{"Interrupt", SIGINT, false},
                                           StopCase{"HangUp", SIGHUP, false},
                                           StopCase{"TerminateHeadless", SIGTERM, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quibrano
