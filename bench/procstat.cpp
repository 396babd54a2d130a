#include "procstat.h"

#include <unistd.h>

#include <charconv>
#include <fstream>
#include <sstream>

namespace quibrano::bench {
namespace {

std::optional<std::string> ReadAll(const std::string& path) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

std::string ProcFile(pid_t pid, const char* name) { return "/proc/" + std::to_string(pid) + "/" + name; }

}  // namespace

std::optional<double> CpuSecondsFromStat(const std::string& stat, long ticksPerSecond) {
  // The command name may hold blanks and parentheses; the fields start after
  // the last ')'. utime and stime are fields 14 and 15, the 12th and 13th
  // after it.
  const size_t close = stat.rfind(')');
  if (close == std::string::npos || ticksPerSecond <= 0) return std::nullopt;
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  int64_t utime = -1, stime = -1;
  for (int i = 1; i <= 13 && fields >> field; ++i) {
    int64_t value = 0;
    const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    const bool number = ec == std::errc{} && ptr == field.data() + field.size();
    if (i == 12) utime = number ? value : -1;
    if (i == 13) stime = number ? value : -1;
  }
  if (utime < 0 || stime < 0) return std::nullopt;
  return static_cast<double>(utime + stime) / static_cast<double>(ticksPerSecond);
}

std::optional<double> MegabytesFromStatus(const std::string& status, const std::string& field) {
  std::istringstream lines(status);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(field + ":", 0) != 0) continue;
    std::istringstream words(line.substr(field.size() + 1));
    std::string number, unit;
    words >> number >> unit;
    int64_t kb = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), kb);
    if (ec != std::errc{} || ptr != number.data() + number.size() || unit != "kB") return std::nullopt;
    return static_cast<double>(kb) / 1024.0;
  }
  return std::nullopt;
}

std::optional<double> CpuSeconds(pid_t pid) {
  const auto stat = ReadAll(ProcFile(pid, "stat"));
  if (!stat) return std::nullopt;
  return CpuSecondsFromStat(*stat, sysconf(_SC_CLK_TCK));
}

std::optional<double> StatusMegabytes(pid_t pid, const std::string& field) {
  const auto status = ReadAll(ProcFile(pid, "status"));
  if (!status) return std::nullopt;
  return MegabytesFromStatus(*status, field);
}

}  // namespace quibrano::bench
