#include "soaksetup.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "configfile.h"
#include "settingsfile.h"
#include "store.h"
#include "views.h"

namespace quibrano::soak {
namespace {

class SetupWindow : public SettingsView {
 public:
  SetupWindow(std::string port, std::string password) : port_(std::move(port)), password_(std::move(password)) {}
  std::string LabelCaption(int i) const override {
    static const char* const kCaptions[] = {"TOG 1", "K1->2", "K2->3", "TOG 4", "K1->5", "TOG 6", "K1", "K2"};
    return kCaptions[i];
  }
  void SetLabelCaption(int, const std::string&) override {}
  bool RemoteSwitch() const override { return true; }
  void SetRemoteSwitch(bool) override {}
  std::string DialogPort() const override { return port_; }
  std::string DialogPassword() const override { return password_; }

 private:
  std::string port_;
  std::string password_;
};

}  // namespace

std::array<int32_t, 6> SoakModes() { return {Toggle, IfK1, IfK2, Toggle, IfK1, Toggle}; }

RelayLayout LayoutOf(const std::array<int32_t, 6>& modes) {
  RelayLayout layout;
  for (size_t r = 0; r < modes.size(); ++r) {
    const auto bit = static_cast<uint8_t>(1u << r);
    if (modes[r] == Toggle) layout.toggleMask |= bit;
    if (modes[r] == IfK1) layout.ifK1Mask |= bit;
    if (modes[r] == IfK2) layout.ifK2Mask |= bit;
  }
  return layout;
}

std::string WriteSoakSetup(const std::string& folder, uint16_t port, const std::string& password) {
  if (chdir(folder.c_str()) != 0) return "cannot enter " + folder + ": " + std::strerror(errno);
  ResetStore();
  store.PortNumber = 1;  // COM1, which QUIBRANO_COM1 maps to the simulator
  const std::array<int32_t, 6> modes = SoakModes();
  for (int r = 0; r < kRelays; ++r) Modes(r) = modes[static_cast<size_t>(r)];
  store.ConfigName = kSoakConfigName;
  if (const FileResult saved = SaveConfig()) return "cannot write " + std::string(kSoakConfigName) + ": " + saved->text;
  const SetupWindow window(std::to_string(port), password);
  if (const FileResult written = WriteSettings(window)) return "cannot write relf.ini: " + written->text;
  return {};
}

}  // namespace quibrano::soak
