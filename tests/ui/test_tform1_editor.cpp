// The program editor: what each relay's mode shows, and that every control
// writes its one store entry and nothing else.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "test_tform1fixture.h"

namespace quibrano {
namespace {

struct ModeCase {
  int relay;  // 0..5
  int mode;   // the value chosen or stored
  int day;    // day code of program 1
};

void PrintTo(const ModeCase& c, std::ostream* os) {
  *os << "relay " << c.relay + 1 << " mode " << c.mode << " day " << c.day;
}

std::vector<ModeCase> ModeCases() {
  std::vector<ModeCase> v;
  for (int r = 0; r < kRelays; ++r) {
    const int last = r == 5 ? ClockPulse : Random;
    for (int m = Toggle; m <= last; ++m) v.push_back({r, m, 0});
    v.push_back({r, Timer, 3});    // a weekday: no date picker
    v.push_back({r, Timer, 12});   // no day item: no date picker either
    v.push_back({r, 12, 0});       // no mode item at all
    v.push_back({r, -1, 0});
    if (r < 5) v.push_back({r, ClockPulse, 0});  // only relay 6 lists it
  }
  return v;
}

class ModeVisibilityTest : public Form1Test, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeVisibilityTest, ShowsExactlyTheControlsOfTheMode) {
  const ModeCase c = GetParam();
  TForm1& f = Form();
  const TForm1::RelayRow& row = f.Row(c.relay);
  const bool listed = c.mode >= 0 && c.mode < row.mode->count();
  ProgramDay(c.relay, 0) = c.day;
  if (listed) {
    // Through the list, as a user chooses it, starting from another mode.
    Modes(c.relay) = c.mode == Timer ? Toggle : Timer;
    f.RefreshEditor();
    Choose(row.mode, c.mode);
  } else {
    Modes(c.relay) = c.mode;
    f.RefreshEditor();
  }
  EXPECT_EQ(Modes(c.relay), c.mode) << "a value that is no item is kept, not written back";
  const int m = listed ? c.mode : -1;
  EXPECT_EQ(row.mode->currentIndex(), m);

