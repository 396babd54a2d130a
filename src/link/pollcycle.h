// The 50 ms conversation with the board (Timer1Timer's logic).
#pragma once

#include <cstdint>

#include "views.h"

namespace quibrano {

// Where the poll cycle's bytes go: the serial module in the program, a
// scripted source in tests.
class BytePort {
 public:
  virtual ~BytePort() = default;
  virtual void WriteByte(int32_t value) = 0;
  virtual int32_t ReadByte() = 0;
  // A monotonic clock in milliseconds for the drain's time bound; scripted
  // ports in tests give their own, so the bound is tested without waiting.
  virtual int64_t NowMs();
};

// One tick drains at most this many bytes and stops starting reads after
// this long, so a device that sends without pause cannot hold the window;
// what is left waits for the next tick.
constexpr int kDrainMaxBytes = 64;
constexpr int64_t kDrainMaxMs = 30;

// The serial module as a BytePort.
BytePort& SerialBytePort();

// One tick of the poll cycle.
void PollTick(LinkView& view, BytePort& port = SerialBytePort());

}  // namespace quibrano
