#include "workfolder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "benchenv.h"
#include "configfile.h"
#include "store.h"

namespace quibrano::bench {

WorkFolder::WorkFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/quibrano-bench-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

WorkFolder::~WorkFolder() {
  if (path_.empty()) return;
  if (EnvInt("BENCH_KEEP", 0) == 1) {
    Say("kept " + path_);
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool WorkFolder::WriteSettings(const SettingsLines& lines, std::string* error) const {
  const std::string labels[8] = {"REL 1", "REL 2", "REL 3", "REL 4", "REL 5", "REL 6", "K1", "K2"};
  std::ofstream out(File("relf.ini"), std::ios::binary | std::ios::trunc);
  out << lines.configName << "\r\n" << lines.password << "\r\n" << lines.port << "\r\n";
  for (const auto& label : labels) out << label << "\r\n";
  out << (lines.remoteOn ? "1" : "0") << "\r\n";
  out.close();
  if (!out) {
    *error = "cannot write " + File("relf.ini") + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool WorkFolder::WriteConfig(const std::string& name, std::string* error) const {
  const std::string kept = store.ConfigName;
  store.ConfigName = File(name);
  const FileResult result = SaveConfig();
  store.ConfigName = kept;
  if (result) {
    *error = "cannot write " + File(name) + ": " + result->text;
    return false;
  }
  return true;
}

}  // namespace quibrano::bench
