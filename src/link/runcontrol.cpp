#include "runcontrol.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <string>

#include "serialport.h"
#include "store.h"

namespace quibrano {
namespace {

std::string Decimal(int32_t n) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  return std::string(digits, end);
}

std::string SpecFor(const char* prefix, int32_t port) { return prefix + Decimal(port) + ":1200,N,8,1"; }

}  // namespace

void BuildPortSpec() { store.PortSpec = SpecFor("Com", store.PortNumber); }

void StartLink(LinkView& view) {
  if (OpenPort(store.PortSpec)) store.PortOpen = true;
  if (store.PortOpen) view.ShowRunState(true);
}

void RunStart(LinkView& view) {
  for (auto& timer : store.SecondsTimer) timer.Elapsed = 0;
  StartLink(view);
}

void RunStop(LinkView& view) {
  if (store.PortOpen) ClosePort();
  store.PortOpen = false;
  view.ShowRunState(false);
}

void ChoosePort(int index) {
  // The list gives -1..7; anything wider saturates rather than overflow.
  const int64_t port = std::clamp<int64_t>(int64_t{index} + 1, INT32_MIN, INT32_MAX);
  store.PortNumber = static_cast<int32_t>(port);
  store.PortSpec = SpecFor("COM", store.PortNumber);
}

void RunReset() {
  store.RelayWord = 0;
  for (int r = 0; r < kRelays; ++r) {
    store.SecondsTimer[r].Elapsed = -1;
    store.OffCountdown[r].fill(0);
  }
}

}  // namespace quibrano
