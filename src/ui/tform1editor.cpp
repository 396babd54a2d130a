// The program editor: the relay rows and panels as a view on the store, in
// both directions.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "clock.h"
#include "parseinteger.h"
#include "pickervalue.h"
#include "relayword.h"
#include "tform1.h"

namespace quibrano {
namespace {

size_t At(int i) { return static_cast<size_t>(i); }

// The program slot or random window a relay's editor shows, or -1 when the
// stored selection names none: then nothing is shown for it and no edit
// writes anywhere.
int ShownProgram(int r) {
  const int32_t p = SelectedProgram(r);
  return p >= 0 && p < kSlots ? p : -1;
}
int ShownWindow(int r) {
  const int32_t w = SelectedWindow(r);
  return w >= 0 && w < kWindows ? w : -1;
}

// A stored value that is no item of the list leaves the list unselected.
void ShowIndex(QComboBox* list, int64_t value) {
  const QSignalBlocker quiet(list);
  list->setCurrentIndex(value >= 0 && value < list->count() ? static_cast<int>(value) : -1);
}

void ShowNumber(QLineEdit* edit, const QString& text) {
  const QSignalBlocker quiet(edit);
  if (edit->text() != text) edit->setText(text);
}

QDate TodayDate() { return DateOfValue(static_cast<double>(GetClock().Now().day)); }

bool IsBlank(const QDateTimeEdit* picker) {
  return picker->dateTime() == picker->minimumDateTime();
}

void ShowBlank(QDateTimeEdit* picker) {
  const QSignalBlocker quiet(picker);
  picker->setDateTime(picker->minimumDateTime());
}

// A date picker takes the value's date and keeps its own time of day.
void ShowDate(QDateTimeEdit* picker, double value) {
  const QSignalBlocker quiet(picker);
  const QTime own = IsBlank(picker) ? QTime(0, 0) : picker->time();
  picker->setDateTime(QDateTime(DateOfValue(value), own, Qt::UTC));
}

// A time picker takes the value's time of day and keeps its own day.
void ShowTime(QDateTimeEdit* picker, double value) {
  const QSignalBlocker quiet(picker);
  const QDate own = IsBlank(picker) ? TodayDate() : picker->date();
  picker->setDateTime(QDateTime(own, TimeOfValue(value), Qt::UTC));
}

bool ToggleAllowed(int m) { return m == Toggle || m == Timer || m == IfK1XorK2; }

}  // namespace

void TForm1::ConnectEditor(int r) {
  const RelayRow& row = rows_[At(r)];
  connect(row.toggle, &QPushButton::clicked, this, [this, r] { ToggleButtonClick(r); });
  // Lists report the user's choices only; setting them from code is silent.
  connect(row.mode, &QComboBox::activated, this, [this, r] { ModeListChange(r); });
  connect(row.program, &QComboBox::activated, this, [this, r] { ProgramListChange(r); });
  connect(row.day, &QComboBox::activated, this, [this, r] { DayListChange(r); });
  connect(row.window, &QComboBox::activated, this, [this, r] { WindowListChange(r); });
  connect(row.date, &QDateTimeEdit::dateTimeChanged, this, [this, r] { DatePickerChange(r); });
  connect(row.start, &QDateTimeEdit::dateTimeChanged, this, [this, r] { StartPickerChange(r); });
  connect(row.end, &QDateTimeEdit::dateTimeChanged, this, [this, r] { EndPickerChange(r); });
  connect(row.windowStart, &QDateTimeEdit::dateTimeChanged, this, [this, r] { WindowStartChange(r); });
  connect(row.windowEnd, &QDateTimeEdit::dateTimeChanged, this, [this, r] { WindowEndChange(r); });
  connect(row.repeat, &QCheckBox::toggled, this, [this, r] { RepeatClick(r); });
  connect(row.startAfter, &QLineEdit::textChanged, this, [this, r] { StartAfterChange(r); });
  connect(row.endAfter, &QLineEdit::textChanged, this, [this, r] { EndAfterChange(r); });
  connect(row.maxMinutes, &QLineEdit::textChanged, this, [this, r] { MaxMinutesChange(r); });
}

void TForm1::RefreshEditor() {
  // 1-3: the lists of the rows.
  for (int r = 0; r < kRelays; ++r) ShowIndex(rows_[At(r)].mode, Modes(r));
  for (int r = 0; r < kRelays; ++r) ShowIndex(rows_[At(r)].program, ShownProgram(r));
  for (int r = 0; r < kRelays; ++r) {
    const int p = ShownProgram(r);
    ShowIndex(rows_[At(r)].day, p < 0 ? -1 : ProgramDay(r, p));
    rows_[At(r)].day->setEnabled(p >= 0);
  }
  // 4-6: the pickers of the shown program.
  for (int r = 0; r < kRelays; ++r) {
    const int p = ShownProgram(r);
    QDateTimeEdit* date = rows_[At(r)].date;
    if (p < 0) ShowBlank(date); else ShowDate(date, ProgramDate(r, p));
    date->setEnabled(p >= 0);
  }
  for (int r = 0; r < kRelays; ++r) {
    const int p = ShownProgram(r);
    QDateTimeEdit* start = rows_[At(r)].start;
    if (p < 0) ShowBlank(start); else ShowTime(start, ProgramStart(r, p));
    start->setEnabled(p >= 0);
  }
  for (int r = 0; r < kRelays; ++r) {
    const int p = ShownProgram(r);
    QDateTimeEdit* end = rows_[At(r)].end;
    if (p < 0) ShowBlank(end); else ShowTime(end, ProgramEnd(r, p));
    end->setEnabled(p >= 0);
  }
  // 7: the window pickers, start then end.
  for (int r = 0; r < kRelays; ++r) {
    const int w = ShownWindow(r);
    for (QDateTimeEdit* picker : {rows_[At(r)].windowStart, rows_[At(r)].windowEnd}) {
      if (w < 0) ShowBlank(picker);
      picker->setEnabled(w >= 0);
    }
    if (w >= 0) {
      ShowTime(rows_[At(r)].windowStart, store.WindowStart[At(r)][At(w)]);
      ShowTime(rows_[At(r)].windowEnd, store.WindowEnd[At(r)][At(w)]);
    }
  }
  // 8-9: from the lists as shown, so a value that is no item counts as -1.
  for (int r = 0; r < kRelays; ++r) {
    rows_[At(r)].toggle->setEnabled(ToggleAllowed(rows_[At(r)].mode->currentIndex()));
  }
  for (int r = 0; r < kRelays; ++r) {
    const RelayRow& row = rows_[At(r)];
    const int m = row.mode->currentIndex();
    const int d = row.day->currentIndex();
    for (QWidget* w : {static_cast<QWidget*>(row.program), static_cast<QWidget*>(row.day),
                       static_cast<QWidget*>(row.start), static_cast<QWidget*>(row.end)}) {
      w->setVisible(m == Timer);
    }
    row.date->setVisible(m == Timer && d == 0);
    if (r == 0) {
      row.secondsPanel->setVisible(m == SecTimer);
    } else if (r < 5) {
      row.secondsPanel->setVisible(m > IfK1XorK2);
    } else {
      row.secondsPanel->setVisible(m == SecTimer || m == Random);
    }
    row.randomPanel->setVisible(m == Random);
  }
  // 10-11: the seconds timers.
  for (int r = 0; r < kRelays; ++r) {
    const QSignalBlocker quiet(rows_[At(r)].repeat);
    rows_[At(r)].repeat->setChecked(store.SecondsTimer[At(r)].Repeat == 1);
  }
  for (int r = 0; r < kRelays; ++r) {
    ShowNumber(rows_[At(r)].startAfter, QString::number(store.SecondsTimer[At(r)].StartAfter));
    ShowNumber(rows_[At(r)].endAfter, QString::number(store.SecondsTimer[At(r)].EndAfter));
  }
  // 12-13: the random windows.
  for (int r = 0; r < kRelays; ++r) ShowIndex(rows_[At(r)].window, ShownWindow(r));
  for (int r = 0; r < kRelays; ++r) {
    const int w = ShownWindow(r);
    ShowNumber(rows_[At(r)].maxMinutes,
               w < 0 ? QString() : QString::number(store.MaxMinutes[At(r)][At(w)]));
    rows_[At(r)].maxMinutes->setEnabled(w >= 0);
  }
}

// --- Controls to store ---------------------------------------------------------

void TForm1::ToggleButtonClick(int r) { ToggleRelay(static_cast<uint8_t>(r)); }

void TForm1::ModeListChange(int r) {
  Modes(r) = rows_[At(r)].mode->currentIndex();
  RefreshEditor();
}

void TForm1::ProgramListChange(int r) {
  const int index = rows_[At(r)].program->currentIndex();
  if (index >= 0 && index < kSlots) SelectedProgram(r) = index;
  RefreshEditor();
}

void TForm1::DayListChange(int r) {
  const int p = ShownProgram(r);
  if (p >= 0) ProgramDay(r, p) = rows_[At(r)].day->currentIndex();
  RefreshEditor();
}

void TForm1::DatePickerChange(int r) {
  const int p = ShownProgram(r);
  if (p >= 0) ProgramDate(r, p) = ValueOfDate(rows_[At(r)].date->date());
}

void TForm1::StartPickerChange(int r) {
  const int p = ShownProgram(r);
  if (p < 0) return;
  const QDateTimeEdit* picker = rows_[At(r)].start;
  // Relay 1 keeps the time of day alone; the others carry the picker's day.
  ProgramStart(r, p) = r == 0 ? ValueOfTime(picker->time()) : ValueOfDateTime(picker->dateTime());
}

void TForm1::EndPickerChange(int r) {
  const int p = ShownProgram(r);
  if (p >= 0) ProgramEnd(r, p) = ValueOfDateTime(rows_[At(r)].end->dateTime());
}

void TForm1::RepeatClick(int r) {
  store.SecondsTimer[At(r)].Repeat = rows_[At(r)].repeat->isChecked() ? 1 : 0;
}

void TForm1::StartAfterChange(int r) {
  store.SecondsTimer[At(r)].StartAfter = ParseInteger(rows_[At(r)].startAfter->text().toStdString());
}

void TForm1::EndAfterChange(int r) {
  store.SecondsTimer[At(r)].EndAfter = ParseInteger(rows_[At(r)].endAfter->text().toStdString());
}

void TForm1::WindowListChange(int r) {
  const int index = rows_[At(r)].window->currentIndex();
  if (index >= 0 && index < kWindows) SelectedWindow(r) = index;
  RefreshEditor();
}

void TForm1::MaxMinutesChange(int r) {
  const int w = ShownWindow(r);
  if (w >= 0) {
    store.MaxMinutes[At(r)][At(w)] = ParseInteger(rows_[At(r)].maxMinutes->text().toStdString());
  }
}

void TForm1::WindowStartChange(int r) {
  const int w = ShownWindow(r);
  if (w >= 0) store.WindowStart[At(r)][At(w)] = ValueOfDateTime(rows_[At(r)].windowStart->dateTime());
}

void TForm1::WindowEndChange(int r) {
  const int w = ShownWindow(r);
  if (w >= 0) store.WindowEnd[At(r)][At(w)] = ValueOfDateTime(rows_[At(r)].windowEnd->dateTime());
}

}  // namespace quibrano
