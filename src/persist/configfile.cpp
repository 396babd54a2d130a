#include "configfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <type_traits>
#include <variant>
#include <vector>

#include "numbertext.h"
#include "replacefile.h"
#include "store.h"
#include "valuereader.h"

namespace quibrano {
namespace {

constexpr size_t kConfigLines = 314;
const char kMalformed[] = "Ungültige numerische Eingabe";

// Line 2: always written as 0, read as an integer and dropped.
struct DroppedInteger {};
using Entry = std::variant<int32_t*, double*, DroppedInteger>;

// Every line of the file, in file order, as the store entry it carries.
std::vector<Entry> FileOrder() {
  std::vector<Entry> entries;
  entries.reserve(kConfigLines);
  entries.emplace_back(&store.PortNumber);
  entries.emplace_back(DroppedInteger{});
  for (auto& row : store.IntTable)
    for (auto& value : row) entries.emplace_back(&value);
  for (auto& row : store.TimeTable)
    for (auto& value : row) entries.emplace_back(&value);
  for (auto& t : store.SecondsTimer) {
    entries.emplace_back(&t.Repeat);
    entries.emplace_back(&t.StartAfter);
    entries.emplace_back(&t.EndAfter);
    entries.emplace_back(&t.Elapsed);
  }
  for (auto* table : {&store.RandomSel, &store.MaxMinutes})
    for (auto& row : *table)
      for (auto& value : row) entries.emplace_back(&value);
  for (auto* table : {&store.WindowStart, &store.WindowEnd})
    for (auto& row : *table)
      for (auto& value : row) entries.emplace_back(&value);
  return entries;
}

// The port list has the items COM1..COM8; any other number selects none.
int PortItemIndex(int32_t portNumber) {
  const int64_t index = int64_t{portNumber} - 1;
  return index >= 0 && index <= 7 ? static_cast<int>(index) : -1;
}

// Stores one value; false when its text is not a number of the entry's kind.
bool StoreValue(const Entry& entry, std::string_view text) {
  return std::visit(
      [text](auto target) {
        using T = decltype(target);
        if constexpr (std::is_same_v<T, double*>) {
          const auto value = ParseFileReal(text);
          if (value) *target = *value;
          return value.has_value();
        } else {
          const auto value = ParseFileInteger(text);
          if constexpr (std::is_same_v<T, int32_t*>) {
            if (value) *target = *value;
          }
          return value.has_value();
        }
      },
      entry);
}

void StoreMissing(const Entry& entry) {
  std::visit(
      [](auto target) {
        if constexpr (!std::is_same_v<decltype(target), DroppedInteger>) *target = 0;
      },
      entry);
}

}  // namespace

FileResult LoadConfig(ConfigView& view) {
  int fd = open(store.ConfigName.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    close(fd);
    fd = -1;
  }
  if (fd < 0) {
    SetConfigDefaults();
    view.RefreshEditor();
    return std::nullopt;
  }

  ValueReader reader(fd);
  const std::vector<Entry> entries = FileOrder();
  bool ended = false;
  for (size_t line = 0; line < entries.size(); ++line) {
    const Entry& entry = entries[line];
    if (!ended) {
      switch (reader.Next()) {
        case ValueReader::Status::Value:
          if (!StoreValue(entry, reader.Text())) return FileError{kMalformed};
          break;
        case ValueReader::Status::TooLong:
          return FileError{kMalformed};
        case ValueReader::Status::ReadError:
          return IoError(reader.Error());
        case ValueReader::Status::Missing:
          ended = true;
          break;
      }
    }
    if (ended) StoreMissing(entry);
    if (line == 0) view.SelectPortItem(PortItemIndex(store.PortNumber));
  }
  view.RefreshEditor();
  return std::nullopt;
}

FileResult SaveConfig() {
  std::string contents;
  contents.reserve(kConfigLines * 25);
  for (const Entry& entry : FileOrder()) {
    std::visit(
        [&contents](auto source) {
          using T = decltype(source);
          if constexpr (std::is_same_v<T, double*>)
            contents += RealText(*source);
          else if constexpr (std::is_same_v<T, int32_t*>)
            contents += IntegerText(*source);
          else
            contents += '0';
        },
        entry);
    contents += "\r\n";
  }
  return ReplaceFile(store.ConfigName, contents, FileAccess::Shared);
}

}  // namespace quibrano
