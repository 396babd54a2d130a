// Hands out the values of the configuration file one by one: every byte up
// to code 32 before a value is skipped, the value is the run of bytes above
// 32, and the rest of its line is dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quibrano {

class ValueReader {
 public:
  // Longer runs are reported as TooLong rather than gathered without end.
  static constexpr size_t kMaxValueLength = 64 * 1024;

  enum class Status { Value, Missing, TooLong, ReadError };

  // Takes ownership of the open descriptor.
  explicit ValueReader(int fd);
  ~ValueReader();
  ValueReader(const ValueReader&) = delete;
  ValueReader& operator=(const ValueReader&) = delete;

  Status Next();
  // The text of the last Value.
  std::string_view Text() const { return text_; }
  // The errno of the last ReadError.
  int Error() const { return error_; }

 private:
  int Get();  // the next byte 0..255, or -1 at the end or after an error

  int fd_;
  char buffer_[16 * 1024];
  size_t pos_ = 0;
  size_t len_ = 0;
  bool ended_ = false;
  int error_ = 0;
  std::string text_;
};

}  // namespace quibrano
