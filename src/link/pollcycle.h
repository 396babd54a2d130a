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
};

// The serial module as a BytePort.
BytePort& SerialBytePort();

// One tick of the poll cycle.
void PollTick(LinkView& view, BytePort& port = SerialBytePort());

}  // namespace quibrano
