#include "cachedtimetext.h"

#include <bit>

#include "datetime.h"

namespace quibrano {

const std::string& CachedTimeText::Of(double value) {
  // Compared by bits, so -0.0 and NaN values are told apart as stored.
  const auto bits = std::bit_cast<uint64_t>(value);
  if (!valid_ || bits != bits_) {
    text_ = TimeText(value);
    bits_ = bits;
    valid_ = true;
  }
  return text_;
}

}  // namespace quibrano
