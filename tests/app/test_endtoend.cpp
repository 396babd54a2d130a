// The whole program as a user's machine runs it: the built controller as a
// child process without a display, in a folder of its own, COM ports mapped
// to a virtual board, a loopback client at its remote port. Headless, the
// program reports its status lines on standard output and its error boxes on
// standard error; that is what these tests read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "boardsim.h"
#include "configfile.h"
#include "datetime.h"
#include "store.h"

namespace quibrano {
namespace {

const QString kProgram = QStringLiteral(QUIBRANO_BINARY_DIR "/quibrano");
constexpr int kStartMs = 60000;  // a cold start under the sanitizers on a busy machine

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

quint16 FreePort() {
  QTcpServer probe;
  return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

bool Listening(quint16 port) {
  QTcpSocket client;
  client.connectToHost(QHostAddress::LocalHost, port);
  return client.waitForConnected(200);
}

// relf.ini as the program reads it: configuration name, password, port,
// six relay and two input captions, the Remote switch.
QByteArray Settings(const QByteArray& configName, quint16 remotePort, bool remote) {
  return configName + "\r\nsecret\r\n" + QByteArray::number(remotePort) +
         "\r\n R1 \r\n R2 \r\n R3 \r\n R4 \r\n R5 \r\nR6\r\nK1\r\nK2\r\n" + (remote ? "1" : "0") +
         "\r\n";
}

// A configuration written by the program's own writer: port, relay 2 on
// input K1, and a few values that must come back unchanged.
QByteArray ConfigBytes(QTemporaryDir& dir, int32_t port) {
  ResetStore();
  store.PortNumber = port;
  Modes(1) = IfK1;
  Modes(3) = Timer;
  SelectedProgram(3) = 2;
  ProgramDay(3, 2) = 8;
  ProgramStart(3, 2) = EncodeTime(14, 0, 0);
  ProgramEnd(3, 2) = EncodeTime(15, 30, 5);
  ProgramDate(4, 1) = EncodeDate(2026, 12, 24);
  store.IntTable[2][4] = 77;  // a spare column
  store.SecondsTimer[0] = {1, 30, 60, 0};
  store.MaxMinutes[5][2] = 12;
  store.ConfigName = dir.filePath(QStringLiteral("written.dat")).toStdString();
  EXPECT_FALSE(SaveConfig().has_value());
  return ReadAll(dir.filePath(QStringLiteral("written.dat")));
}

// The configuration lines that are not run-time counters: Elapsed (line
// 222 + 4r) is saved but counts on while the program runs.
QList<QByteArray> LinesWithoutElapsed(const QByteArray& file) {
  QList<QByteArray> lines = file.split('\n');
  for (int r = 5; r >= 0; --r) {
    const int index = 222 + 4 * r - 1;
    if (index < lines.size()) lines.removeAt(index);
  }
  return lines;
}

class Program {
 public:
  Program(QTemporaryDir& dir, const QMap<QString, QString>& extraEnv) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("HOME"), dir.path());
    for (int n = 1; n <= 8; ++n)
      env.insert(QStringLiteral("QUIBRANO_COM%1").arg(n), dir.filePath(QStringLiteral("absent")));
    for (auto it = extraEnv.begin(); it != extraEnv.end(); ++it) env.insert(it.key(), it.value());
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(dir.path());
    process_.start(kProgram, {});
  }

  ~Program() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(10000);
    }
  }

  pid_t Pid() const { return static_cast<pid_t>(process_.processId()); }
  bool Running() const { return process_.state() == QProcess::Running; }

  // Waits for a status line such as "Label9: COM 3   Open".
  bool WaitForLine(const QByteArray& line, int ms = kStartMs) {
    return WaitUntil([&] { return out_.contains("quibrano: " + line + "\n"); }, ms);
  }
  bool WaitForError(const QByteArray& text, int ms = kStartMs) {
    return WaitUntil([&] { return err_.contains("quibrano: " + text + "\n"); }, ms);
  }

  bool WaitUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (true) {
      Collect();
      if (done()) return true;
      if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) return false;
      process_.waitForReadyRead(50);
    }
  }

  // Stops it as a service manager would; true when it ended by itself.
  bool Terminate(int ms = kStartMs) {
    kill(Pid(), SIGTERM);
    const bool ended = process_.waitForFinished(ms);
    Collect();
    return ended;
  }
  int ExitCode() const { return process_.exitCode(); }

  // The error boxes it showed: every stderr line but the headless note.
  QList<QByteArray> Messages() {
    Collect();
    QList<QByteArray> messages;
    for (const QByteArray& line : err_.split('\n'))
      if (line.startsWith("quibrano: ") && !line.contains("no display")) messages << line;
    return messages;
  }
  QByteArray Out() {
    Collect();
    return out_;
  }

 private:
  void Collect() {
    out_ += process_.readAllStandardOutput();
    err_ += process_.readAllStandardError();
  }

  QProcess process_;
  QByteArray out_;
  QByteArray err_;
};

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFileInfo(kProgram).isExecutable()) << kProgram.toStdString();
    ASSERT_TRUE(dir_.isValid());
    port_ = FreePort();
    ASSERT_NE(port_, 0);
  }

  // A board on a pty, reachable at <dir>/<name>.
  std::unique_ptr<BoardSim> StartBoard(const QString& name) {
    BoardSim::Options options;
    options.link = dir_.filePath(name).toStdString();
    auto board = std::make_unique<BoardSim>(options);
    std::string error;
    EXPECT_TRUE(board->Start(&error)) << error;
    return board;
  }

  static bool Polled(const BoardSim& board) {
    for (const ReceivedByte& b : board.Received())
      if (b.value == 0x73) return true;
    return false;
  }

  QString Path(const char* name) { return dir_.filePath(QString::fromUtf8(name)); }

  QTemporaryDir dir_;
  quint16 port_ = 0;
};

