// Between the pickers' QDateTime and the program's day-count values. The
// pickers hold local civil date and time; they are kept in UTC so that no
// daylight-saving gap or overlap ever moves a value.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace quibrano {

// The whole value: the picker's day plus its time of day.
double ValueOfDateTime(const QDateTime& dt);
// Whole days of the date alone.
double ValueOfDate(QDate date);
// The time of day alone, whole part 0.
double ValueOfTime(QTime time);

// The calendar date of a value's whole-day part, and its time of day
// (rounded to the millisecond).
QDate DateOfValue(double value);
QTime TimeOfValue(double value);

}  // namespace quibrano
