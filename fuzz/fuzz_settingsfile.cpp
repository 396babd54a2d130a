// The settings reader on any bytes, held against the line rules written out
// here; then WriteSettings and ReadSettings must give back the same lines.
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzsupport.h"
#include "settingsfile.h"
#include "store.h"
#include "views.h"

namespace {

using namespace quibrano;
using fuzz::Check;

constexpr int kLines = 12;
using Lines = std::array<std::string, kLines>;

// Lines end at LF, a CR right before it belongs to the line end; after the
// last line every further line is empty.
Lines SplitLines(std::string_view bytes) {
  Lines lines;
  for (std::string& line : lines) {
    if (bytes.empty()) break;
    const size_t lf = bytes.find('\n');
    if (lf == std::string_view::npos) {
      line = bytes;
      bytes = {};
      break;
    }
    std::string_view text = bytes.substr(0, lf);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    line = text;
    bytes.remove_prefix(lf + 1);
  }
  return lines;
}

// The main window as the settings file sees it; the dialog fields hold what
// the store holds, as they do from start-up on.
class Window : public SettingsView {
 public:
  std::string LabelCaption(int i) const override { return captions.at(static_cast<size_t>(i)); }
  void SetLabelCaption(int i, const std::string& text) override { captions.at(static_cast<size_t>(i)) = text; }
  bool RemoteSwitch() const override { return remote; }
  void SetRemoteSwitch(bool on) override {
    if (on != remote) ++switchRuns;
    remote = on;
  }
  std::string DialogPort() const override { return store.RemotePort; }
  std::string DialogPassword() const override { return store.Password; }

  std::array<std::string, 8> captions;
  bool remote = false;
  int switchRuns = 0;
};

void CheckRead(const Lines& want, const Window& window, const char* when) {
  Check(store.ConfigName == want[0], when, "configuration name");
  Check(store.Password == want[1], when, "password");
  Check(store.RemotePort == want[2], when, "port");
  for (size_t i = 0; i < 8; ++i) Check(window.captions[i] == want[3 + i], when, "label");
  Check(window.remote == (want[11] != "0"), when, "remote switch");
  Check(window.switchRuns == (window.remote ? 1 : 0), when, "the switch handling runs once per change");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // relf.ini always lives in the current directory.
  if (chdir(fuzz::ScratchFolder().c_str()) != 0) fuzz::Fail("chdir");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzz::WriteWhole("relf.ini", bytes);

  ResetStore();
  Window first;
  ReadSettings(first);
  Lines want = SplitLines(bytes);
  CheckRead(want, first, "first read:");

  const FileResult written = WriteSettings(first);
  Check(!written.has_value(), "the write succeeds", written ? written->text : "");
  // Only the bare name is kept (after the last backslash), and the switch is
  // written as "1" or "0".
  if (const size_t slash = want[0].rfind('\\'); slash != std::string::npos) want[0].erase(0, slash + 1);
  want[11] = first.remote ? "1" : "0";
  Check(store.ConfigName == want[0], "the store keeps the bare name");

  std::string expected;
  for (const std::string& line : want) expected += line + "\r\n";
  Check(fuzz::ReadWhole("relf.ini") == expected, "twelve lines, each ended by CR LF");
  struct stat st {};
  Check(stat("relf.ini", &st) == 0 && (st.st_mode & 0777) == 0600, "the settings file is the owner's only");

  ResetStore();
  Window second;
  ReadSettings(second);
  CheckRead(want, second, "read after write:");
  return 0;
}
