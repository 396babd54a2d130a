// What a running process costs, from /proc.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace quibrano::bench {

// User plus system CPU time in seconds, from /proc/PID/stat.
std::optional<double> CpuSeconds(pid_t pid);
// A "Name:  N kB" field of /proc/PID/status in MB (VmRSS, VmHWM).
std::optional<double> StatusMegabytes(pid_t pid, const std::string& field);

// The parsers on their own, for tests: the text of /proc/PID/stat and the
// clock ticks per second; the text of /proc/PID/status.
std::optional<double> CpuSecondsFromStat(const std::string& stat, long ticksPerSecond);
std::optional<double> MegabytesFromStatus(const std::string& status, const std::string& field);

}  // namespace quibrano::bench