// Remote on in the settings opens the server while the settings are read,
// before the configuration is loaded and the port opened. The configuration
// here is a pipe the test feeds, so the program waits inside the load and
// the test looks at it there; the configuration then names port 3.
TEST_F(EndToEnd, ServerListensBeforeTheConfigurationLoadsAndThePortOfTheFileOpens) {
  auto board = StartBoard(QStringLiteral("com3"));
  const QByteArray config = ConfigBytes(dir_, 3);
  ASSERT_EQ(mkfifo(Path("held.dat").toLocal8Bit().constData(), 0600), 0);
  ASSERT_TRUE(WriteAll(Path("relf.ini"), Settings("held.dat", port_, true)));

  Program program(dir_, {{QStringLiteral("QUIBRANO_COM3"), Path("com3")}});
  ASSERT_TRUE(program.WaitUntil([&] { return Listening(port_); }, kStartMs))
      << "the server never listened";

  // Still inside the load: no serial device among its open files.
  const std::string slave = board->SlavePath();
  for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(program.Pid()) + "/fd")) {
    std::error_code ec;
    EXPECT_NE(std::filesystem::read_symlink(fd.path(), ec).string(), slave);
  }
  EXPECT_TRUE(board->Received().empty());

  {
    const int fifo = open(Path("held.dat").toLocal8Bit().constData(), O_WRONLY);
    ASSERT_GE(fifo, 0);
    ASSERT_EQ(write(fifo, config.constData(), static_cast<size_t>(config.size())), config.size());
    close(fifo);
  }
  EXPECT_TRUE(program.WaitForLine("Label9: COM 3   Open"));
  EXPECT_TRUE(program.WaitUntil([&] { return Polled(*board); }, kStartMs)) << "COM3 never polled";
  EXPECT_TRUE(program.WaitForLine("Label13: Adapter  connected"));
  EXPECT_TRUE(program.Messages().isEmpty()) << program.Messages().join('\n').toStdString();
}

// Relays follow K1 at the board; SIGTERM then saves the configuration with
// the values it was loaded with and the settings with the bare name.
TEST_F(EndToEnd, RelaysFollowK1AndAStopSavesBothFiles) {
  auto board = StartBoard(QStringLiteral("com1"));
  const QByteArray config = ConfigBytes(dir_, 1);
  // A name with a directory part as another system writes it: the settings
  // keep only what follows the last backslash.
  ASSERT_TRUE(WriteAll(Path("orig\\relays.dat"), config));
  const QByteArray settings = Settings("orig\\relays.dat", port_, false);
  ASSERT_TRUE(WriteAll(Path("relf.ini"), settings));

  Program program(dir_, {{QStringLiteral("QUIBRANO_COM1"), Path("com1")}});
  ASSERT_TRUE(program.WaitForLine("Label13: Adapter  connected")) << program.Out().toStdString();
  EXPECT_TRUE(program.WaitForLine("Label2 \" R2 \": off"));
  EXPECT_EQ(board->LastRelayByte() & 0x02, 0);

  board->SetContact(0, true);
  EXPECT_TRUE(program.WaitForLine("Label7 \"K1\": closed"));
  EXPECT_TRUE(program.WaitForLine("Label2 \" R2 \": on"));
  EXPECT_TRUE(program.WaitUntil([&] { return (board->LastRelayByte() & 0x02) != 0; }, 5000));
  board->SetContact(0, false);
  EXPECT_TRUE(program.WaitUntil([&] { return (board->LastRelayByte() & 0x02) == 0; }, 5000));

  ASSERT_TRUE(program.Terminate());
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_TRUE(program.Messages().isEmpty()) << program.Messages().join('\n').toStdString();

  const QByteArray saved = ReadAll(Path("orig\\relays.dat"));
  EXPECT_EQ(saved.count("\r\n"), 314);
  EXPECT_EQ(LinesWithoutElapsed(saved), LinesWithoutElapsed(config));
  QByteArray expected = settings;
  expected.replace("orig\\relays.dat", "relays.dat");
  EXPECT_EQ(ReadAll(Path("relf.ini")), expected);
}

