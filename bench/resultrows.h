// The rows of the results table. Every benchmark program appends its rows to
// the file named by BENCH_ROWS (standard output when unset), one row a line,
// fields separated by tabs; scripts/bench.sh turns them into the table.
#pragma once

#include <string>

namespace quibrano::bench {

struct Row {
  std::string figure;
  std::string value;
  std::string baseline;  // "-" when the figure has none
  std::string ratio;     // value / baseline, "-" when it means nothing
  std::string target;    // the target and whether it is met, "-" for none
};

// Fixed-point text with a "." whatever the locale.
std::string Fixed(double value, int decimals);
// "1.23x"; "-" when either side is not a positive finite number.
std::string RatioText(double value, double baseline);
std::string Verdict(bool met);

// A numeric row: value and baseline in the same unit. A baseline that is not
// finite (NaN) means the figure has none.
Row NumberRow(const std::string& figure, double value, double baseline, int decimals,
              const std::string& unit, const std::string& target = "-");

// Appends the row; a field's tabs and line ends become blanks.
void Emit(const Row& row);
// The line Emit writes, for tests.
std::string RowLine(const Row& row);

}  // namespace quibrano::bench
