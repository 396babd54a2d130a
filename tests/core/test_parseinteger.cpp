#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "parseinteger.h"

namespace quibrano {
namespace {

struct Case {
  std::string text;
  int32_t value;
};

void PrintTo(const Case& c, std::ostream* os) { *os << '"' << c.text << "\" -> " << c.value; }

class ParseIntegerTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseIntegerTest, GivesTheValueOfTheLeadingDigits) {
  EXPECT_EQ(ParseInteger(GetParam().text), GetParam().value) << "text: \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseIntegerTest,
    ::testing::Values(
        Case{"", 0}, Case{"abc", 0}, Case{"5", 5}, Case{"12abc", 12}, Case{"5\r\n", 5},
        Case{"  7", 7}, Case{"  42", 42}, Case{"-1", -1}, Case{"-1 ", 1}, Case{"-5", -5},
        Case{"-5x", 5}, Case{"12 ", 12}, Case{"$3F", 63}, Case{"x3F", 63}, Case{"X3f", 63},
        Case{"0x3F", 63}, Case{"0X3F", 63}, Case{"$1F", 31}, Case{"256", 256},
        Case{"26535", 26535}, Case{"+7", 7}, Case{"-$1F", 0}, Case{"-", 0}, Case{"$", 0},
        Case{"007", 7}, Case{"0", 0}, Case{"\t5", 0},
        // Digits stop once the value passes the limit; the text goes on, so no sign.
        Case{"99999999999", 999999999}, Case{"-99999999999", 999999999},
        // The last digit may wrap in 32-bit arithmetic, as the value was read.
        Case{"2147483647", 2147483647}, Case{"2147483648", INT32_MIN},
        Case{"-2147483648", INT32_MIN}, Case{"4294967295", 429496729}, Case{"$FFFFFFFF", -1},
        Case{"$7FFFFFFF", 2147483647}, Case{"$123456789", 0x12345678}));

}  // namespace
}  // namespace quibrano
