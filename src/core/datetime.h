// Date-time values: doubles counting days since 30 December 1899, the
// fraction being the time of day. Conversions and the texts the rules compare.
#pragma once

#include <cstdint>
#include <string>

#include "clock.h"

namespace quibrano {

constexpr int64_t kMsPerDay = 86'400'000;

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int ms = 0;
};

// Whole day count of a calendar date (proleptic Gregorian).
int64_t DaysFromCivil(CivilDate d);
CivilDate CivilFromDays(int64_t days);

double EncodeDate(int year, int month, int day);
double EncodeTime(int hour, int minute, int second, int ms = 0);
double EncodeDateTime(CivilDate d, TimeOfDay t);

// The local time as date-time values.
double DateOf(LocalTime t);       // whole days
double TimeOfDayOf(LocalTime t);  // fraction only

// The time of day of a value, rounded to the nearest millisecond; any
// whole-day part is ignored (for negative values the fraction's size counts,
// as the values are laid out). Values that are not finite give midnight.
TimeOfDay DecodeTime(double value);
// The calendar date of a value's whole-day part.
CivilDate DecodeDate(double value);

// 0 = Sunday ... 6 = Saturday, of the value's whole-day part.
int WeekdayOf(double value);

// "HH:MM:SS", 24-hour and fixed width in every locale.
std::string TimeText(double value);

// The locale's short date format (LC_TIME, as strftime's %x writes it).
std::string DateText(double value);

// "So", "Mo", "Di", "Mi", "Do", "Fr", "Sa" for 0 = Sunday .. 6 = Saturday.
const char* WeekdayName(int weekdayIndex);

}  // namespace quibrano
