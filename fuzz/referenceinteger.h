// The remote number rules written out a second time, step by step and in
// 64-bit arithmetic, so the fuzzers can hold ParseInteger against them.
#pragma once

#include <cstdint>
#include <string_view>

namespace quibrano::fuzz {

inline int DigitInBase(char c, int64_t base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

inline int32_t ReferenceParseInteger(std::string_view text) {
  std::string_view rest = text;
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);

  bool minus = false;
  int64_t base = 10;
  if (!rest.empty()) {
    const char c = rest.front();
    if (c == '-' || c == '+') {
      minus = c == '-';
      rest.remove_prefix(1);
    } else if (c == '$' || c == 'x' || c == 'X') {
      base = 16;
      rest.remove_prefix(1);
    } else if (c == '0' && rest.size() >= 2 && (rest[1] == 'x' || rest[1] == 'X')) {
      base = 16;
      rest.remove_prefix(2);
    }
  }

  // A digit is taken only while the value so far is within the limit.
  const int64_t limit = base == 16 ? 268435455 : 214748364;
  int64_t value = 0;
  size_t taken = 0;
  while (taken < rest.size()) {
    const int d = DigitInBase(rest[taken], base);
    if (d < 0 || value > limit) break;
    value = value * base + d;
    ++taken;
  }

  const bool endsAfterDigits = taken == rest.size();
  int64_t result = endsAfterDigits && minus ? -value : value;
  // 32-bit arithmetic: the residue modulo 2^32, read as two's complement.
  constexpr int64_t kTwoTo32 = int64_t{1} << 32;
  result = ((result % kTwoTo32) + kTwoTo32) % kTwoTo32;
  if (result >= kTwoTo32 / 2) result -= kTwoTo32;
  return static_cast<int32_t>(result);
}

}  // namespace quibrano::fuzz
