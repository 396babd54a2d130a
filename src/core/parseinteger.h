#pragma once

#include <cstdint>
#include <string_view>

namespace quibrano {

// The one text-to-integer conversion of the program (remote numbers, the
// remote port text, numbers typed into the editor). Never fails: the leading
// digits count, and a minus sign applies only when the text ends right after
// its digits. Decimal, or hexadecimal after "$", "x", "X" or "0x"/"0X".
int32_t ParseInteger(std::string_view text);

}  // namespace quibrano
