#include "soaktexts.h"

#include <array>

namespace quibrano::soak {
namespace {

std::string HexDigits(uint32_t value, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), digits[value % 16]);
    value /= 16;
  } while (value != 0);
  return out;
}

uint32_t Below(std::mt19937& random, uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); }

}  // namespace

SetText SetTextFor(uint8_t value, uint32_t form) {
  const std::string decimal = std::to_string(value);
  switch (form % 10) {
    case 0: return {decimal, value};
    case 1: return {"-" + std::to_string(256 - value), value};  // low byte of -(256 - v) is v
    case 2: return {"$" + HexDigits(value, true), value};
    case 3: return {"0x" + HexDigits(value, false), value};
    case 4: return {"x" + HexDigits(value, true), value};
    case 5: return {"  " + decimal, value};
    case 6: return {decimal + "relays", value};
    case 7: return {std::to_string(value + 256 * 117), value};
    case 8: return {"-" + decimal + " ", value};  // text after the digits: the sign does not count
    default: return {"+" + decimal, value};
  }
}

std::string Junk(std::mt19937& random, const std::string& password) {
  std::string cleanPassword;
  for (const char c : password)
    if (c != kPasswordMark) cleanPassword.push_back(c);
  static const std::array<const char*, 12> kNearly = {
      "63", "-1", "$3F", "0x3f", "255", "Pass:", "Pass", "pass:", "repeat\r\n", "Repeat", "repeat ", "PA"};

  switch (Below(random, 10)) {
    case 0: return kNearly[Below(random, kNearly.size())];
    case 1: return "Pass:" + cleanPassword;
    case 2: return "Pass:" + cleanPassword + "\r\n";
    case 3: return std::string(kServerMessageBound + 1 + Below(random, 3000), 'j');
    default: {
      std::string junk(1 + Below(random, 80), ' ');
      for (char& c : junk) {
        do {
          c = static_cast<char>(Below(random, 256));
        } while (c == kPasswordMark);
      }
      return junk;
    }
  }
}

}  // namespace quibrano::soak
