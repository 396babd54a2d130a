// What the file tests share: a private working folder per test, fakes of
// the window interfaces, the file layout written out independently of the
// code under test, and mounts for folders that even root cannot write.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "datetime.h"
#include "store.h"
#include "views.h"

namespace quibrano::testing {

namespace fs = std::filesystem;

// A fresh folder that is the current directory for the test's lifetime.
class TempFolder {
 public:
  TempFolder() : previous_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "quibrano-persist-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
    fs::current_path(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    fs::current_path(previous_, ec);
    // A test may have write-protected a folder; open them all up again.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (fs::recursive_directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec))
      if (it->is_directory(ec) && !it->is_symlink(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path previous_;
  fs::path path_;
};

// A tmpfs on a folder; ok() is false where the sandbox forbids mounting.
class TmpfsMount {
 public:
  TmpfsMount(const fs::path& at, std::string options) : at_(at), options_(std::move(options)) {
    fs::create_directories(at_);
    ok_ = mount("tmpfs", at_.c_str(), "tmpfs", 0, options_.c_str()) == 0;
  }
  ~TmpfsMount() {
    if (ok_) umount2(at_.c_str(), MNT_DETACH);
  }
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;

  bool ok() const { return ok_; }
  bool MakeReadOnly() {
    return mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options_.c_str()) == 0;
  }

 private:
  fs::path at_;
  std::string options_;
  bool ok_ = false;
};

inline std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Splits at CR LF; a missing final line end leaves a last piece.
inline std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(bytes.substr(start, end - start));
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

class FakeConfigView : public ConfigView {
 public:
  void SelectPortItem(int index) override { selected.push_back(index); }
  void RefreshEditor() override { ++refreshes; }
  std::vector<int> selected;
  int refreshes = 0;
};

class FakeSettingsView : public SettingsView {
 public:
  std::string LabelCaption(int i) const override { return captions.at(static_cast<size_t>(i)); }
  void SetLabelCaption(int i, const std::string& text) override {
    captions.at(static_cast<size_t>(i)) = text;
  }
  bool RemoteSwitch() const override { return remote; }
  void SetRemoteSwitch(bool on) override {
    if (on != remote) {
      ++handlerRuns;
      portSeenByHandler = store.RemotePort;
    }
    remote = on;
  }
  std::string DialogPort() const override { return port; }
  std::string DialogPassword() const override { return password; }

  std::vector<std::string> captions = std::vector<std::string>(8);
  bool remote = false;
  int handlerRuns = 0;
  std::string portSeenByHandler;
  std::string port;
  std::string password;
};

// The store entry of a configuration line (1-based), from the file layout;
// line 2 carries none.
using LineEntry = std::variant<std::monostate, int32_t*, double*>;
constexpr int kConfigLines = 314;

inline LineEntry EntryAt(int line) {
  if (line == 1) return &store.PortNumber;
  if (line == 2) return std::monostate{};
  if (line <= 110) return &store.IntTable[(line - 3) / 6][(line - 3) % 6];
  if (line <= 218) return &store.TimeTable[(line - 111) / 6][(line - 111) % 6];
  if (line <= 242) {
    SecondsTimerRecord& t = store.SecondsTimer[(line - 219) / 4];
    int32_t* fields[] = {&t.Repeat, &t.StartAfter, &t.EndAfter, &t.Elapsed};
    return fields[(line - 219) % 4];
  }
  const int w = (line - 243) % 3;
  const int r = (line - 243) / 3 % 6;
  if (line <= 260) return &store.RandomSel[r][w];
  if (line <= 278) return &store.MaxMinutes[r][w];
  if (line <= 296) return &store.WindowStart[r][w];
  return &store.WindowEnd[r][w];
}

inline bool IsRealLine(int line) { return std::holds_alternative<double*>(EntryAt(line)); }

// A value for every line: negative and large integers, the 32-bit ends,
// dates and times with milliseconds, some negative reals.
inline int32_t IntValue(int line) {
  if (line == 5) return INT32_MIN;
  if (line == 6) return INT32_MAX;
  return static_cast<int32_t>(line * 1'000'003 - 150'000'000);
}
inline double RealValue(int line) {
  const double v = EncodeDateTime({1990 + line % 40, 1 + line % 12, 1 + line % 28},
                                  {line % 24, line * 7 % 60, line * 13 % 60, line * 37 % 1000});
  return line % 7 == 0 ? -v : v;
}

// Other values everywhere, to show which entries a load leaves alone.
inline int32_t SentinelInt(int line) { return -line; }
inline double SentinelReal(int line) { return -line - 0.25; }

inline void FillStore(bool sentinel) {
  for (int line = 1; line <= kConfigLines; ++line) {
    LineEntry e = EntryAt(line);
    if (auto* i = std::get_if<int32_t*>(&e)) **i = sentinel ? SentinelInt(line) : IntValue(line);
    if (auto* d = std::get_if<double*>(&e)) **d = sentinel ? SentinelReal(line) : RealValue(line);
  }
}

}  // namespace quibrano::testing
