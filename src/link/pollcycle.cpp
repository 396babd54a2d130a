#include "pollcycle.h"

#include <charconv>
#include <chrono>
#include <optional>
#include <string>

#include "relayword.h"
#include "serialport.h"
#include "store.h"

namespace quibrano {

int64_t BytePort::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

namespace {

constexpr int32_t kPollByte = 0x73;
constexpr int32_t kAcknowledge = 0x78;
constexpr int32_t kPhases = 6;

class SerialModulePort : public BytePort {
 public:
  void WriteByte(int32_t value) override { quibrano::WriteByte(value); }
  int32_t ReadByte() override { return quibrano::ReadByte(); }
};

std::string PortText() {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, store.PortNumber).ptr;
  return "COM " + std::string(digits, end);
}

struct Drained {
  bool acknowledged = false;
  std::optional<int32_t> input;  // the last input byte of the tick
};

Drained Drain(BytePort& port) {
  Drained result;
  const int64_t start = port.NowMs();
  for (int count = 0; count < kDrainMaxBytes && port.NowMs() - start < kDrainMaxMs; ++count) {
    const int32_t b = port.ReadByte();
    if (b < 0 || b > 255) break;
    if (b == kAcknowledge) {
      result.acknowledged = true;
      return result;
    }
    result.input = b;
  }
  return result;
}

void DebounceInput(LinkView& view, int32_t v) {
  // Compared unreduced on purpose: a byte with any of bits 2..7 set can never
  // equal the 8-bit PrevInputBits, so it is never accepted.
  const int32_t w = v * 64;
  if (w != store.PrevInputBits) store.Debounce = 0;
  store.Debounce = static_cast<uint8_t>((store.Debounce + 1u) & 0xFFu);
  if (store.Debounce >= 2) {
    store.Debounce = 100;
    store.K1Closed = (v & 1) == 0;
    store.K2Closed = (v & 2) == 0;
    view.ShowInput(0, store.K1Closed);
    view.ShowInput(1, store.K2Closed);
  }
  store.PrevInputBits = static_cast<uint8_t>(w & 0xFF);
}

}  // namespace

BytePort& SerialBytePort() {
  static SerialModulePort port;
  return port;
}

void PollTick(LinkView& view, BytePort& port) {
  const std::string portText = PortText();
  if (!store.PortOpen) {
    view.SetPortStatus(portText + "   Close");
    view.SetAdapterStatus("Adapter  not connected");
    return;
  }
  view.SetPortStatus(portText + "   Open");

  if (store.PollPhase == kPhases - 1)
    view.SetAdapterStatus(store.AdapterAnswered ? "Adapter  connected" : "Adapter  not connected");
  const int64_t next = int64_t{store.PollPhase} + 1;
  if (next >= kPhases) {
    store.PollPhase = 0;
    store.AdapterAnswered = false;
  } else {
    store.PollPhase = static_cast<int32_t>(next);
  }
  if (store.PollPhase == 0) port.WriteByte(kPollByte);

  const Drained drained = Drain(port);
  if (drained.acknowledged) {
    // The tick ends here: no relay byte, no input bits, no input logic.
    store.AdapterAnswered = true;
    return;
  }

  store.RelayWord &= 0x3F;
  if (store.PollPhase == 2) {
    port.WriteByte(store.RelayWord);
    for (uint8_t r = 0; r < kRelays; ++r) view.ShowRelay(r, RelayIsOn(r));
  }
  if (drained.input) DebounceInput(view, *drained.input);
  store.RelayWord |= store.PrevInputBits;
  EvaluateInputLogic();
}

}  // namespace quibrano
