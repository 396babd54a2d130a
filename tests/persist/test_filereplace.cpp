// Saving replaces the file whole: whatever fails, the old file stays byte
// for byte and no temporary file is left behind. The failing folders are
// real for root too (CI runs as root, and root ignores permission bits).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "configfile.h"
#include "persisttest.h"
#include "settingsfile.h"
#include "store.h"

namespace quibrano {
namespace {

using namespace quibrano::testing;

const char kOldContents[] = "old configuration\r\nstays as it was\r\n";

class SaveFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStore();
    FillStore(false);
  }
  void TearDown() override { ResetStore(); }

  // Saves into `name` inside `where` (which holds only the old file) and
  // checks that the save failed with `message` and changed nothing there.
  void ExpectFailedSave(const fs::path& where, const std::string& name, const std::string& message) {
    const std::vector<std::string> before = FolderEntries(where);
    const FileResult result = SaveConfig();
    ASSERT_TRUE(result.has_value()) << "the save into " << name << " should fail";
    EXPECT_EQ(result->text, message);
    EXPECT_EQ(FolderEntries(where), before);
    if (fs::is_regular_file(where / "old.dat")) {
      EXPECT_EQ(ReadBytes(where / "old.dat"), kOldContents);
    }
  }

  TempFolder folder_;
};
using SaveFailureTest = SaveFixture;
using SaveTest = SaveFixture;

// Each case prepares a target that cannot be created and names it.
struct UncreatableCase {
  const char* name;
  std::function<std::string(const fs::path& folder, std::string* skip)> prepare;
};

void PrintTo(const UncreatableCase& c, std::ostream* os) { *os << c.name; }

class UncreatableTest : public SaveFixture, public ::testing::WithParamInterface<UncreatableCase> {};

TEST_P(UncreatableTest, ReportsE105AndWritesNothing) {
  fs::create_directory("place");
  WriteBytes("place/old.dat", kOldContents);
  std::string skip;
  store.ConfigName = GetParam().prepare(folder_.path() / "place", &skip);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ExpectFailedSave(folder_.path() / "place", store.ConfigName, "E/A-Fehler 105");
}

