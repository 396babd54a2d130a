#include "datetime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace quibrano {
namespace {

// Day count of 1 January 1970 in the program's day numbering.
constexpr int64_t kUnixEpochDay = 25569;
// Dates the calendar functions accept: 1 January 0001 to 31 December 9999.
constexpr int64_t kFirstDay = -693593;
constexpr int64_t kLastDay = 2958465;

const char* const kWeekdayNames[7] = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};

}  // namespace

// Civil-calendar arithmetic after H. Hinnant's public-domain algorithms.
int64_t DaysFromCivil(CivilDate d) {
  const int64_t y = static_cast<int64_t>(d.year) - (d.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (d.month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + kUnixEpochDay;
}

CivilDate CivilFromDays(int64_t days) {
  const int64_t z = std::clamp(days, kFirstDay, kLastDay) - kUnixEpochDay + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

double EncodeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil({year, month, day}));
}

double EncodeTime(int hour, int minute, int second, int ms) {
  const int64_t total = ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + ms;
  return static_cast<double>(total) / static_cast<double>(kMsPerDay);
}

double EncodeDateTime(CivilDate d, TimeOfDay t) {
  const double date = static_cast<double>(DaysFromCivil(d));
  const double time = EncodeTime(t.hour, t.minute, t.second, t.ms);
  // Before the epoch the time of day counts away from zero.
  return date < 0 ? date - time : date + time;
}

double DateOf(LocalTime t) { return static_cast<double>(t.day); }

double TimeOfDayOf(LocalTime t) {
  return static_cast<double>(t.ms) / static_cast<double>(kMsPerDay);
}

TimeOfDay DecodeTime(double value) {
  if (!std::isfinite(value)) return {};
  const double fraction = std::fabs(std::fmod(value, 1.0));
  int64_t ms = std::llround(fraction * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) ms -= kMsPerDay;
  TimeOfDay t;
  t.ms = static_cast<int>(ms % 1000);
  ms /= 1000;
  t.second = static_cast<int>(ms % 60);
  ms /= 60;
  t.minute = static_cast<int>(ms % 60);
  t.hour = static_cast<int>(ms / 60);
  return t;
}

static int64_t WholeDays(double value) {
  if (!std::isfinite(value)) return 0;
  const double clamped = std::clamp(std::trunc(value), static_cast<double>(kFirstDay),
                                    static_cast<double>(kLastDay));
  return static_cast<int64_t>(clamped);
}

CivilDate DecodeDate(double value) { return CivilFromDays(WholeDays(value)); }

int WeekdayOf(double value) {
  // Day 0, 30 December 1899, was a Saturday.
  const int64_t d = WholeDays(value);
  return static_cast<int>((((d % 7) + 7) % 7 + 6) % 7);
}

std::string TimeText(double value) {
  const TimeOfDay t = DecodeTime(value);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}

std::string DateText(double value) {
  const CivilDate d = DecodeDate(value);
  std::tm tm{};
  tm.tm_year = d.year - 1900;
  tm.tm_mon = d.month - 1;
  tm.tm_mday = d.day;
  tm.tm_wday = WeekdayOf(value);
  char buf[64];
  const size_t n = std::strftime(buf, sizeof buf, "%x", &tm);
  return std::string(buf, n);
}

const char* WeekdayName(int weekdayIndex) {
  if (weekdayIndex < 0 || weekdayIndex > 6) return "";
  return kWeekdayNames[weekdayIndex];
}

}  // namespace quibrano
