// The program's one connection to the relay board: open, close, and single
// bytes with short time-outs. Never raises; nothing here knows the protocol.
#pragma once

#include <cstdint>
#include <string>

namespace quibrano {

// 0 when no device is held; otherwise the open handle (a failed open
// leaves the invalid value -1 here until the next OpenPort or ClosePort).
extern intptr_t PortHandle;

// Opens the device named by the first four characters of spec (case
// insensitive: "Com1", "COM1"), 1200 baud 8N1, raw, no flow control,
// DTR and RTS inactive. COMn maps to $QUIBRANO_COMn when set, else to
// /dev/ttyS<n-1>. Closes any handle held before. True when the line
// settings were applied.
bool OpenPort(const std::string& spec);
// Read gives up after 1 + limit ms; write waits at most 10 + limit ms.
bool SetPortTimeouts(int32_t limit);
void ClosePort();
// Sends the low 8 bits of value; nothing on a closed or failed port.
void WriteByte(int32_t value);
// A received byte 0..255, or -1 when none came within the read time-out.
int32_t ReadByte();

// The device path a port specification names ("" when it names none).
std::string DevicePathFor(const std::string& spec);

}  // namespace quibrano
