// The time text of a stored time value, made again only when the value
// changes. Program and window times change only by an edit or a load, yet
// every tick compares them, so their texts are kept between ticks.
#pragma once

#include <cstdint>
#include <string>

namespace quibrano {

class CachedTimeText {
 public:
  // TimeText(value); the same text as long as the value keeps its bits.
  const std::string& Of(double value);

 private:
  uint64_t bits_ = 0;
  bool valid_ = false;
  std::string text_;
};

}  // namespace quibrano
