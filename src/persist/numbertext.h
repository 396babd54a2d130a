// The number texts of the configuration file, as the lenient reader takes
// them. The writers (RealText, IntegerText) are declared in configfile.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quibrano {

// An optional sign, then decimal digits or hexadecimal digits after "$",
// "x", "X", "0x" or "0X"; the whole text, within the signed 32-bit range.
// Anything else is malformed (nullopt).
std::optional<int32_t> ParseFileInteger(std::string_view text);

// An optional sign, digits with an optional "." and fraction, an optional
// exponent ("E" or "e", optional sign, at least one digit); the whole text.
// A value too large for a double is malformed; one too small for it reads
// as zero.
std::optional<double> ParseFileReal(std::string_view text);

}  // namespace quibrano
