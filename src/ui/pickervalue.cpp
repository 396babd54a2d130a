#include "pickervalue.h"

#include "datetime.h"

namespace quibrano {

double ValueOfDateTime(const QDateTime& dt) {
  const QDate d = dt.date();
  const QTime t = dt.time();
  return EncodeDateTime({d.year(), d.month(), d.day()},
                        {t.hour(), t.minute(), t.second(), t.msec()});
}

double ValueOfDate(QDate date) {
  return static_cast<double>(DaysFromCivil({date.year(), date.month(), date.day()}));
}

double ValueOfTime(QTime time) {
  return EncodeTime(time.hour(), time.minute(), time.second(), time.msec());
}

QDate DateOfValue(double value) {
  const CivilDate d = DecodeDate(value);
  return QDate(d.year, d.month, d.day);
}

QTime TimeOfValue(double value) {
  const TimeOfDay t = DecodeTime(value);
  return QTime(t.hour, t.minute, t.second, t.ms);
}

}  // namespace quibrano
