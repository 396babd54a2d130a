#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "persisttest.h"
#include "settingsfile.h"
#include "store.h"

namespace quibrano {
namespace {

using namespace quibrano::testing;

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetStore(); }
  void TearDown() override { ResetStore(); }

  TempFolder folder_;
};

TEST_F(SettingsFileTest, EveryLineComesBackWholeAndByteForByte) {
  FakeSettingsView out;
  out.captions = {"  Pumpe ", "\tLicht", "Tor  ", "Heizung Keller", "", " ", "K1 \xe4u\xdf", "K2"};
  out.password = " pass word ";
  out.port = "26535";
  out.remote = true;
  store.ConfigName = "haus.dat";
  ASSERT_FALSE(WriteSettings(out).has_value());

  EXPECT_EQ(ReadBytes("relf.ini"),
            "haus.dat\r\n pass word \r\n26535\r\n  Pumpe \r\n\tLicht\r\nTor  \r\nHeizung Keller\r\n"
            "\r\n \r\nK1 \xe4u\xdf\r\nK2\r\n1\r\n");

  store.ConfigName = store.Password = store.RemotePort = "stale";
  FakeSettingsView in;
  ReadSettings(in);
  EXPECT_EQ(in.captions, out.captions);
  EXPECT_EQ(store.ConfigName, "haus.dat");
  EXPECT_EQ(store.Password, " pass word ");
  EXPECT_EQ(store.RemotePort, "26535");
  EXPECT_TRUE(in.remote);
  // The switch's handling runs once, with the port already in the store.
  EXPECT_EQ(in.handlerRuns, 1);
  EXPECT_EQ(in.portSeenByHandler, "26535");
}

struct NameCase {
  const char* configName;
  const char* bare;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << '"' << c.configName << '"'; }

class ConfigNameTest : public SettingsFileTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ConfigNameTest, OnlyTheTextAfterTheLastBackslashIsKept) {
  store.ConfigName = GetParam().configName;
  FakeSettingsView view;
  ASSERT_FALSE(WriteSettings(view).has_value());
  EXPECT_EQ(store.ConfigName, GetParam().bare);
  EXPECT_EQ(CrLfLines(ReadBytes("relf.ini")).at(0), GetParam().bare);
}

INSTANTIATE_TEST_SUITE_P(Table, ConfigNameTest,
                         ::testing::Values(NameCase{"C:\\x\\y.dat", "y.dat"},
                                           NameCase{"\\\\server\\share\\z.dat", "z.dat"},
                                           NameCase{"C:\\dir/sub\\f.dat", "f.dat"},
                                           NameCase{"dir\\sub/f.dat", "sub/f.dat"},
                                           NameCase{"/home/anna/y.dat", "/home/anna/y.dat"},
                                           NameCase{"y.dat", "y.dat"}, NameCase{"ends\\", ""},
                                           NameCase{"", ""}));

struct SwitchCase {
  const char* name;
  std::string file;
  bool on;
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.name; }

class RemoteLineTest : public SettingsFileTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(RemoteLineTest, OnlyExactlyZeroTurnsTheSwitchOff) {
  WriteBytes("relf.ini", GetParam().file);
  FakeSettingsView view;
  ReadSettings(view);
  EXPECT_EQ(view.remote, GetParam().on);
  EXPECT_EQ(view.handlerRuns, GetParam().on ? 1 : 0);
}

const std::string kElevenLines = "a.dat\r\npw\r\n26535\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\nK1\r\nK2\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, RemoteLineTest,
    ::testing::Values(SwitchCase{"Zero", kElevenLines + "0\r\n", false},
                      SwitchCase{"ZeroLfOnly", kElevenLines + "0\n", false},
                      SwitchCase{"ZeroWithoutLineEnd", kElevenLines + "0", false},
                      SwitchCase{"ZeroAndABlank", kElevenLines + "0 \r\n", true},
                      SwitchCase{"BlankAndZero", kElevenLines + " 0\r\n", true},
                      SwitchCase{"DoubleZero", kElevenLines + "00\r\n", true},
                      SwitchCase{"One", kElevenLines + "1\r\n", true},
                      SwitchCase{"AnyWord", kElevenLines + "aus\r\n", true},
                      SwitchCase{"Empty", kElevenLines + "\r\n", true},
                      SwitchCase{"Missing", kElevenLines, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, MissingOrUnreadableFileGivesEmptyTextsAndTheSwitchOn) {
  for (bool folderInTheWay : {false, true}) {
    SCOPED_TRACE(folderInTheWay ? "relf.ini is a folder" : "no relf.ini");
    if (folderInTheWay) fs::create_directory("relf.ini");
    store.ConfigName = store.Password = store.RemotePort = "stale";
    FakeSettingsView view;
    view.captions.assign(8, "stale");
    ReadSettings(view);
    EXPECT_EQ(store.ConfigName, "");
    EXPECT_EQ(store.Password, "");
    EXPECT_EQ(store.RemotePort, "");
    EXPECT_EQ(view.captions, std::vector<std::string>(8));
    EXPECT_TRUE(view.remote);
    EXPECT_EQ(view.handlerRuns, 1);
  }
}

TEST_F(SettingsFileTest, LineEndsAndShortFiles) {
  // LF-only lines, a CR that is not part of a line end, and a file that
  // stops after three lines: the rest read as empty texts.
  WriteBytes("relf.ini", "a.dat\npw\r\r\n\r26535");
  FakeSettingsView view;
  view.captions.assign(8, "stale");
  ReadSettings(view);
  EXPECT_EQ(store.ConfigName, "a.dat");
  EXPECT_EQ(store.Password, "pw\r");
  EXPECT_EQ(store.RemotePort, "\r26535");
  EXPECT_EQ(view.captions, std::vector<std::string>(8));
  EXPECT_TRUE(view.remote);
}

TEST_F(SettingsFileTest, FileHoldsThePasswordSoOnlyItsOwnerMayReadIt) {
  // Neither an open umask nor an old file readable by all widens it.
  WriteBytes("relf.ini", "old\r\n");
  chmod("relf.ini", 0644);
  const mode_t previousUmask = umask(0);
  FakeSettingsView view;
  view.password = "geheim";
  const FileResult result = WriteSettings(view);
  umask(previousUmask);
  ASSERT_FALSE(result.has_value());
  struct stat st {};
  ASSERT_EQ(stat("relf.ini", &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(CrLfLines(ReadBytes("relf.ini")).at(1), "geheim");
  EXPECT_EQ(FolderEntries("."), std::vector<std::string>{"relf.ini"});
}

}  // namespace
}  // namespace quibrano
