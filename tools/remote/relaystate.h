// The relay word in words, as the command-line remote prints it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quibrano {

// "195  relays: 1 on, 2 on, 3 off, 4 off, 5 off, 6 off; K1 open, K2 open".
// Bits 0-5 are relays 1-6 (1 = on), bits 6 and 7 the contacts K1 and K2
// (1 = open).
std::string DescribeRelayWord(int word);

// The relay word from a "repeat" reply: plain decimal 0..255, nothing else.
std::optional<int> ParseRelayWord(std::string_view reply);

}  // namespace quibrano
