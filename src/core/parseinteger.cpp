#include "parseinteger.h"

namespace quibrano {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int32_t ParseInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;

  bool negative = false;
  bool hex = false;
  if (i < text.size()) {
    const char c = text[i];
    if (c == '-') {
      negative = true;
      ++i;
    } else if (c == '+') {
      ++i;
    } else if (c == '$' || c == 'x' || c == 'X') {
      hex = true;
      ++i;
    } else if (c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
      hex = true;
      i += 2;
    }
  }

  // Digits are taken in 32-bit arithmetic: the last step may wrap, which is
  // done on unsigned values so that it is defined.
  uint32_t value = 0;
  if (hex) {
    while (i < text.size() && value <= 268435455u) {
      const int d = HexDigit(text[i]);
      if (d < 0) break;
      value = value * 16u + static_cast<uint32_t>(d);
      ++i;
    }
  } else {
    while (i < text.size() && value <= 214748364u && text[i] >= '0' && text[i] <= '9') {
      value = value * 10u + static_cast<uint32_t>(text[i] - '0');
      ++i;
    }
  }

  if (i == text.size() && negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

}  // namespace quibrano