// The configured port is missing: no message, the port line says Close. A
// configuration that cannot be written stops the close with the message;
// the port is closed already and relf.ini untouched, and once the folder is
// there the next stop goes through.
TEST_F(EndToEnd, MissingPortIsQuietAndAFailedSaveKeepsTheProgramRunning) {
  // "blocker" is a file, so "blocker/kept.dat" can be neither read nor
  // created, for root too. A "/" is no separator to strip in relf.ini.
  ASSERT_TRUE(WriteAll(Path("blocker"), "not a folder"));
  const QByteArray settings = Settings("blocker/kept.dat", port_, false);
  ASSERT_TRUE(WriteAll(Path("relf.ini"), settings));

  Program program(dir_, {});
  ASSERT_TRUE(program.WaitForLine("Label9: COM 1   Close")) << program.Out().toStdString();
  EXPECT_TRUE(program.WaitForLine("Label13: Adapter  not connected"));
  QTest::qWait(500);
  EXPECT_TRUE(program.Messages().isEmpty()) << program.Messages().join('\n').toStdString();

  kill(program.Pid(), SIGTERM);
  ASSERT_TRUE(program.WaitForError("E/A-Fehler 105."));
  QTest::qWait(500);
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(ReadAll(Path("relf.ini")), settings);

  ASSERT_TRUE(QFile::remove(Path("blocker")));
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("blocker")));
  ASSERT_TRUE(program.Terminate());
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_EQ(ReadAll(Path("blocker/kept.dat")).count("\r\n"), 314);
  EXPECT_EQ(ReadAll(Path("relf.ini")), settings);
}

// The same failure when the port was open: the stop closes it first.
TEST_F(EndToEnd, AFailedSaveAtTheStopLeavesThePortClosed) {
  auto board = StartBoard(QStringLiteral("com1"));
  ASSERT_TRUE(WriteAll(Path("blocker"), "not a folder"));
  ASSERT_TRUE(WriteAll(Path("relf.ini"), Settings("blocker/kept.dat", port_, false)));

  Program program(dir_, {{QStringLiteral("QUIBRANO_COM1"), Path("com1")}});
  ASSERT_TRUE(program.WaitForLine("Label13: Adapter  connected"));
  kill(program.Pid(), SIGTERM);
  ASSERT_TRUE(program.WaitForError("E/A-Fehler 105."));
  EXPECT_TRUE(program.WaitForLine("Label9: COM 1   Close"));
  const size_t received = board->Received().size();
  QTest::qWait(700);
  EXPECT_EQ(board->Received().size(), received) << "the board is still polled";
  EXPECT_TRUE(program.Running());
}

// A malformed configuration: the message, and the rest of the start-up
// skipped, so the link stays closed although its board is there.
TEST_F(EndToEnd, MalformedConfigurationShowsTheMessageAndLeavesTheLinkClosed) {
  auto board = StartBoard(QStringLiteral("com1"));
  QList<QByteArray> lines = ConfigBytes(dir_, 1).split('\n');
  lines[150] = "0,5\r";  // a comma decimal in a program start time
  ASSERT_TRUE(WriteAll(Path("bad.dat"), lines.join('\n')));
  ASSERT_TRUE(WriteAll(Path("relf.ini"), Settings("bad.dat", port_, true)));

  Program program(dir_, {{QStringLiteral("QUIBRANO_COM1"), Path("com1")}});
  ASSERT_TRUE(program.WaitForError("Ungültige numerische Eingabe."));
  ASSERT_TRUE(program.WaitForLine("Label9: COM 1   Close"));
  // The window runs: its remote server, opened before the load, greets.
  QTcpSocket client;
  client.connectToHost(QHostAddress::LocalHost, port_);
  ASSERT_TRUE(client.waitForConnected(5000));
  ASSERT_TRUE(client.waitForReadyRead(10000));
  EXPECT_EQ(client.readAll(), "connect");
  QTest::qWait(500);
  EXPECT_TRUE(board->Received().empty());
  EXPECT_EQ(program.Messages().size(), 1) << program.Messages().join('\n').toStdString();
}

// No relf.ini: blank captions, the Remote switch tried with an empty port
// and back off without a message, the default configuration; with no name
// to save under, a stop fails with 105 and the program runs on.
TEST_F(EndToEnd, NoSettingsFileStartsBlankWithRemoteOff) {
  Program program(dir_, {});
  ASSERT_TRUE(program.WaitForLine("CheckBox7 \"Remote\": off")) << program.Out().toStdString();
  EXPECT_TRUE(program.WaitForLine("Label1 \"\": off"));
  EXPECT_TRUE(program.WaitForLine("Label7 \"\": -"));
  EXPECT_TRUE(program.WaitForLine("Label9: COM 1   Close"));
  EXPECT_TRUE(program.Messages().isEmpty()) << program.Messages().join('\n').toStdString();

  kill(program.Pid(), SIGTERM);
  EXPECT_TRUE(program.WaitForError("E/A-Fehler 105."));
  QTest::qWait(300);
  EXPECT_TRUE(program.Running());
  EXPECT_FALSE(QFileInfo::exists(Path("relf.ini")));
}

}  // namespace
}  // namespace quibrano
