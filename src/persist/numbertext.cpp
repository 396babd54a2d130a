#include "numbertext.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "configfile.h"

namespace quibrano {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c, int base) {
  if (IsDigit(c)) return c - '0';
  if (base == 16) {
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  }
  return -1;
}

constexpr uint64_t kTenTo14 = 100'000'000'000'000;
constexpr uint64_t kTenTo15 = 1'000'000'000'000'000;
// The largest 15-digit mantissa at exponent 308 that still reads back as a
// double; the value above it rounds up past the largest double.
constexpr uint64_t kLargestReadable = 179'769'313'486'231;

}  // namespace

std::optional<int32_t> ParseFileInteger(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  const std::string_view rest = text.substr(i);
  if (rest.starts_with("0x") || rest.starts_with("0X")) {
    base = 16;
    i += 2;
  } else if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    base = 16;
    ++i;
  }
  if (i == text.size()) return std::nullopt;

  // The magnitude stays below 2^36, so it never overflows 64 bits.
  const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int d = DigitValue(text[i], base);
    if (d < 0) return std::nullopt;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::optional<double> ParseFileReal(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const size_t mantissa = i;

  // The decimal position of the first significant digit, to tell an
  // overflow from an underflow when the conversion reports either.
  int64_t leadingDigits = 0;
  bool anyDigit = false;
  bool significant = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    anyDigit = true;
    if (text[i] != '0') significant = true;
    if (significant) ++leadingDigits;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      anyDigit = true;
      if (text[i] != '0') significant = true;
      if (!significant) --leadingDigits;
    }
  }
  if (!anyDigit) return std::nullopt;

  int64_t exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      negativeExponent = text[i] == '-';
      ++i;
    }
    if (i == text.size() || !IsDigit(text[i])) return std::nullopt;
    for (; i < text.size() && IsDigit(text[i]); ++i)
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[i] - '0');
    if (negativeExponent) exponent = -exponent;
  }
  if (i != text.size()) return std::nullopt;

  double value = 0.0;
  const char* first = text.data() + mantissa;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    if (exponent + leadingDigits > 0) return std::nullopt;
    value = 0.0;
  } else if (ec != std::errc{} || end != last || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::string IntegerText(int32_t value) {
  char buf[16];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

std::string RealText(double value) {
  // Nothing the program stores is infinite or NaN; should such a value turn
  // up, it is written as a number that reads back rather than as a text that
  // would stop every later load.
  if (std::isnan(value)) value = 0.0;
  const double limit = std::numeric_limits<double>::max();
  if (value > limit) value = limit;
  if (value < -limit) value = -limit;

  // Every double has at most 767 significant decimal digits, so this many
  // digits after the point show its exact value; the rounding is then ours.
  char buf[1024];
  const auto exact =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 780);
  const std::string_view digits(buf, static_cast<size_t>(exact.ptr - buf));
  const size_t e = digits.find('e');

  uint64_t m = static_cast<uint64_t>(digits[0] - '0');
  for (size_t k = 2; k < 16; ++k) m = m * 10 + static_cast<uint64_t>(digits[k] - '0');
  int exponent = 0;
  std::from_chars(digits.data() + e + (digits[e + 1] == '+' ? 2 : 1), digits.data() + digits.size(),
                  exponent);
  if (digits[16] >= '5') {
    ++m;
    if (m == kTenTo15) {
      m = kTenTo14;
      ++exponent;
    }
  }
  if (exponent == 308 && m > kLargestReadable) m = kLargestReadable;
  if (m == 0) exponent = 0;

  std::string out(23, '0');
  out[0] = value < 0 ? '-' : ' ';
  for (int k = 15; k >= 1; --k) {
    out[static_cast<size_t>(k < 2 ? k : k + 1)] = static_cast<char>('0' + m % 10);
    m /= 10;
  }
  out[2] = '.';
  out[17] = 'E';
  out[18] = exponent < 0 ? '-' : '+';
  int magnitude = exponent < 0 ? -exponent : exponent;
  for (size_t k = 22; k >= 19; --k) {
    out[k] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  return out;
}

}  // namespace quibrano
