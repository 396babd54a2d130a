// The texts the soak clients send: sets in every number form the server
// takes, with their value known by construction, and junk.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace quibrano::soak {

// Junk never holds this character and the password always does, so no run
// of junk messages, however the network joins them, is ever a login.
constexpr char kPasswordMark = '~';

struct SetText {
  std::string text;
  uint8_t value = 0;  // the low byte the server must take from text
};

// value written in form (any number; taken modulo the forms there are):
// decimal, negative, "$", "0x" and "x" hexadecimal, leading blanks,
// trailing words, a larger number with the same low byte, a sign that
// does not count, a plus sign.
SetText SetTextFor(uint8_t value, uint32_t form);

// A message of junk: random bytes, numbers and login attempts sent without
// a login, texts that are nearly commands, now and then one over the
// server's size bound.
std::string Junk(std::mt19937& random, const std::string& password);

// The longest message the server takes; longer ones close the connection.
constexpr size_t kServerMessageBound = 4095;

}  // namespace quibrano::soak