  const bool timer = m == Timer;
  const bool dayListed = c.day >= 0 && c.day < row.day->count();
  EXPECT_EQ(row.program->isVisibleTo(&f), timer);
  EXPECT_EQ(row.day->isVisibleTo(&f), timer);
  EXPECT_EQ(row.start->isVisibleTo(&f), timer);
  EXPECT_EQ(row.end->isVisibleTo(&f), timer);
  EXPECT_EQ(row.date->isVisibleTo(&f), timer && dayListed && c.day == 0);
  // Seen: shown and not covered by a shown random panel.
  auto seen = [&](QWidget* w) { return w->isVisibleTo(&f) && !row.randomPanel->isVisibleTo(&f); };
  EXPECT_EQ(seen(row.repeat), m == SecTimer);
  EXPECT_EQ(seen(row.startAfter), m == SecTimer);
  EXPECT_EQ(seen(row.endAfter), m == SecTimer);
  EXPECT_EQ(row.window->isVisibleTo(&f), m == Random);
  EXPECT_EQ(row.windowStart->isVisibleTo(&f), m == Random);
  EXPECT_EQ(row.toggle->isEnabled(), m == Toggle || m == Timer || m == IfK1XorK2);
  if (c.relay == 0) {
    // Relay 1: two sibling panels, each shown on its own.
    EXPECT_EQ(f.Panel4->parentWidget(), f.Panel1);
    EXPECT_EQ(f.Panel10->parentWidget(), f.Panel1);
    EXPECT_EQ(f.Panel4->isVisibleTo(&f), m == SecTimer);
    EXPECT_EQ(f.Panel10->isVisibleTo(&f), m == Random);
  } else {
    EXPECT_EQ(row.randomPanel->parentWidget(), row.secondsPanel);
    EXPECT_EQ(row.secondsPanel->isVisibleTo(&f), m == SecTimer || m == Random);
    EXPECT_EQ(row.randomPanel->isVisibleTo(&f), m == Random);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryRelayEveryMode, ModeVisibilityTest, ::testing::ValuesIn(ModeCases()));

TEST_F(Form1Test, ChoosingProgramThreeShowsItAndLeavesProgramOneAlone) {
  TForm1& f = Form();
  const int r = 1;  // relay 2, whose day list has the empty twelfth item
  Modes(r) = Timer;
  ProgramDay(r, 0) = 2;
  ProgramDate(r, 0) = EncodeDate(2024, 1, 2);
  ProgramStart(r, 0) = EncodeDateTime({2024, 1, 2}, {6, 0, 0, 0});
  ProgramEnd(r, 0) = EncodeTime(7, 0, 0);
  ProgramDay(r, 2) = 0;
  ProgramDate(r, 2) = EncodeDate(2025, 12, 24);
  ProgramStart(r, 2) = EncodeTime(18, 30, 5);
  ProgramEnd(r, 2) = EncodeDateTime({2023, 3, 3}, {23, 59, 59, 0});
  f.RefreshEditor();
  EXPECT_EQ(f.ComboBox14->currentText(), QStringLiteral("Mo"));
  ProgramTables before = ProgramTables::Take();

  Choose(f.ComboBox8, 2);
  EXPECT_EQ(SelectedProgram(r), 2);
  before.ints[6 + r][0] = 2;
  EXPECT_TRUE(ProgramTables::Take() == before) << "only the selection may change";
  EXPECT_EQ(f.ComboBox14->currentText(), QStringLiteral("Date"));
  EXPECT_TRUE(f.DateTimePicker2->isVisibleTo(&f));
  EXPECT_EQ(f.DateTimePicker2->date(), QDate(2025, 12, 24));
  EXPECT_EQ(f.DateTimePicker8->time(), QTime(18, 30, 5));
  EXPECT_EQ(f.DateTimePicker14->time(), QTime(23, 59, 59));

  // Edits now go to program 3 only.
  Choose(f.ComboBox14, 11);
  EXPECT_EQ(ProgramDay(r, 2), 11);
  EXPECT_EQ(ProgramDay(r, 0), 2);
  EXPECT_FALSE(f.DateTimePicker2->isVisibleTo(&f));
}

TEST_F(Form1Test, TypingInMaxChangesTheChosenWindowOnly) {
  TForm1& f = Form();
  const int r = 3;
  Modes(r) = Random;
  store.MaxMinutes[r] = {5, 7, 9};
  store.WindowStart[r] = {EncodeTime(1, 0, 0), EncodeTime(2, 0, 0), EncodeTime(3, 0, 0)};
  store.WindowEnd[r] = {EncodeTime(4, 0, 0), EncodeTime(5, 0, 0), EncodeTime(6, 0, 0)};
  f.RefreshEditor();
  EXPECT_EQ(f.Edit16->text(), QStringLiteral("5"));

  Choose(f.ComboBox23, 1);
  EXPECT_EQ(SelectedWindow(r), 1);
  EXPECT_EQ(f.Edit16->text(), QStringLiteral("7"));
  EXPECT_EQ(f.DateTimePicker25->time(), QTime(2, 0, 0));
  EXPECT_EQ(f.DateTimePicker26->time(), QTime(5, 0, 0));

  f.Edit16->selectAll();
  QTest::keyClicks(f.Edit16, QStringLiteral("25"));
  EXPECT_EQ(store.MaxMinutes[r], (std::array<int32_t, 3>{5, 25, 9}));
  for (int other = 0; other < kRelays; ++other) {
    if (other != r) {
      EXPECT_EQ(store.MaxMinutes[other], (std::array<int32_t, 3>{0, 0, 0}));
    }
  }
}

TEST_F(Form1Test, EveryKeystrokeInStartAfterStoresItsNumber) {
  TForm1& f = Form();
  Modes(4) = SecTimer;
  f.RefreshEditor();
  QLineEdit* edit = f.Edit9;  // relay 5, "start after"
  edit->selectAll();
  std::vector<int32_t> stored;
  QTest::keyClick(edit, Qt::Key_3);
  stored.push_back(store.SecondsTimer[4].StartAfter);
  QTest::keyClick(edit, Qt::Key_0);
  stored.push_back(store.SecondsTimer[4].StartAfter);
  QTest::keyClick(edit, Qt::Key_Backspace);
  stored.push_back(store.SecondsTimer[4].StartAfter);
  QTest::keyClick(edit, Qt::Key_Backspace);
  stored.push_back(store.SecondsTimer[4].StartAfter);
  EXPECT_EQ(stored, (std::vector<int32_t>{3, 30, 3, 0}));
  EXPECT_EQ(edit->text(), QString());

  // Unclean text goes through the one conversion, and stays as typed.
  QTest::keyClicks(f.Edit10, QStringLiteral("x"));  // "0x": hexadecimal, no digits yet
  EXPECT_EQ(store.SecondsTimer[4].EndAfter, 0);
  QTest::keyClicks(f.Edit10, QStringLiteral("1F"));
  EXPECT_EQ(store.SecondsTimer[4].EndAfter, 31);
  EXPECT_EQ(f.Edit10->text(), QStringLiteral("0x1F"));
  EXPECT_EQ(store.SecondsTimer[4].StartAfter, 0);
}

TEST_F(Form1Test, RepeatBoxesStoreOneOrZero) {
  TForm1& f = Form();
  f.CheckBox2->setChecked(true);
  EXPECT_EQ(store.SecondsTimer[1].Repeat, 1);
  f.CheckBox2->setChecked(false);
  EXPECT_EQ(store.SecondsTimer[1].Repeat, 0);
  f.CheckBox4->setChecked(true);
  store.SecondsTimer[2].Repeat = 1;
  store.SecondsTimer[3].Repeat = 5;  // from a file: not 1, so not ticked
  f.RefreshEditor();
  EXPECT_TRUE(f.CheckBox3->isChecked());
  EXPECT_FALSE(f.CheckBox4->isChecked());
  EXPECT_EQ(store.SecondsTimer[3].Repeat, 5);
}

// Which picker, and what its change stores.
struct PickerCase {
  const char* name;
  int relay;
  bool timeOnly;  // relay 1's start: the time of day alone
  bool dateOnly;  // the date pickers: whole days
  double& (*entry)(int r);
};

void PrintTo(const PickerCase& c, std::ostream* os) { *os << c.name; }

class PickerTest : public Form1Test, public ::testing::WithParamInterface<PickerCase> {};

TEST_P(PickerTest, StoresItsValueInTheShownSlot) {
  const PickerCase c = GetParam();
  TForm1& f = Form();
  SelectedProgram(c.relay) = 4;
  SelectedWindow(c.relay) = 2;
  f.RefreshEditor();
  const ProgramTables before = ProgramTables::Take();
  auto* picker = f.findChild<QDateTimeEdit*>(QString::fromLatin1(c.name));
  ASSERT_NE(picker, nullptr);
  picker->setDateTime(QDateTime(QDate(2024, 6, 1), QTime(8, 15, 30, 120), Qt::UTC));
  const double want = c.timeOnly   ? EncodeTime(8, 15, 30, 120)
                      : c.dateOnly ? EncodeDate(2024, 6, 1)
                                   : EncodeDateTime({2024, 6, 1}, {8, 15, 30, 120});
  EXPECT_DOUBLE_EQ(c.entry(c.relay), want);
  c.entry(c.relay) = 0.0;
  ProgramTables after = ProgramTables::Take();
  after.times = before.times;  // the one entry is already checked
  after.windowStart = before.windowStart;
  after.windowEnd = before.windowEnd;
  EXPECT_TRUE(after == before);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, PickerTest,
    ::testing::Values(
        PickerCase{"DateTimePicker1", 0, false, true, [](int r) -> double& { return ProgramDate(r, 4); }},
        PickerCase{"DateTimePicker7", 0, true, false, [](int r) -> double& { return ProgramStart(r, 4); }},
        PickerCase{"DateTimePicker8", 1, false, false, [](int r) -> double& { return ProgramStart(r, 4); }},
        PickerCase{"DateTimePicker13", 0, false, false, [](int r) -> double& { return ProgramEnd(r, 4); }},
        PickerCase{"DateTimePicker23", 2, false, false, [](int r) -> double& { return store.WindowStart[r][2]; }},
        PickerCase{"DateTimePicker30", 5, false, false, [](int r) -> double& { return store.WindowEnd[r][2]; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Test, PickersShowTheStoredPartAndKeepTheirOwn) {
  TForm1& f = Form();
  f.DateTimePicker9->setDateTime(QDateTime(QDate(2030, 2, 3), QTime(1, 2, 3), Qt::UTC));
  f.DateTimePicker3->setDateTime(QDateTime(QDate(2030, 2, 3), QTime(4, 5, 6), Qt::UTC));
  ProgramStart(2, 0) = EncodeDateTime({1999, 1, 1}, {22, 10, 0, 0});
  ProgramDate(2, 0) = EncodeDate(2001, 9, 11);
  f.RefreshEditor();
  EXPECT_EQ(f.DateTimePicker9->dateTime(), QDateTime(QDate(2030, 2, 3), QTime(22, 10, 0), Qt::UTC));
  EXPECT_EQ(f.DateTimePicker3->dateTime(), QDateTime(QDate(2001, 9, 11), QTime(4, 5, 6), Qt::UTC));
}

TEST_F(Form1Test, RefreshLeavesTheStoreAsItWas) {
  TForm1& f = Form();
  // Values of every kind, including ones the controls cannot show.
  const int32_t modes[kRelays] = {SecTimer, Timer, 12, Random, -3, ClockPulse};
  for (int r = 0; r < kRelays; ++r) {
    Modes(r) = modes[r];
    SelectedProgram(r) = r;
    store.IntTable[r][3] = 77;  // a spare column
    for (int p = 0; p < kSlots; ++p) {
      ProgramDay(r, p) = p * 3 - 2;
      ProgramDate(r, p) = 45000.0 + r * 10 + p + (p == 3 ? 0.25 : 0.0);
      ProgramStart(r, p) = EncodeTime(r, p, 7, 499) + p * 100.0;
      ProgramEnd(r, p) = -EncodeTime(r, p, 8);
    }
    store.SecondsTimer[r] = {r % 3, r * 7 - 10, 2147483647 - r, -1};
    SelectedWindow(r) = r % kWindows;
    store.RandomSel[r][2] = -9;
    store.MaxMinutes[r] = {-1, r, 100000};
    store.WindowStart[r] = {EncodeTime(23, 59, 59, 999), 1e300, -2.5};
    store.WindowEnd[r] = {0.0, 2958465.99, -700000.0};
  }
  const ProgramTables before = ProgramTables::Take();
  f.RefreshEditor();
  f.RefreshEditor();
  EXPECT_TRUE(ProgramTables::Take() == before);
  EXPECT_EQ(f.Edit1->text(), QStringLiteral("-10"));
  EXPECT_EQ(f.Edit12->text(), QStringLiteral("2147483642"));
  EXPECT_EQ(f.Edit13->text(), QStringLiteral("-1"));
  EXPECT_EQ(f.ComboBox3->currentIndex(), -1);
  EXPECT_EQ(f.ComboBox6->currentText(), QStringLiteral("Uhr - Steuerung"));
}

TEST_F(Form1Test, SelectionsThatNameNothingShowNothingAndWriteNowhere) {
  TForm1& f = Form();
  const int32_t programs[kRelays] = {-1, 6, 1000, -2147483647 - 1, 2147483647, 5};
  const int32_t windows[kRelays] = {-1, 3, 7, -2147483647 - 1, 2147483647, 2};
  for (int r = 0; r < kRelays; ++r) {
    Modes(r) = r % 2 == 0 ? Timer : Random;
    SelectedProgram(r) = programs[r];
    SelectedWindow(r) = windows[r];
  }
  f.RefreshEditor();
  const ProgramTables before = ProgramTables::Take();
  for (int r = 0; r < kRelays - 1; ++r) {
    const TForm1::RelayRow& row = f.Row(r);
    EXPECT_EQ(row.program->currentIndex(), -1);
    EXPECT_EQ(row.day->currentIndex(), -1);
    EXPECT_FALSE(row.day->isEnabled());
    EXPECT_FALSE(row.start->isEnabled());
    EXPECT_EQ(row.window->currentIndex(), -1);
    EXPECT_EQ(row.maxMinutes->text(), QString());
    EXPECT_FALSE(row.maxMinutes->isEnabled());
    // Whatever reaches the controls anyway goes nowhere.
    Choose(row.day, 4);
    row.date->setDateTime(QDateTime(QDate(2024, 1, 1), QTime(1, 1, 1), Qt::UTC));
    row.start->setDateTime(QDateTime(QDate(2024, 1, 1), QTime(2, 2, 2), Qt::UTC));
    row.end->setDateTime(QDateTime(QDate(2024, 1, 1), QTime(3, 3, 3), Qt::UTC));
    row.windowStart->setDateTime(QDateTime(QDate(2024, 1, 1), QTime(4, 4, 4), Qt::UTC));
    row.windowEnd->setDateTime(QDateTime(QDate(2024, 1, 1), QTime(5, 5, 5), Qt::UTC));
    row.maxMinutes->setText(QStringLiteral("42"));
    // A list reporting no item leaves the selection as it was.
    Choose(row.program, -1);
    Choose(row.window, -1);
  }
  EXPECT_TRUE(ProgramTables::Take() == before);
  // Relay 6 names a real program and window, and shows them.
  EXPECT_EQ(f.ComboBox12->currentIndex(), 5);
  EXPECT_EQ(f.ComboBox25->currentIndex(), 2);
  EXPECT_TRUE(f.Edit18->isEnabled());

  // Choosing a real program brings the controls back.
  Choose(f.ComboBox7, 3);
  EXPECT_EQ(SelectedProgram(0), 3);
  EXPECT_TRUE(f.ComboBox13->isEnabled());
  EXPECT_EQ(f.ComboBox13->currentIndex(), 0);
}

TEST_F(Form1Test, TButtonsToggleTheirRelay) {
  TForm1& f = Form();
  store.RelayWord = 0x40;
  f.Button3->click();
  EXPECT_EQ(store.RelayWord, 0x44);
  f.Button6->click();
  EXPECT_EQ(store.RelayWord, 0x64);
  f.Button3->click();
  EXPECT_EQ(store.RelayWord, 0x60);
}

}  // namespace
}  // namespace quibrano
