// What the main window tests share: a fresh current directory per test (so no
// relf.ini or configuration of the developer is touched), a standing clock,
// ports that name no device, and modal seams that answer without a person.
#pragma once

#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "clock.h"
#include "datetime.h"
#include "modalseams.h"
#include "store.h"
#include "tform1.h"

namespace quibrano {

// Monday 13 May 2024, 14:30:15.250.
inline LocalTime TestNow() {
  return {DaysFromCivil({2024, 5, 13}), ((14 * 60 + 30) * 60 + 15) * 1000 + 250};
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    oldDir_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    ResetStore();
    clock_.Set(TestNow());
    SetClock(&clock_);
    const std::string absent = (dir_.path() + QStringLiteral("/no-such-device")).toStdString();
    for (int n = 1; n <= 9; ++n) setenv(("QUIBRANO_COM" + std::to_string(n)).c_str(), absent.c_str(), 1);
    SetErrorBox([this](QWidget*, const QString& text) { errors_ << text; });
    SetOpenDialog([](QWidget*) {
      ADD_FAILURE() << "open dialog not expected";
      return QString();
    });
    SetSaveDialog([](QWidget*) {
      ADD_FAILURE() << "save dialog not expected";
      return QString();
    });
  }

  void TearDown() override {
    form_.reset();
    SetErrorBox({});
    SetOpenDialog({});
    SetSaveDialog({});
    SetClock(nullptr);
    for (int n = 1; n <= 9; ++n) unsetenv(("QUIBRANO_COM" + std::to_string(n)).c_str());
    QDir::setCurrent(oldDir_);
    ResetStore();
  }

  TForm1& Form() {
    if (!form_) form_ = std::make_unique<TForm1>();
    return *form_;
  }

  QString Path(const QString& name) const { return dir_.filePath(name); }

  // Writes a file in the test's directory, lines ended by CR LF.
  void WriteLines(const QString& name, const QStringList& lines) const {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (const QString& l : lines) f.write(l.toLocal8Bit() + "\r\n");
  }

  // The usual captions, as a first start's relf.ini has them; Remote off.
  void WriteUsualSettings() const {
    WriteLines(QStringLiteral("relf.ini"),
               {QStringLiteral("quibrano.dat"), QString(), QStringLiteral("26535"),
                QStringLiteral(" REL 1 "), QStringLiteral(" REL 2 "), QStringLiteral(" REL 3 "),
                QStringLiteral(" REL 4 "), QStringLiteral(" REL 5 "), QStringLiteral("REL 6"),
                QStringLiteral("K1"), QStringLiteral("K2"), QStringLiteral("0")});
  }

  QTemporaryDir dir_;
  QString oldDir_;
  FakeClock clock_;
  QStringList errors_;
  std::unique_ptr<TForm1> form_;
};

// What a user's choice in a list does: the item becomes current and the
// list reports it.
inline void Choose(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  emit list->activated(index);
}

// The editable part of the store, to see what a step changed.
struct ProgramTables {
  IntRows ints;
  TimeRows times;
  std::array<SecondsTimerRecord, kRelays> seconds;
  PerWindow<int32_t> sel, maxMinutes;
  PerWindow<double> windowStart, windowEnd;

  static ProgramTables Take() {
    return {store.IntTable,   store.TimeTable,   store.SecondsTimer,
            store.RandomSel,  store.MaxMinutes,  store.WindowStart,
            store.WindowEnd};
  }
};

inline bool operator==(const SecondsTimerRecord& a, const SecondsTimerRecord& b) {
  return a.Repeat == b.Repeat && a.StartAfter == b.StartAfter && a.EndAfter == b.EndAfter &&
         a.Elapsed == b.Elapsed;
}
inline bool operator==(const ProgramTables& a, const ProgramTables& b) {
  return a.ints == b.ints && a.times == b.times && a.seconds == b.seconds && a.sel == b.sel &&
         a.maxMinutes == b.maxMinutes && a.windowStart == b.windowStart &&
         a.windowEnd == b.windowEnd;
}

// A pseudo-terminal to stand in for a serial device that opens.
class PseudoPort {
 public:
  PseudoPort() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    char name[128];
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 &&
        ptsname_r(master_, name, sizeof name) == 0) {
      path_ = name;
    }
  }
  ~PseudoPort() {
    if (master_ >= 0) close(master_);
  }
  PseudoPort(const PseudoPort&) = delete;
  PseudoPort& operator=(const PseudoPort&) = delete;
  const std::string& path() const { return path_; }

 private:
  int master_ = -1;
  std::string path_;
};

}  // namespace quibrano
