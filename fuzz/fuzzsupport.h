// What the fuzz targets share: a failed check that libFuzzer sees as a crash,
// a private scratch folder, and whole-file reads and writes.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace quibrano::fuzz {

// Aborts with the reason, so the input is kept as a crash artifact.
[[noreturn]] inline void Fail(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "fuzz check failed: %s %s\n", what, detail.c_str());
  std::fflush(stderr);
  abort();
}

inline void Check(bool ok, const char* what, const std::string& detail = {}) {
  if (!ok) Fail(what, detail);
}

// A folder of this process's own, on a memory file system where there is
// one: the file code syncs every save, which on a disk would make each run
// cost milliseconds. It goes when the process ends normally.
inline const std::string& ScratchFolder() {
  // Never destroyed, so the clean-up at exit can still read it.
  static const std::string* const folder = [] {
    const char* const bases[] = {"/dev/shm", getenv("TMPDIR"), "/tmp"};
    for (const char* base : bases) {
      if (base == nullptr) continue;
      std::string pattern = std::string(base) + "/quibrano-fuzz-XXXXXX";
      if (mkdtemp(pattern.data()) == nullptr) continue;
      std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(ScratchFolder(), ignored);
      });
      return new std::string(pattern);
    }
    Fail("no scratch folder");
  }();
  return *folder;
}

inline void WriteWhole(const std::string& path, std::string_view bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  Check(fd >= 0, "open for writing", path);
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    Check(n > 0, "write", path);
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  close(fd);
}

inline std::string ReadWhole(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  Check(fd >= 0, "open for reading", path);
  std::string bytes;
  char buf[8192];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) bytes.append(buf, static_cast<size_t>(n));
  close(fd);
  return bytes;
}

}  // namespace quibrano::fuzz
