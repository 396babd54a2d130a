// The launcher that `make run` and an installed system use: which folder it
// picks, the starter relf.ini it puts there, where the program then runs, and
// what it says when it cannot do its job.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

namespace quibrano {
namespace {

const QString kLauncher = QStringLiteral(QUIBRANO_SOURCE_DIR "/scripts/quibrano-launch.sh");
const QString kRunScript = QStringLiteral(QUIBRANO_SOURCE_DIR "/scripts/run.sh");

const QByteArray kStarter =
    "quibrano.dat\r\n"
    "\r\n"
    "26535\r\n"
    " REL 1 \r\n"
    " REL 2 \r\n"
    " REL 3 \r\n"
    " REL 4 \r\n"
    " REL 5 \r\n"
    "REL 6\r\n"
    "K1\r\n"
    "K2\r\n"
    "0\r\n";

struct Outcome {
  int exitCode = -1;
  QString out;
  QString err;
};

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool WriteFile(const QString& path, const QByteArray& bytes, bool executable = false) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return false;
  f.close();
  if (executable) {
    return f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  return true;
}

// Every run has its own HOME, so no test can touch the real user's folder.
class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    home_ = tmp_.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home_));
    fake_ = tmp_.filePath(QStringLiteral("fake-program"));
    // Reports where it runs and what it was given.
    ASSERT_TRUE(WriteFile(fake_, "#!/bin/sh\npwd\nfor a in \"$@\"; do echo \"arg:$a\"; done\n", true));
    env_ = QProcessEnvironment::systemEnvironment();
    env_.remove(QStringLiteral("QUIBRANO_HOME"));
    env_.remove(QStringLiteral("XDG_DATA_HOME"));
    env_.insert(QStringLiteral("HOME"), home_);
  }

  Outcome Start(const QString& script, const QStringList& args, const QString& cwd = QString()) {
    QProcess p;
    p.setProcessEnvironment(env_);
    if (!cwd.isEmpty()) p.setWorkingDirectory(cwd);
    p.start(QStringLiteral("bash"), QStringList{script} + args);
    Outcome r;
    if (!p.waitForFinished(20000)) {
      p.kill();
      p.waitForFinished();
      ADD_FAILURE() << "launcher did not finish";
      return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
  }

  Outcome Launch(const QStringList& args, const QString& cwd = QString()) {
    return Start(kLauncher, args, cwd);
  }

  QTemporaryDir tmp_;
  QString home_;
  QString fake_;
  QProcessEnvironment env_;
};

TEST_F(LauncherTest, FirstStartMakesTheFolderAndTheStarterSettings) {
  const QString folder = tmp_.filePath(QStringLiteral("not/yet/there"));
  env_.insert(QStringLiteral("QUIBRANO_HOME"), folder);
  const Outcome r = Launch({fake_, QStringLiteral("-x"), QStringLiteral("two words")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, QDir(folder).canonicalPath() + QStringLiteral("\narg:-x\narg:two words\n"));
  EXPECT_EQ(ReadAll(folder + QStringLiteral("/relf.ini")), kStarter);
  // It will hold the password: owner only, as the program keeps it.
  const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                   QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
  const QFile::Permissions perms = QFileInfo(folder + QStringLiteral("/relf.ini")).permissions();
  EXPECT_EQ(perms & others, QFile::Permissions());
  EXPECT_TRUE(perms.testFlag(QFile::ReadOwner) && perms.testFlag(QFile::WriteOwner));
  // No half-written leftovers beside it.
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("relf.ini")});
}

