// A fresh working folder for a controller under measurement: its relf.ini and
// its configuration, removed again afterwards (kept with BENCH_KEEP=1).
#pragma once

#include <string>

namespace quibrano::bench {

struct SettingsLines {
  std::string configName = "bench.dat";
  std::string password;
  std::string port = "26535";
  bool remoteOn = false;
};

class WorkFolder {
 public:
  WorkFolder();
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  // Empty when the folder could not be made.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  // relf.ini: the twelve lines the controller reads at start-up.
  bool WriteSettings(const SettingsLines& lines, std::string* error) const;
  // The store's programs as configuration `name`, written by the
  // controller's own configuration writer.
  bool WriteConfig(const std::string& name, std::string* error) const;

 private:
  std::string path_;
};

}  // namespace quibrano::bench
