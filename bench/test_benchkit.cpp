// The measuring code is checked before it measures: a wrong percentile or a
// miscounted second would put a wrong figure in the table without a sign.
#include <gtest/gtest.h>

#include <cmath>

#include "procstat.h"
#include "resultrows.h"
#include "stats.h"
#include "tickseconds.h"

namespace quibrano::bench {
namespace {

TEST(Stats, NearestRankPercentilesAreSamples) {
  std::vector<double> samples;
  for (int i = 200; i >= 1; --i) samples.push_back(i);  // unsorted on purpose
  const Summary s = Summarize(samples);
  EXPECT_EQ(s.count, 200u);
  EXPECT_EQ(s.min, 1);
  EXPECT_EQ(s.median, 100);
  EXPECT_EQ(s.p99, 198);
  EXPECT_EQ(s.max, 200);
  EXPECT_DOUBLE_EQ(s.mean, 100.5);
}

TEST(Stats, SmallAndEmptySets) {
  EXPECT_EQ(Summarize({}).count, 0u);
  EXPECT_EQ(Summarize({}).p99, 0);
  const Summary one = Summarize({7});
  EXPECT_EQ(one.median, 7);
  EXPECT_EQ(one.p99, 7);
  // With fewer than a hundred samples the p99 is the largest.
  EXPECT_EQ(Summarize({1, 2, 3, 50}).p99, 50);
  EXPECT_EQ(Percentile({1, 2, 3}, 0), 1);
  EXPECT_EQ(Percentile({1, 2, 3}, 2), 3);  // held to 0..1
}

struct TickCase {
  const char* name;
  std::vector<double> ticks;  // wall-clock ms
  int64_t first, last;
  int64_t skipped, doubled;
  double minOffset, maxOffset;
};

class TickSecondsTest : public ::testing::TestWithParam<TickCase> {};

TEST_P(TickSecondsTest, CountsSecondsWithoutAndWithSeveralTicks) {
  const TickCase& c = GetParam();
  const TickAnalysis a = AnalyzeTicks(c.ticks, c.first, c.last);
  EXPECT_EQ(a.seconds, c.last - c.first + 1);
  EXPECT_EQ(a.skipped, c.skipped);
  EXPECT_EQ(a.doubled, c.doubled);
  EXPECT_DOUBLE_EQ(a.offsets.min, c.minOffset);
  EXPECT_DOUBLE_EQ(a.offsets.max, c.maxOffset);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TickSecondsTest,
    ::testing::Values(
        TickCase{"OnePerSecond", {10030, 11031, 12030, 13045}, 10, 13, 0, 0, 30, 45},
        // A free-running timer drifting late across a boundary: 12 is
        // skipped; drifting early: 11 gets two.
        TickCase{"DriftSkips", {10990, 11995, 13001}, 10, 13, 1, 0, 1, 995},
        TickCase{"DriftDoubles", {10010, 11003, 11998}, 10, 11, 0, 1, 3, 998},
        // Ticks outside the examined seconds do not count, even unsorted.
        TickCase{"OutsideIgnored", {9999, 12000, 10500, 11500}, 10, 11, 0, 0, 500, 500},
        TickCase{"ExactBoundaryBelongsToNewSecond", {10000, 11000}, 10, 11, 0, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TickSeconds, NothingToExamine) {
  const TickAnalysis a = AnalyzeTicks({10030}, 11, 10);
  EXPECT_EQ(a.seconds, 0);
  EXPECT_EQ(a.skipped, 0);
}

TEST(ResultRows, NumbersUseAPointAndNoNegativeZero) {
  EXPECT_EQ(Fixed(1234.5678, 2), "1234.57");
  EXPECT_EQ(Fixed(-0.0001, 1), "0.0");
  EXPECT_EQ(Fixed(NAN, 1), "-");
  EXPECT_EQ(Fixed(INFINITY, 0), "inf");
}

TEST(ResultRows, RatioOnlyBetweenPositiveFigures) {
  EXPECT_EQ(RatioText(3, 2), "1.50x");
  EXPECT_EQ(RatioText(250, 10), "25.0x");
  EXPECT_EQ(RatioText(5000, 10), "500x");
  EXPECT_EQ(RatioText(0, 2), "-");
  EXPECT_EQ(RatioText(3, 0), "-");
  EXPECT_EQ(RatioText(3, NAN), "-");
}

TEST(ResultRows, ALineHasFiveFieldsWhateverTheTexts) {
  const Row row = NumberRow("a\tb", 2, NAN, 1, "ms", "x\ny");
  EXPECT_EQ(RowLine(row), "a b\t2.0 ms\t-\t-\tx y\n");
  EXPECT_EQ(RowLine({"f", "", "", "", ""}), "f\t-\t-\t-\t-\n");
}

TEST(ProcStat, CpuTimeAfterACommandWithBlanksAndParentheses) {
  const std::string stat = "4242 (quibrano (x) y) S 1 4242 4242 0 -1 4194560 100 0 0 0 250 50 0 0 20 0 3 0";
  const auto seconds = CpuSecondsFromStat(stat, 100);
  ASSERT_TRUE(seconds.has_value());
  EXPECT_DOUBLE_EQ(*seconds, 3.0);
  EXPECT_FALSE(CpuSecondsFromStat("4242 quibrano S 1", 100).has_value());
  EXPECT_FALSE(CpuSecondsFromStat("4242 (q) S 1 2 3", 100).has_value());
}

TEST(ProcStat, MemoryFieldInMegabytes) {
  const std::string status = "Name:\tquibrano\nVmHWM:\t   51200 kB\nVmRSS:\t   40960 kB\n";
  EXPECT_EQ(MegabytesFromStatus(status, "VmRSS"), 40.0);
  EXPECT_EQ(MegabytesFromStatus(status, "VmHWM"), 50.0);
  EXPECT_FALSE(MegabytesFromStatus(status, "VmSwap").has_value());
  EXPECT_FALSE(MegabytesFromStatus("VmRSS:\t12 MB\n", "VmRSS").has_value());
}

}  // namespace
}  // namespace quibrano::bench
