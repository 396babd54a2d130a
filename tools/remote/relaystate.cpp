#include "relaystate.h"

#include <charconv>

namespace quibrano {

std::string DescribeRelayWord(int word) {
  std::string text = std::to_string(word) + "  relays: ";
  for (int r = 0; r < 6; ++r) {
    if (r > 0) text += ", ";
    text += std::to_string(r + 1);
    text += (word >> r) & 1 ? " on" : " off";
  }
  text += (word >> 6) & 1 ? "; K1 open" : "; K1 closed";
  text += (word >> 7) & 1 ? ", K2 open" : ", K2 closed";
  return text;
}

std::optional<int> ParseRelayWord(std::string_view reply) {
  if (reply.empty() || reply.size() > 3) return std::nullopt;
  int value = 0;
  const auto [end, ec] = std::from_chars(reply.data(), reply.data() + reply.size(), value);
  if (ec != std::errc() || end != reply.data() + reply.size() || value < 0 || value > 255) return std::nullopt;
  return value;
}

}  // namespace quibrano
