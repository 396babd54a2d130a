#include "settingsfile.h"

#include <array>
#include <fstream>
#include <string>

#include "replacefile.h"
#include "store.h"

namespace quibrano {
namespace {

constexpr char kSettingsName[] = "relf.ini";
constexpr int kSettingsLines = 12;
constexpr int kLabels = 8;

}  // namespace

void ReadSettings(SettingsView& view) {
  // Bytes pass through untouched: no text mode, no re-encoding. A missing or
  // unreadable file gives twelve empty lines.
  std::ifstream in(kSettingsName, std::ios::binary);
  std::array<std::string, kSettingsLines> lines;
  for (std::string& line : lines) {
    if (!in || !std::getline(in, line)) {
      line.clear();
      continue;
    }
    const bool endedByLf = !in.eof();
    if (endedByLf && !line.empty() && line.back() == '\r') line.pop_back();
  }

  store.ConfigName = lines[0];
  store.Password = lines[1];
  store.RemotePort = lines[2];
  for (int i = 0; i < kLabels; ++i) view.SetLabelCaption(i, lines[3 + i]);
  // Last, so the switch's handling finds the port and password in place.
  view.SetRemoteSwitch(lines[11] != "0");
}

FileResult WriteSettings(const SettingsView& view) {
  // Only the bare name is kept, in the store too; "/" is left alone.
  std::string& name = store.ConfigName;
  if (const size_t slash = name.rfind('\\'); slash != std::string::npos) name.erase(0, slash + 1);

  std::string contents;
  auto line = [&contents](const std::string& text) {
    contents += text;
    contents += "\r\n";
  };
  line(name);
  line(view.DialogPassword());
  line(view.DialogPort());
  for (int i = 0; i < kLabels; ++i) line(view.LabelCaption(i));
  line(view.RemoteSwitch() ? "1" : "0");
  return ReplaceFile(kSettingsName, contents, FileAccess::OwnerOnly);
}

}  // namespace quibrano
