#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "clock.h"
#include "configfile.h"
#include "datetime.h"
#include "persisttest.h"
#include "store.h"

namespace quibrano {
namespace {

using namespace quibrano::testing;

const char kMalformed[] = "Ungültige numerische Eingabe";

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStore();
    store.ConfigName = "relays.dat";
  }
  void TearDown() override { ResetStore(); }

  // The file of the value pattern, as lines without their ends.
  std::vector<std::string> PatternLines() {
    FillStore(false);
    EXPECT_FALSE(SaveConfig().has_value());
    return CrLfLines(ReadBytes("relays.dat"));
  }

  TempFolder folder_;
  FakeConfigView view_;
};

// Reals come back to within 15 digits and show the same date and time.
void ExpectRealLoaded(double got, double want, int line) {
  EXPECT_NEAR(got, want, std::fabs(want) * 5.1e-15) << "line " << line;
  EXPECT_EQ(TimeText(got), TimeText(want)) << "line " << line;
  EXPECT_EQ(DateText(got), DateText(want)) << "line " << line;
}

TEST_F(ConfigFileTest, EveryCarriedEntryComesBackAndOthersAreLeftAlone) {
  FillStore(false);
  store.PortNumber = 4;
  ASSERT_FALSE(SaveConfig().has_value());

  FillStore(true);
  store.OnCountdown[2][1] = 42;
  store.Password = "geheim";
  ASSERT_FALSE(LoadConfig(view_).has_value());

  for (int line = 3; line <= kConfigLines; ++line) {
    LineEntry e = EntryAt(line);
    if (auto* i = std::get_if<int32_t*>(&e)) {
      EXPECT_EQ(**i, IntValue(line)) << "line " << line;
    }
    if (auto* d = std::get_if<double*>(&e)) ExpectRealLoaded(**d, RealValue(line), line);
  }
  EXPECT_EQ(store.PortNumber, 4);
  EXPECT_EQ(view_.selected, std::vector<int>{3});
  EXPECT_EQ(view_.refreshes, 1);
  EXPECT_EQ(store.OnCountdown[2][1], 42);
  EXPECT_EQ(store.Password, "geheim");
  // The named views see the same layout as the file.
  EXPECT_EQ(Modes(5), IntValue(3 + 6 * 5));
  EXPECT_EQ(ProgramDay(1, 2), IntValue(75 + 6 + 2));
  EXPECT_EQ(store.SecondsTimer[3].Elapsed, IntValue(219 + 12 + 3));
  EXPECT_EQ(SelectedWindow(2), IntValue(243 + 6));
}

TEST_F(ConfigFileTest, SavedFileIs314CrLfLinesWithFixedWidthReals) {
  FillStore(false);
  store.PortNumber = 7;
  ASSERT_FALSE(SaveConfig().has_value());
  const std::string bytes = ReadBytes("relays.dat");
  ASSERT_TRUE(bytes.ends_with("\r\n"));
  const std::vector<std::string> lines = CrLfLines(bytes);
  ASSERT_EQ(lines.size(), 314u);
  EXPECT_EQ(lines[0], "7");
  EXPECT_EQ(lines[1], "0");
  for (int line = 3; line <= kConfigLines; ++line) {
    const std::string& text = lines[static_cast<size_t>(line - 1)];
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << "line " << line;
    if (IsRealLine(line)) {
      EXPECT_EQ(text.size(), 23u) << "line " << line;
      EXPECT_EQ(text[0], RealValue(line) < 0 ? '-' : ' ') << "line " << line;
      EXPECT_EQ(text, RealText(RealValue(line))) << "line " << line;
    } else {
      EXPECT_EQ(text, std::to_string(IntValue(line))) << "line " << line;
    }
  }
  // The real lines sit where the layout puts them.
  EXPECT_FALSE(IsRealLine(110));
  EXPECT_TRUE(IsRealLine(111));
  EXPECT_TRUE(IsRealLine(218));
  EXPECT_FALSE(IsRealLine(219));
  EXPECT_FALSE(IsRealLine(278));
  EXPECT_TRUE(IsRealLine(279));
}

class LocaleGuard {
 public:
  LocaleGuard() : saved_(std::setlocale(LC_ALL, nullptr)) {}
  ~LocaleGuard() { std::setlocale(LC_ALL, saved_.c_str()); }

 private:
  std::string saved_;
};

TEST_F(ConfigFileTest, GermanLocaleWritesAndReadsTheSameBytes) {
  FillStore(false);
  ASSERT_FALSE(SaveConfig().has_value());
  const std::string inC = ReadBytes("relays.dat");

  LocaleGuard guard;
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
    GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/install-deps.sh adds it)";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 0.5);
  ASSERT_STREQ(probe, "0,5") << "the locale should really use a decimal comma";

  ASSERT_FALSE(SaveConfig().has_value());
  EXPECT_EQ(ReadBytes("relays.dat"), inC);
  FillStore(true);
  ASSERT_FALSE(LoadConfig(view_).has_value());
  for (int line = 111; line <= 218; ++line) ExpectRealLoaded(*std::get<double*>(EntryAt(line)), RealValue(line), line);
}

