#include "valuereader.h"

#include <unistd.h>

#include <cerrno>

namespace quibrano {

ValueReader::ValueReader(int fd) : fd_(fd) {}

ValueReader::~ValueReader() { close(fd_); }

int ValueReader::Get() {
  if (pos_ < len_) return static_cast<unsigned char>(buffer_[pos_++]);
  if (ended_) return -1;
  for (;;) {
    const ssize_t n = read(fd_, buffer_, sizeof buffer_);
    if (n > 0) {
      len_ = static_cast<size_t>(n);
      pos_ = 1;
      return static_cast<unsigned char>(buffer_[0]);
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error_ = errno;
    ended_ = true;
    return -1;
  }
}

ValueReader::Status ValueReader::Next() {
  int c = Get();
  while (c >= 0 && c <= 32) c = Get();
  if (c < 0) return error_ != 0 ? Status::ReadError : Status::Missing;

  text_.clear();
  while (c > 32) {
    if (text_.size() == kMaxValueLength) return Status::TooLong;
    text_.push_back(static_cast<char>(c));
    c = Get();
  }
  if (c < 0 && error_ != 0) return Status::ReadError;
  // The value is whole; a read error while dropping the rest of its line
  // shows up at the next value.
  while (c >= 0 && c != '\n') c = Get();
  return Status::Value;
}

}  // namespace quibrano
