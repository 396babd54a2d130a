#include "replacefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

namespace quibrano {
namespace {

// A symbolic link is followed, so the file it names is replaced and the
// link stays, as writing in place would have done.
std::string ResolveTarget(const std::string& name) {
  struct stat st {};
  if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
  char resolved[PATH_MAX];
  if (realpath(name.c_str(), resolved) == nullptr) return name;
  return resolved;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A name nobody else is likely to use; O_EXCL settles the rest.
std::string TemporaryName(const std::string& folder) {
  static uint64_t state = 0;
  if (state == 0) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    state = (static_cast<uint64_t>(ts.tv_nsec) << 20) ^ static_cast<uint64_t>(ts.tv_sec) ^
            (static_cast<uint64_t>(getpid()) << 40) ^ 0x9e3779b97f4a7c15ull;
  }
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  static const char kHex[] = "0123456789abcdef";
  std::string name = folder + "/.quibrano-";
  for (int k = 0; k < 12; ++k) name.push_back(kHex[(state >> (4 * k)) & 15]);
  return name + ".tmp";
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

FileError IoError(int code) { return FileError{"E/A-Fehler " + std::to_string(code)}; }

FileResult ReplaceFile(const std::string& name, std::string_view contents, FileAccess access) {
  if (name.empty()) return IoError(kCannotCreate);
  const std::string target = ResolveTarget(name);

  // Only a regular file is replaced: renaming over a folder fails late, and
  // renaming over a device or pipe would swap the node itself.
  struct stat old {};
  const bool exists = stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return IoError(kCannotCreate);

  const std::string folder = FolderOf(target);
  const mode_t createMode = access == FileAccess::OwnerOnly ? 0600 : 0666;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryName(folder);
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return IoError(kCannotCreate);

  auto fail = [&](int code) {
    if (fd >= 0) close(fd);
    unlink(temporary.c_str());
    return IoError(code);
  };

  if (access == FileAccess::OwnerOnly) {
    if (fchmod(fd, 0600) != 0) return fail(errno);
  } else if (exists) {
    // Best effort: a file the user opened up for others stays so.
    (void)fchmod(fd, old.st_mode & 07777);
  }
  if (!WriteAll(fd, contents)) return fail(errno);
  if (fsync(fd) != 0) return fail(errno);
  const int closed = close(fd);
  fd = -1;
  if (closed != 0) return fail(errno);
  if (rename(temporary.c_str(), target.c_str()) != 0) return fail(errno);

  // The rename itself reaches the disk with the folder; a failure here no
  // longer puts the new contents at risk.
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)fsync(dir);
    close(dir);
  }
  return std::nullopt;
}

}  // namespace quibrano
