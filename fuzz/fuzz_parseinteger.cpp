// ParseInteger against the rules written out again in fuzz/referenceinteger.h.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzsupport.h"
#include "parseinteger.h"
#include "referenceinteger.h"

namespace {

void Compare(std::string_view text) {
  const int32_t got = quibrano::ParseInteger(text);
  const int32_t want = quibrano::fuzz::ReferenceParseInteger(text);
  if (got != want) {
    quibrano::fuzz::Fail(
        "ParseInteger differs from the rules",
        "text \"" + std::string(text) + "\": got " + std::to_string(got) + ", want " + std::to_string(want));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Compare(text);
  // Blanks in front change nothing, and a text cut short must still convert:
  // both reach the limit and sign rules from other starting points.
  Compare("   " + std::string(text));
  if (size > 1) Compare(text.substr(0, size / 2));
  return 0;
}