// What the reader makes of a changed pattern file: the message (none when
// empty), how many lines land in the store, and whether the entries after
// them read as zero (the file ended) or keep their contents (it failed).
struct ReaderCase {
  const char* name;
  std::function<std::string(std::vector<std::string>)> file;
  const char* message;
  int landed;
  bool restZero;
};

void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

std::string Join(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
  std::string bytes;
  for (const auto& l : lines) bytes += l + end;
  return bytes;
}

class ConfigReaderTest : public ConfigFileTest, public ::testing::WithParamInterface<ReaderCase> {};

TEST_P(ConfigReaderTest, LinesLandInPlaceOrStopAtTheBadValue) {
  const ReaderCase& c = GetParam();
  const std::string bytes = c.file(PatternLines());
  WriteBytes("relays.dat", bytes);
  FillStore(true);

  const FileResult result = LoadConfig(view_);
  if (*c.message == '\0') {
    EXPECT_FALSE(result.has_value()) << result->text;
    EXPECT_EQ(view_.refreshes, 1);
  } else {
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->text, c.message);
    EXPECT_EQ(view_.refreshes, 0);
  }
  for (int line = 1; line <= kConfigLines; ++line) {
    LineEntry e = EntryAt(line);
    const bool fromFile = line <= c.landed;
    if (auto* i = std::get_if<int32_t*>(&e)) {
      const int32_t want = fromFile ? IntValue(line) : c.restZero ? 0 : SentinelInt(line);
      EXPECT_EQ(**i, want) << "line " << line;
    }
    if (auto* d = std::get_if<double*>(&e)) {
      if (fromFile)
        ExpectRealLoaded(**d, RealValue(line), line);
      else
        EXPECT_EQ(**d, c.restZero ? 0.0 : SentinelReal(line)) << "line " << line;
    }
  }
  // The port item follows line 1 as soon as it is read.
  if (c.landed >= 1 || c.restZero)
    EXPECT_EQ(view_.selected, std::vector<int>{-1});  // the pattern's port is out of range
  else
    EXPECT_TRUE(view_.selected.empty());
}

std::string HexInteger(int32_t v) {
  const int64_t wide = v;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s0x%llX", wide < 0 ? "-" : "",
                static_cast<unsigned long long>(wide < 0 ? -wide : wide));
  return buf;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigReaderTest,
    ::testing::Values(
        ReaderCase{"AsWritten", [](auto l) { return Join(l); }, "", 314, false},
        ReaderCase{"LfOnly", [](auto l) { return Join(l, "\n"); }, "", 314, false},
        ReaderCase{"NoFinalLineEnd",
                   [](auto l) {
                     std::string b = Join(l);
                     return b.substr(0, b.size() - 2);
                   },
                   "", 314, false},
        ReaderCase{"BlankLinesAndLeadingBlanksSkipped",
                   [](auto l) {
                     for (auto& s : l) s = " \t" + s;
                     l.insert(l.begin() + 150, {"", "   \t", ""});
                     l.insert(l.begin() + 1, "");
                     return Join(l);
                   },
                   "", 314, false},
        ReaderCase{"WordsAfterTheValueIgnored",
                   [](auto l) {
                     for (auto& s : l) s += " and more words, 1,5";
                     return Join(l);
                   },
                   "", 314, false},
        ReaderCase{"HexadecimalIntegers",
                   [](auto l) {
                     for (int line = 1; line <= kConfigLines; ++line)
                       if (line != 2 && !IsRealLine(line)) l[line - 1] = HexInteger(IntValue(line));
                     return Join(l);
                   },
                   "", 314, false},
        ReaderCase{"LinesAfterTheLastIgnored",
                   [](auto l) { return Join(l) + "Unsinn\r\n1,5\r\n"; }, "", 314, false},
        ReaderCase{"HundredLinesThenZeros",
                   [](auto l) {
                     l.resize(100);
                     return Join(l);
                   },
                   "", 100, true},
        ReaderCase{"EmptyFileAllZeros", [](auto) { return std::string(); }, "", 0, true},
        ReaderCase{"BlanksOnlyAllZeros", [](auto) { return std::string(" \r\n\t\r\n\r\n"); }, "", 0,
                   true},
        ReaderCase{"CommaDecimal",
                   [](auto l) {
                     for (int line = 150; line <= kConfigLines; ++line)
                       if (IsRealLine(line)) l[line - 1][2] = ',';
                     return Join(l);
                   },
                   kMalformed, 149, false},
        ReaderCase{"IntegerAboveThirtyTwoBits",
                   [](auto l) {
                     l[39] = "2147483648";
                     return Join(l);
                   },
                   kMalformed, 39, false},
        ReaderCase{"IntegerBelowThirtyTwoBits",
                   [](auto l) {
                     l[39] = "-2147483649";
                     return Join(l);
                   },
                   kMalformed, 39, false},
        ReaderCase{"RealOnAnIntegerLine",
                   [](auto l) {
                     l[230] = "1.5";
                     return Join(l);
                   },
                   kMalformed, 230, false},
        ReaderCase{"LineTwoMalformed",
                   [](auto l) {
                     l[1] = "zwei";
                     return Join(l);
                   },
                   kMalformed, 1, false},
        ReaderCase{"PortNumberMalformed",
                   [](auto l) {
                     l[0] = "COM1";
                     return Join(l);
                   },
                   kMalformed, 0, false},
        ReaderCase{"RealTooLarge",
                   [](auto l) {
                     l[299] = "1e999";
                     return Join(l);
                   },
                   kMalformed, 299, false},
        ReaderCase{"RealNotANumber",
                   [](auto l) {
                     l[120] = "NaN";
                     return Join(l);
                   },
                   kMalformed, 120, false},
        ReaderCase{"ValueLongerThanAnyNumber",
                   [](auto l) {
                     l[9] = std::string(70000, '0') + "5";
                     return Join(l);
                   },
                   kMalformed, 9, false}),
    [](const auto& info) { return std::string(info.param.name); });

