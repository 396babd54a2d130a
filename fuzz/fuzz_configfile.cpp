// The configuration reader on any bytes, held against the file rules written
// out here: which values it takes, which one stops it, what lands in the
// store. Then whatever store a load produced must survive SaveConfig and
// LoadConfig unchanged, and a second save must write the same bytes.
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "configfile.h"
#include "fuzzsupport.h"
#include "referenceinteger.h"
#include "store.h"
#include "views.h"

namespace {

using namespace quibrano;
using fuzz::Check;

constexpr int kLines = 314;
constexpr size_t kLongestValue = 64 * 1024;
const char kMalformed[] = "Ungültige numerische Eingabe";

// The store entry of a line (1-based), from the file layout; line 2 has none.
struct Slot {
  int32_t* integer = nullptr;
  double* real = nullptr;
};

Slot SlotOf(int line) {
  auto perWindow = [](int first, int line) { return std::pair{(line - first) / 3, (line - first) % 3}; };
  if (line == 1) return {&store.PortNumber, nullptr};
  if (line == 2) return {};
  if (line <= 110) return {&store.IntTable[(line - 3) / 6][(line - 3) % 6], nullptr};
  if (line <= 218) return {nullptr, &store.TimeTable[(line - 111) / 6][(line - 111) % 6]};
  if (line <= 242) {
    SecondsTimerRecord& t = store.SecondsTimer[(line - 219) / 4];
    int32_t* fields[] = {&t.Repeat, &t.StartAfter, &t.EndAfter, &t.Elapsed};
    return {fields[(line - 219) % 4], nullptr};
  }
  if (line <= 260) {
    const auto [r, w] = perWindow(243, line);
    return {&store.RandomSel[r][w], nullptr};
  }
  if (line <= 278) {
    const auto [r, w] = perWindow(261, line);
    return {&store.MaxMinutes[r][w], nullptr};
  }
  if (line <= 296) {
    const auto [r, w] = perWindow(279, line);
    return {nullptr, &store.WindowStart[r][w]};
  }
  const auto [r, w] = perWindow(297, line);
  return {nullptr, &store.WindowEnd[r][w]};
}

bool IsRealLine(int line) { return (line >= 111 && line <= 218) || line >= 279; }

// Values the reader never produces from short inputs, so an entry it wrongly
// leaves alone, or wrongly touches, shows.
void FillSentinels() {
  for (int line = 1; line <= kLines; ++line) {
    const Slot s = SlotOf(line);
    if (s.integer) *s.integer = -line;
    if (s.real) *s.real = -line - 0.25;
  }
}

struct Entry {
  int64_t integer = 0;
  double real = 0.0;
};

std::vector<Entry> Snapshot() {
  std::vector<Entry> entries(kLines + 1);
  for (int line = 1; line <= kLines; ++line) {
    const Slot s = SlotOf(line);
    if (s.integer) entries[line].integer = *s.integer;
    if (s.real) entries[line].real = *s.real;
  }
  return entries;
}

// The values of a file: skip every byte up to code 32, take the run above 32,
// drop the rest of its line.
std::vector<std::string_view> Values(std::string_view bytes) {
  std::vector<std::string_view> values;
  size_t i = 0;
  auto blank = [&bytes](size_t k) { return static_cast<unsigned char>(bytes[k]) <= 32; };
  while (values.size() < static_cast<size_t>(kLines)) {
    while (i < bytes.size() && blank(i)) ++i;
    if (i == bytes.size()) break;
    const size_t start = i;
    while (i < bytes.size() && !blank(i)) ++i;
    values.push_back(bytes.substr(start, i - start));
    while (i < bytes.size() && bytes[i] != '\n') ++i;
  }
  return values;
}

std::optional<int32_t> IntegerOf(std::string_view t) {
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  int64_t base = 10;
  if (t.starts_with("0x") || t.starts_with("0X")) {
    base = 16;
    t.remove_prefix(2);
  } else if (!t.empty() && (t[0] == '$' || t[0] == 'x' || t[0] == 'X')) {
    base = 16;
    t.remove_prefix(1);
  }
  if (t.empty()) return std::nullopt;
  int64_t v = 0;
  for (const char c : t) {
    const int d = fuzz::DigitInBase(c, base);
    if (d < 0) return std::nullopt;
    v = v * base + d;
    if (v > (int64_t{1} << 31)) return std::nullopt;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(v);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Sign, digits with an optional "." and fraction, optional exponent; the
// value by the C library (this process never leaves the "C" locale).
std::optional<double> RealOf(std::string_view t) {
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  size_t digits = 0;
  for (; i < t.size() && IsDigit(t[i]); ++i) ++digits;
  if (i < t.size() && t[i] == '.')
    for (++i; i < t.size() && IsDigit(t[i]); ++i) ++digits;
  if (digits == 0) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t exponentDigits = 0;
    for (; i < t.size() && IsDigit(t[i]); ++i) ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  const std::string text(t);
  const double v = std::strtod(text.c_str(), nullptr);
  if (std::isinf(v)) return std::nullopt;
  return v;
}

// A value below the normal range may read as zero.
bool SameReal(double got, double want) {
  if (got == want) return true;
  return std::fabs(want) < DBL_MIN && got == 0.0;
}

class RecordingView : public ConfigView {
 public:
  void SelectPortItem(int index) override { selected.push_back(index); }
  void RefreshEditor() override { ++refreshes; }
  std::vector<int> selected;
  int refreshes = 0;
};

int PortItem(int32_t portNumber) { return portNumber >= 1 && portNumber <= 8 ? portNumber - 1 : -1; }

std::string Line(int line) { return "line " + std::to_string(line); }

void CheckFirstLoad(std::string_view bytes, const FileResult& result, const RecordingView& view) {
  const std::vector<std::string_view> values = Values(bytes);
  int failing = 0;  // the line whose value stops the read; 0 for none
  std::vector<Entry> want(kLines + 1);
  for (int line = 1; line <= kLines; ++line) {
    if (failing != 0) {
      want[line] = {-line, -line - 0.25};
      continue;
    }
    if (static_cast<size_t>(line) > values.size()) continue;  // missing: 0
    const std::string_view text = values[static_cast<size_t>(line) - 1];
    if (text.size() > kLongestValue) {
      failing = line;
    } else if (IsRealLine(line)) {
      const auto v = RealOf(text);
      if (v)
        want[line].real = *v;
      else
        failing = line;
    } else {
      const auto v = IntegerOf(text);
      if (v)
        want[line].integer = *v;
      else
        failing = line;
    }
  }

  if (failing != 0) {
    Check(result.has_value() && result->text == kMalformed, "a malformed value is reported", Line(failing));
    Check(view.refreshes == 0, "no refresh after a malformed value");
  } else {
    Check(!result.has_value(), "the load succeeds", result ? result->text : "");
    Check(view.refreshes == 1, "one refresh after the load");
  }
  if (failing == 1) {
    Check(view.selected.empty(), "no port item before line 1 is read");
  } else {
    Check(view.selected.size() == 1 && view.selected[0] == PortItem(store.PortNumber), "the port item follows line 1");
  }

  for (int line = 1; line <= kLines; ++line) {
    if (line == failing) continue;  // what a malformed entry holds is left open
    const Slot s = SlotOf(line);
    if (s.integer && *s.integer != want[line].integer)
      fuzz::Fail("integer entry", Line(line) + " got " + std::to_string(*s.integer) + ", stopped at " + Line(failing));
    if (s.real && !SameReal(*s.real, want[line].real))
      fuzz::Fail("real entry", Line(line) + " got " + RealText(*s.real) + " want " + RealText(want[line].real) +
                                   ", stopped at " + Line(failing));
  }
}

void CheckSavedLayout(const std::string& bytes, const std::vector<Entry>& entries) {
  size_t start = 0;
  for (int line = 1; line <= kLines; ++line) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) fuzz::Fail("every line ends in CR LF", Line(line));
    const std::string_view text(bytes.data() + start, end - start);
    start = end + 2;
    if (IsRealLine(line)) {
      const bool laidOut = text.size() == 23 && (text[0] == ' ' || text[0] == '-') && text[2] == '.' &&
                           text[17] == 'E' && (text[18] == '+' || text[18] == '-');
      if (!laidOut) fuzz::Fail("real text layout", Line(line) + " \"" + std::string(text) + "\"");
      if ((text[0] == '-') != (entries[line].real < 0)) fuzz::Fail("sign of the real text", Line(line));
    } else {
      const int64_t want = line == 2 ? 0 : entries[line].integer;
      if (text != std::to_string(want)) fuzz::Fail("integer text", Line(line) + " \"" + std::string(text) + "\"");
    }
  }
  Check(start == bytes.size(), "nothing after the last line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string folder = fuzz::ScratchFolder();
  const std::string input = folder + "/input.dat";
  const std::string saved = folder + "/saved.dat";
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzz::WriteWhole(input, bytes);

  ResetStore();
  FillSentinels();
  store.ConfigName = input;
  RecordingView first;
  const FileResult loaded = LoadConfig(first);
  CheckFirstLoad(bytes, loaded, first);

  // Whatever the load left in the store, complete or not, is a store.
  const std::vector<Entry> before = Snapshot();
  store.ConfigName = saved;
  const FileResult save1 = SaveConfig();
  Check(!save1.has_value(), "the save succeeds", save1 ? save1->text : "");
  const std::string written = fuzz::ReadWhole(saved);
  CheckSavedLayout(written, before);

  FillSentinels();
  RecordingView second;
  const FileResult reloaded = LoadConfig(second);
  Check(!reloaded.has_value(), "a saved file loads", reloaded ? reloaded->text : "");
  const std::vector<Entry> after = Snapshot();
  for (int line = 1; line <= kLines; ++line) {
    if (IsRealLine(line)) {
      const double a = before[line].real;
      const double b = after[line].real;
      if (RealText(a) != RealText(b)) fuzz::Fail("a real comes back with its 15 digits", Line(line));
      if (std::fabs(a - b) > std::fabs(a) * 1e-14 + DBL_TRUE_MIN) fuzz::Fail("a real comes back close", Line(line));
    } else if (before[line].integer != after[line].integer) {
      fuzz::Fail("an integer comes back", Line(line));
    }
  }

  const FileResult save2 = SaveConfig();
  Check(!save2.has_value(), "the second save succeeds");
  Check(fuzz::ReadWhole(saved) == written, "a second save writes the same bytes");
  return 0;
}
