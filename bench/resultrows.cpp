#include "resultrows.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quibrano::bench {
namespace {

std::string Clean(std::string field) {
  for (char& c : field)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return field.empty() ? std::string("-") : field;
}

}  // namespace

std::string Fixed(double value, int decimals) {
  if (std::isnan(value)) return "-";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (ec != std::errc{}) return "-";
  std::string text(buf, end);
  if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);  // no "-0.0"
  return text;
}

std::string RatioText(double value, double baseline) {
  if (!std::isfinite(value) || !std::isfinite(baseline) || value <= 0 || baseline <= 0) return "-";
  const double ratio = value / baseline;
  return Fixed(ratio, ratio < 10 ? 2 : ratio < 100 ? 1 : 0) + "x";
}

std::string Verdict(bool met) { return met ? "met" : "missed"; }

Row NumberRow(const std::string& figure, double value, double baseline, int decimals, const std::string& unit,
              const std::string& target) {
  const std::string suffix = unit.empty() ? std::string() : " " + unit;
  Row row;
  row.figure = figure;
  row.value = Fixed(value, decimals) + suffix;
  row.baseline = std::isnan(baseline) ? std::string("-") : Fixed(baseline, decimals) + suffix;
  row.ratio = RatioText(value, baseline);
  row.target = target;
  return row;
}

std::string RowLine(const Row& row) {
  return Clean(row.figure) + '\t' + Clean(row.value) + '\t' + Clean(row.baseline) + '\t' + Clean(row.ratio) +
         '\t' + Clean(row.target) + '\n';
}

void Emit(const Row& row) {
  const std::string line = RowLine(row);
  const char* path = std::getenv("BENCH_ROWS");
  std::FILE* out = (path != nullptr && *path != '\0') ? std::fopen(path, "a") : stdout;
  if (out == nullptr) {
    std::fprintf(stderr, "bench: cannot append to %s; the row goes to standard output\n", path);
    out = stdout;
  }
  std::fwrite(line.data(), 1, line.size(), out);
  if (out != stdout) {
    std::fclose(out);
  } else {
    std::fflush(out);
  }
}

}  // namespace quibrano::bench
