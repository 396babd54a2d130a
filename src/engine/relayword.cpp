#include "relayword.h"

#include <optional>

#include "store.h"

namespace quibrano {
namespace {

// Only bits 0-5 are relays; 6 and 7 belong to the poll cycle's input bits,
// and an index past the relays must not shift into them (or past the word).
std::optional<uint8_t> RelayBit(uint8_t r) {
  if (r >= kRelays) return std::nullopt;
  return static_cast<uint8_t>(1u << r);
}

// The wanted state of a relay in an input mode, or nothing for every other
// mode, so a mode outside the list leaves its relay alone.
std::optional<bool> InputRule(int32_t mode, bool k1, bool k2) {
  switch (mode) {
    case IfK1: return k1;
    case IfK2: return k2;
    case IfK1AndK2: return k1 && k2;
    case IfK1OrK2: return k1 || k2;
    case IfK1NorK2: return !(k1 || k2);
    case IfK1XorK2: return k1 != k2;
    default: return std::nullopt;
  }
}

}  // namespace

void SetRelay(uint8_t r) {
  if (const auto bit = RelayBit(r)) store.RelayWord = static_cast<uint8_t>(store.RelayWord | *bit);
}

void ClearRelay(uint8_t r) {
  if (const auto bit = RelayBit(r)) store.RelayWord = static_cast<uint8_t>(store.RelayWord & ~*bit);
}

void ToggleRelay(uint8_t r) {
  if (RelayIsOn(r))
    ClearRelay(r);
  else
    SetRelay(r);
}

bool RelayIsOn(uint8_t r) {
  const auto bit = RelayBit(r);
  return bit && (store.RelayWord & *bit) != 0;
}

void EvaluateInputLogic() {
  // Both contacts are read once, so all six relays judge the same pair.
  const bool k1 = store.K1Closed;
  const bool k2 = store.K2Closed;
  for (uint8_t r = 0; r < kRelays; ++r) {
    const auto on = InputRule(Modes(r), k1, k2);
    if (!on) continue;
    if (*on)
      SetRelay(r);
    else
      ClearRelay(r);
  }
}

}  // namespace quibrano