TEST_F(LauncherTest, ExistingSettingsAreLeftAlone) {
  const QString folder = tmp_.filePath(QStringLiteral("work"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QByteArray mine = "mine.dat\r\npw\r\n4711\r\nA\r\n";
  ASSERT_TRUE(WriteFile(folder + QStringLiteral("/relf.ini"), mine));
  env_.insert(QStringLiteral("QUIBRANO_HOME"), folder);
  const Outcome r = Launch({fake_});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(ReadAll(folder + QStringLiteral("/relf.ini")), mine);
  // Nor is an empty one replaced: it is the user's.
  ASSERT_TRUE(WriteFile(folder + QStringLiteral("/relf.ini"), QByteArray()));
  ASSERT_EQ(Launch({fake_}).exitCode, 0);
  EXPECT_EQ(ReadAll(folder + QStringLiteral("/relf.ini")), QByteArray());
}

struct FolderCase {
  const char* name;
  const char* quibranoHome;  // relative to the temporary folder; nullptr: unset
  const char* xdgDataHome;
  const char* expected;  // relative to the temporary folder
};

class LauncherFolderTest : public LauncherTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(LauncherFolderTest, PicksTheWorkingFolder) {
  const FolderCase& c = GetParam();
  auto set = [this](const char* name, const char* value) {
    if (value == nullptr) return;
    env_.insert(QLatin1String(name), *value == '\0' ? QString() : tmp_.filePath(QLatin1String(value)));
  };
  set("QUIBRANO_HOME", c.quibranoHome);
  set("XDG_DATA_HOME", c.xdgDataHome);
  const Outcome r = Launch({fake_});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QString expected = tmp_.filePath(QLatin1String(c.expected));
  EXPECT_EQ(r.out.trimmed(), QDir(expected).canonicalPath());
  EXPECT_TRUE(QFileInfo::exists(expected + QStringLiteral("/relf.ini")));
}

INSTANTIATE_TEST_SUITE_P(
    Environment, LauncherFolderTest,
    ::testing::Values(FolderCase{"OwnVariableFirst", "own", "xdg", "own"},
                      FolderCase{"DataHomeNext", nullptr, "xdg", "xdg/quibrano"},
                      FolderCase{"HomeLast", nullptr, nullptr, "home/.local/share/quibrano"},
                      FolderCase{"EmptyCountsAsUnset", "", "", "home/.local/share/quibrano"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, ARelativeProgramPathIsTakenFromWhereTheLauncherWasCalled) {
  env_.insert(QStringLiteral("QUIBRANO_HOME"), tmp_.filePath(QStringLiteral("w")));
  const Outcome r = Launch({QStringLiteral("./fake-program")}, tmp_.path());
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.out.trimmed(), QDir(tmp_.filePath(QStringLiteral("w"))).canonicalPath());
}

TEST_F(LauncherTest, WithoutAProgramItStartsTheOneBesideIt) {
  const QString bin = tmp_.filePath(QStringLiteral("bin"));
  ASSERT_TRUE(QDir().mkpath(bin));
  ASSERT_TRUE(QFile::copy(kLauncher, bin + QStringLiteral("/quibrano-launch.sh")));
  ASSERT_TRUE(QFile::copy(fake_, bin + QStringLiteral("/quibrano")));
  env_.insert(QStringLiteral("QUIBRANO_HOME"), tmp_.filePath(QStringLiteral("w")));
  const Outcome r = Start(bin + QStringLiteral("/quibrano-launch.sh"), {});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.out.trimmed(), QDir(tmp_.filePath(QStringLiteral("w"))).canonicalPath());
}

struct BadCase {
  const char* name;
  const char* program;  // relative to the temporary folder
  const char* homeFile; // a plain file where the folder should be
  const char* message;
};

class LauncherBadInputTest : public LauncherTest, public ::testing::WithParamInterface<BadCase> {};

// Each refusal says why, exits non-zero, starts nothing and leaves what is
// there as it was.
TEST_P(LauncherBadInputTest, RefusesWithAClearMessage) {
  const BadCase& c = GetParam();
  ASSERT_TRUE(WriteFile(tmp_.filePath(QStringLiteral("plain")), "not a program\n"));
  QString folder = tmp_.filePath(QStringLiteral("w"));
  if (c.homeFile != nullptr) {
    folder = tmp_.filePath(QLatin1String(c.homeFile));
    ASSERT_TRUE(WriteFile(folder, "keep\n"));
  }
  env_.insert(QStringLiteral("QUIBRANO_HOME"), folder);
  const Outcome r = Launch({tmp_.filePath(QLatin1String(c.program))});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << r.err.toStdString();
  EXPECT_FALSE(r.out.contains(QStringLiteral("/"))) << "something ran: " << r.out.toStdString();
  if (c.homeFile != nullptr) {
    EXPECT_EQ(ReadAll(folder), QByteArray("keep\n"));
  } else {
    EXPECT_FALSE(QFileInfo::exists(folder)) << "folder made for a program that cannot start";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LauncherBadInputTest,
    ::testing::Values(BadCase{"MissingProgram", "nowhere/quibrano", nullptr, "program not found"},
                      BadCase{"NotExecutable", "plain", nullptr, "not an executable program"},
                      BadCase{"FolderIsAFile", "fake-program", "taken", "working folder"}),
    [](const auto& info) { return std::string(info.param.name); });

// `make run`: the built program, started through the launcher.
class RunScriptTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    tree_ = tmp_.filePath(QStringLiteral("tree"));
    ASSERT_TRUE(QDir().mkpath(tree_ + QStringLiteral("/scripts")));
    ASSERT_TRUE(QDir().mkpath(tree_ + QStringLiteral("/build")));
    ASSERT_TRUE(QFile::copy(kLauncher, tree_ + QStringLiteral("/scripts/quibrano-launch.sh")));
    ASSERT_TRUE(QFile::copy(kRunScript, tree_ + QStringLiteral("/scripts/run.sh")));
    env_.insert(QStringLiteral("QUIBRANO_HOME"), tmp_.filePath(QStringLiteral("w")));
  }
  QString tree_;
};

TEST_F(RunScriptTest, StartsTheBuiltProgramInTheWorkingFolder) {
  ASSERT_TRUE(QFile::copy(fake_, tree_ + QStringLiteral("/build/quibrano")));
  const Outcome r = Start(tree_ + QStringLiteral("/scripts/run.sh"), {}, tmp_.path());
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.out.trimmed(), QDir(tmp_.filePath(QStringLiteral("w"))).canonicalPath());
  EXPECT_EQ(ReadAll(tmp_.filePath(QStringLiteral("w/relf.ini"))), kStarter);
}

TEST_F(RunScriptTest, SaysHowToBuildWhenTheProgramIsMissing) {
  const Outcome r = Start(tree_ + QStringLiteral("/scripts/run.sh"), {});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(r.err.contains(QStringLiteral("make build"))) << r.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(tmp_.filePath(QStringLiteral("w"))));
}

}  // namespace
}  // namespace quibrano