class PortItemTest : public ConfigFileTest,
                     public ::testing::WithParamInterface<std::pair<const char*, int>> {};

TEST_P(PortItemTest, LineOneSelectsItsItemOrNone) {
  WriteBytes("relays.dat", std::string(GetParam().first) + "\r\n");
  ASSERT_FALSE(LoadConfig(view_).has_value());
  EXPECT_EQ(view_.selected, std::vector<int>{GetParam().second});
}

INSTANTIATE_TEST_SUITE_P(Table, PortItemTest,
                         ::testing::Values(std::pair("1", 0), std::pair("8", 7), std::pair("0", -1),
                                           std::pair("9", -1), std::pair("-2147483648", -1),
                                           std::pair("2147483647", -1)));

TEST_F(ConfigFileTest, UnopenableFileLoadsDefaultsAndKeepsThePortNumber) {
  FakeClock clock;
  clock.Set({46367, 14 * 3600 * 1000});
  SetClock(&clock);
  std::filesystem::create_directory("afolder.dat");
  for (const char* name : {"missing.dat", "", "afolder.dat", "nofolder/x.dat"}) {
    SCOPED_TRACE(name);
    FillStore(true);
    store.PortNumber = 3;
    store.ConfigName = name;
    view_ = FakeConfigView{};
    EXPECT_FALSE(LoadConfig(view_).has_value());
    EXPECT_EQ(store.PortNumber, 3);
    EXPECT_TRUE(view_.selected.empty());
    EXPECT_EQ(view_.refreshes, 1);
    EXPECT_EQ(Modes(2), 0);
    EXPECT_EQ(store.IntTable[7][4], 0);
    EXPECT_EQ(store.SecondsTimer[5].Elapsed, 0);
    EXPECT_EQ(store.MaxMinutes[0][2], 0);
    EXPECT_EQ(ProgramDate(4, 1), 46367.0);
    EXPECT_EQ(TimeText(ProgramEnd(0, 0)), "14:00:00");
    EXPECT_EQ(TimeText(store.WindowStart[5][2]), "14:00:00");
  }
  SetClock(nullptr);
}

TEST_F(ConfigFileTest, ReadErrorIsReportedNotTakenForTheEnd) {
  // Reading this process's memory at address 0 fails with EIO; a reader that
  // took the failure for the end of the file would load zeros silently.
  store.ConfigName = "/proc/self/mem";
  if (access(store.ConfigName.c_str(), R_OK) != 0) GTEST_SKIP() << "no /proc/self/mem here";
  FillStore(true);
  const FileResult result = LoadConfig(view_);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->text, "E/A-Fehler 5");
  EXPECT_EQ(view_.refreshes, 0);
  EXPECT_EQ(store.PortNumber, SentinelInt(1));
}

TEST_F(ConfigFileTest, JunkAndEndlessLinesNeitherCrashNorHang) {
  std::mt19937 random(7);
  const std::string numberish = "0123456789+-.eE$xX ,\t\r\n";
  std::string anyBytes(3 << 20, '\0');
  std::string numberBytes(3 << 20, '\0');
  for (char& c : anyBytes) c = static_cast<char>(random());
  for (char& c : numberBytes) c = numberish[random() % numberish.size()];

  struct Junk {
    const char* name;
    std::string bytes;
    bool fails;
  };
  const Junk junk[] = {
      {"random bytes", anyBytes, true},
      {"random number characters", numberBytes, true},
      {"one endless value", std::string(8 << 20, '7'), true},
      {"a value, then an endless line", "5 " + std::string(8 << 20, 'x'), false},
      {"blanks without end", std::string(8 << 20, ' '), false},
  };
  for (const Junk& j : junk) {
    SCOPED_TRACE(j.name);
    WriteBytes("relays.dat", j.bytes);
    const auto start = std::chrono::steady_clock::now();
    const FileResult result = LoadConfig(view_);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(result.has_value(), j.fails);
    if (result) {
      EXPECT_EQ(result->text, kMalformed);
    }
  }
  EXPECT_EQ(store.PortNumber, 0);  // the blanks read as an empty file
}

}  // namespace
}  // namespace quibrano