INSTANTIATE_TEST_SUITE_P(
    Table, UncreatableTest,
    ::testing::Values(
        UncreatableCase{"EmptyName", [](const fs::path&, std::string*) { return std::string(); }},
        UncreatableCase{"MissingFolder",
                        [](const fs::path& f, std::string*) { return (f / "gone" / "x.dat").string(); }},
        UncreatableCase{"ParentIsAFile",
                        [](const fs::path& f, std::string*) { return (f / "old.dat" / "x.dat").string(); }},
        UncreatableCase{"NameIsAFolder",
                        [](const fs::path& f, std::string*) {
                          fs::create_directory(f / "sub.dat");
                          return (f / "sub.dat").string();
                        }},
        UncreatableCase{"NameIsAPipe",
                        [](const fs::path& f, std::string*) {
                          mkfifo((f / "pipe.dat").c_str(), 0644);
                          return (f / "pipe.dat").string();
                        }},
        UncreatableCase{"WriteProtectedFolder",
                        [](const fs::path& f, std::string* skip) {
                          if (geteuid() == 0)
                            *skip = "root writes into a mode 555 folder anyway";
                          else
                            fs::permissions(f, fs::perms::owner_read | fs::perms::owner_exec);
                          return (f / "old.dat").string();
                        }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveFailureTest, ReadOnlyMountReportsE105AndKeepsTheOldFile) {
  TmpfsMount mount(folder_.path() / "ro", "size=64k");
  if (!mount.ok()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  WriteBytes("ro/old.dat", kOldContents);
  ASSERT_TRUE(mount.MakeReadOnly());
  store.ConfigName = "ro/old.dat";
  ExpectFailedSave("ro", store.ConfigName, "E/A-Fehler 105");
}

TEST_F(SaveFailureTest, FullDiskReportsTheErrorNumberAndKeepsTheOldFile) {
  TmpfsMount mount(folder_.path() / "tiny", "size=64k");
  if (!mount.ok()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  WriteBytes("tiny/old.dat", kOldContents);
  {
    std::ofstream filler("tiny/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) {
    }
  }
  store.ConfigName = "tiny/old.dat";
  ExpectFailedSave("tiny", store.ConfigName, "E/A-Fehler " + std::to_string(ENOSPC));
}

// A file size limit fails the writes the way a full disk does, for root
// too and without a mount. SIGXFSZ is ignored so the write reports EFBIG.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  sighandler_t previous_;
};

TEST_F(SaveFailureTest, FailedWriteReportsTheErrorNumberForBothFiles) {
  WriteBytes("old.dat", kOldContents);
  WriteBytes("relf.ini", kOldContents);
  store.ConfigName = "old.dat";
  FakeSettingsView view;
  view.captions.assign(8, std::string(1000, 'L'));  // longer than the limit
  const std::vector<std::string> before = FolderEntries(".");
  FileResult config, settings;
  {
    FileSizeLimit limit(1024);
    config = SaveConfig();
    settings = WriteSettings(view);
  }
  ASSERT_TRUE(config.has_value());
  EXPECT_EQ(config->text, "E/A-Fehler " + std::to_string(EFBIG));
  ASSERT_TRUE(settings.has_value());
  EXPECT_EQ(settings->text, "E/A-Fehler " + std::to_string(EFBIG));
  EXPECT_EQ(FolderEntries("."), before);
  EXPECT_EQ(ReadBytes("old.dat"), kOldContents);
  EXPECT_EQ(ReadBytes("relf.ini"), kOldContents);
}

TEST_F(SaveFailureTest, SettingsInAReadOnlyFolderReportE105AfterStrippingTheName) {
  TmpfsMount mount(folder_.path() / "ro", "size=64k");
  if (!mount.ok()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  WriteBytes("ro/relf.ini", kOldContents);
  ASSERT_TRUE(mount.MakeReadOnly());
  fs::current_path("ro");
  store.ConfigName = "C:\\Daten\\haus.dat";
  FakeSettingsView view;
  const FileResult result = WriteSettings(view);
  fs::current_path(folder_.path());
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->text, "E/A-Fehler 105");
  EXPECT_EQ(store.ConfigName, "haus.dat");
  EXPECT_EQ(ReadBytes("ro/relf.ini"), kOldContents);
}

TEST_F(SaveTest, ReplacingKeepsTheOldModeAndANewFileFollowsTheUmask) {
  WriteBytes("shared.dat", kOldContents);
  chmod("shared.dat", 0640);
  const mode_t previousUmask = umask(022);
  store.ConfigName = "shared.dat";
  EXPECT_FALSE(SaveConfig().has_value());
  store.ConfigName = "new.dat";
  EXPECT_FALSE(SaveConfig().has_value());
  umask(previousUmask);
  EXPECT_EQ(fs::status("shared.dat").permissions(), fs::perms(0640));
  EXPECT_EQ(fs::status("new.dat").permissions(), fs::perms(0644));
  EXPECT_EQ(ReadBytes("shared.dat"), ReadBytes("new.dat"));
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"new.dat", "shared.dat"}));
}

TEST_F(SaveTest, ALinkStaysALinkAndTheFileItNamesIsReplaced) {
  fs::create_directory("real");
  WriteBytes("real/target.dat", kOldContents);
  fs::create_symlink("real/target.dat", "link.dat");
  store.ConfigName = "link.dat";
  ASSERT_FALSE(SaveConfig().has_value());
  EXPECT_TRUE(fs::is_symlink("link.dat"));
  EXPECT_EQ(CrLfLines(ReadBytes("real/target.dat")).size(), 314u);
  EXPECT_EQ(FolderEntries("real"), std::vector<std::string>{"target.dat"});
}

}  // namespace
}  // namespace quibrano
