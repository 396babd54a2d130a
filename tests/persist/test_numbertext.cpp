#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <random>

#include "configfile.h"
#include "datetime.h"
#include "numbertext.h"

namespace quibrano {
namespace {

struct RealCase {
  const char* name;
  double value;
  const char* text;
};

void PrintTo(const RealCase& c, std::ostream* os) { *os << c.name; }

class RealTextTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealTextTest, FifteenDigitsRoundedHalfUpFromTheExactValue) {
  EXPECT_EQ(RealText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RealTextTest,
    ::testing::Values(
        RealCase{"Zero", 0.0, " 0.00000000000000E+0000"},
        RealCase{"NegativeZeroIsZero", -0.0, " 0.00000000000000E+0000"},
        RealCase{"Noon", 0.5, " 5.00000000000000E-0001"},
        RealCase{"HalfPastTwo", EncodeTime(14, 30, 0), " 6.04166666666667E-0001"},
        RealCase{"FirstOfMay2008", 39569.0, " 3.95690000000000E+0004"},
        RealCase{"Negative", -1.5, "-1.50000000000000E+0000"},
        RealCase{"DateAndTime", 39569.0 + EncodeTime(20, 12, 0, 500), " 3.95698416724537E+0004"},
        // The next double below 10 carries into the next exponent.
        RealCase{"CarryToTen", std::nextafter(10.0, 0.0), " 1.00000000000000E+0001"},
        RealCase{"CarryToOne", std::nextafter(1.0, 0.0), " 1.00000000000000E+0000"},
        RealCase{"NegativeCarry", -std::nextafter(1000.0, 0.0), "-1.00000000000000E+0003"},
        // Written as ...995 but stored as ...99467: the stored value decides.
        RealCase{"ExactValueBelowTheTie", 9.999999999999995, " 9.99999999999999E+0000"},
        RealCase{"ExactValueBelowHalf", 2.000000000000005, " 2.00000000000000E+0000"},
        // An exact tie rounds up, also after an even digit.
        RealCase{"ExactTieRoundsUp", 123456789012344.5, " 1.23456789012345E+0014"},
        RealCase{"ThreeDigitExponent", 1e-300, " 1.00000000000000E-0300"},
        RealCase{"SmallestDouble", std::numeric_limits<double>::denorm_min(),
                 " 4.94065645841247E-0324"},
        // These never come from the program; they are written so that the
        // file still loads: the largest double would round past itself.
        RealCase{"LargestDoubleStaysReadable", DBL_MAX, " 1.79769313486231E+0308"},
        RealCase{"InfinityAsLargestReadable", -INFINITY, "-1.79769313486231E+0308"},
        RealCase{"NanAsZero", NAN, " 0.00000000000000E+0000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RealTextTest, EveryFiniteDoubleReadsBackWithinFifteenDigits) {
  std::mt19937_64 random(20240501);
  for (int k = 0; k < 20000; ++k) {
    double value;
    const uint64_t bits = random();
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const std::string text = RealText(value);
    ASSERT_EQ(text.size(), 23u) << text;
    ASSERT_EQ(text[2], '.') << text;
    ASSERT_EQ(text[0], value < 0 ? '-' : ' ') << text;
    const std::optional<double> back = ParseFileReal(text.substr(1));
    ASSERT_TRUE(back.has_value()) << text;
    if (std::fabs(value) >= DBL_MIN)
      ASSERT_LE(std::fabs(*back - std::fabs(value)), 5.1e-15 * std::fabs(value)) << text;
    else
      ASSERT_LE(std::fabs(*back - std::fabs(value)), 1e-322) << text;
  }
}

TEST(IntegerTextTest, DecimalWithMinusOnlyWhenNegative) {
  EXPECT_EQ(IntegerText(0), "0");
  EXPECT_EQ(IntegerText(3), "3");
  EXPECT_EQ(IntegerText(-1), "-1");
  EXPECT_EQ(IntegerText(26535), "26535");
  EXPECT_EQ(IntegerText(INT32_MIN), "-2147483648");
  EXPECT_EQ(IntegerText(INT32_MAX), "2147483647");
}

struct IntegerCase {
  const char* text;
  std::optional<int32_t> value;  // nullopt: malformed
};

void PrintTo(const IntegerCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseFileIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ParseFileIntegerTest, DecimalOrHexWithinThirtyTwoBitsElseMalformed) {
  EXPECT_EQ(ParseFileInteger(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseFileIntegerTest,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"007", 7}, IntegerCase{"+5", 5},
                      IntegerCase{"-5", -5}, IntegerCase{"2147483647", INT32_MAX},
                      IntegerCase{"-2147483648", INT32_MIN}, IntegerCase{"$FF", 255},
                      IntegerCase{"x1f", 31}, IntegerCase{"X1F", 31}, IntegerCase{"0x10", 16},
                      IntegerCase{"0X7FFFFFFF", INT32_MAX}, IntegerCase{"-$80000000", INT32_MIN},
                      IntegerCase{"+0x0", 0},
                      // Malformed: no digits, out of range, not an integer.
                      IntegerCase{"", std::nullopt}, IntegerCase{"+", std::nullopt},
                      IntegerCase{"-", std::nullopt}, IntegerCase{"$", std::nullopt},
                      IntegerCase{"0x", std::nullopt}, IntegerCase{"2147483648", std::nullopt},
                      IntegerCase{"-2147483649", std::nullopt},
                      IntegerCase{"$80000000", std::nullopt},
                      IntegerCase{"99999999999999999999", std::nullopt},
                      IntegerCase{"1.5", std::nullopt}, IntegerCase{"1e3", std::nullopt},
                      IntegerCase{"5a", std::nullopt}, IntegerCase{"0x1G", std::nullopt},
                      IntegerCase{"--5", std::nullopt}, IntegerCase{"1,5", std::nullopt}));

struct RealParseCase {
  const char* text;
  std::optional<double> value;  // nullopt: malformed
};

void PrintTo(const RealParseCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseFileRealTest : public ::testing::TestWithParam<RealParseCase> {};

TEST_P(ParseFileRealTest, PointAndExponentOnlyFiniteElseMalformed) {
  const std::optional<double> got = ParseFileReal(GetParam().text);
  EXPECT_EQ(got, GetParam().value) << '"' << GetParam().text << '"';
  if (got && *got == 0.0) {
    EXPECT_EQ(std::signbit(*got), std::signbit(*GetParam().value));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseFileRealTest,
    ::testing::Values(
        RealParseCase{"5", 5.0}, RealParseCase{"-1.5", -1.5}, RealParseCase{"+2.5", 2.5},
        RealParseCase{"5.", 5.0}, RealParseCase{".5", 0.5}, RealParseCase{"1E3", 1000.0},
        RealParseCase{"1e-3", 0.001}, RealParseCase{"1.5E+0002", 150.0},
        RealParseCase{"6.04166666666667E-0001", 0.604166666666667},
        RealParseCase{"-1.79769313486231E+0308", -1.79769313486231e308},
        // Too small for a double: as good as zero, the sign kept.
        RealParseCase{"1e-400", 0.0}, RealParseCase{"-1e-400", -0.0},
        RealParseCase{"0.0000000000000000000000000000000000001e-300", 0.0},
        // Malformed: no digits, a comma, a bare exponent, words, too large.
        RealParseCase{"", std::nullopt}, RealParseCase{".", std::nullopt},
        RealParseCase{"-", std::nullopt}, RealParseCase{"1,5", std::nullopt},
        RealParseCase{"6,04166666666667E-0001", std::nullopt}, RealParseCase{"1e", std::nullopt},
        RealParseCase{"1e+", std::nullopt}, RealParseCase{"e5", std::nullopt},
        RealParseCase{"1.5.5", std::nullopt}, RealParseCase{"1..5", std::nullopt},
        RealParseCase{"1.5e3x", std::nullopt}, RealParseCase{"inf", std::nullopt},
        RealParseCase{"-infinity", std::nullopt}, RealParseCase{"nan", std::nullopt},
        RealParseCase{"0x10", std::nullopt}, RealParseCase{"1e999", std::nullopt},
        RealParseCase{"-1e999", std::nullopt}, RealParseCase{"1.79769313486232E+0308", std::nullopt},
        RealParseCase{"1e99999999999999999999999", std::nullopt}));

}  // namespace
}  // namespace quibrano
