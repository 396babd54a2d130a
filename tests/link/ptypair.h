// A pseudo-terminal whose master side the test holds, so it can see every
// byte the serial module writes and feed it bytes to read.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace quibrano {

class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    char name[128];
    if (ptsname_r(master_, name, sizeof name) == 0) slave_ = name;
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && !slave_.empty(); }
  const std::string& slave() const { return slave_; }
  int master() const { return master_; }

  void Send(const std::vector<unsigned char>& bytes) const {
    if (write(master_, bytes.data(), bytes.size()) < 0) return;
  }
  // Everything that arrives within waitMs of the last byte.
  std::vector<unsigned char> Receive(int waitMs = 100) const {
    std::vector<unsigned char> got;
    for (;;) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, waitMs) <= 0 || !(p.revents & POLLIN)) return got;
      unsigned char buf[256];
      const ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) return got;
      got.insert(got.end(), buf, buf + n);
    }
  }
  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slave_;
};

}  // namespace quibrano
