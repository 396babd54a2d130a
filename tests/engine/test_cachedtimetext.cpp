#include <gtest/gtest.h>

#include <limits>

#include "cachedtimetext.h"
#include "datetime.h"

namespace quibrano {
namespace {

// The cache must give TimeText's answer for every value, however the values
// follow one another, including values that compare equal as numbers but
// are stored differently.
TEST(CachedTimeText, AlwaysGivesTheTextOfTheCurrentValue) {
  const double values[] = {EncodeTime(8, 0, 0),
                           EncodeTime(8, 0, 0),
                           EncodeTime(8, 0, 1),
                           46000.0 + EncodeTime(8, 0, 1),
                           EncodeTime(8, 0, 2) - 1e-12,
                           0.0,
                           -0.0,
                           -1.5,
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           EncodeTime(23, 59, 59, 999),
                           EncodeTime(8, 0, 0)};
  CachedTimeText cache;
  for (const double v : values) EXPECT_EQ(cache.Of(v), TimeText(v)) << v;
}

}  // namespace
}  // namespace quibrano
