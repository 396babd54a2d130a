// What the logic may change or read on the windows. The main window
// implements these; tests fake them. Logic never touches a widget otherwise.
#pragma once

#include <string>

namespace quibrano {

// A configuration load selects the port item and refreshes the editor.
class ConfigView {
 public:
  virtual ~ConfigView() = default;
  // Selects item index of the port list ComboBox19 without running its
  // change handling; -1 or any index outside 0..7 leaves no item selected.
  virtual void SelectPortItem(int index) = 0;
  // Copies the store into every editor control.
  virtual void RefreshEditor() = 0;
};

// What the settings file carries that the windows hold.
class SettingsView {
 public:
  virtual ~SettingsView() = default;
  // i = 0..5: captions of Label1..Label6 (relays); 6, 7: Label7, Label8 (K1, K2).
  virtual std::string LabelCaption(int i) const = 0;
  virtual void SetLabelCaption(int i, const std::string& text) = 0;
  // The Remote switch CheckBox7. Setting it runs its click handling
  // (CheckBox7Click) whenever the state changes.
  virtual bool RemoteSwitch() const = 0;
  virtual void SetRemoteSwitch(bool on) = 0;
  // The two fields of the remote access dialog: Edit1 (port), Edit2 (password).
  virtual std::string DialogPort() const = 0;
  virtual std::string DialogPassword() const = 0;
};

// What the poll cycle and run control show.
class LinkView {
 public:
  virtual ~LinkView() = default;
  virtual void SetPortStatus(const std::string& text) = 0;     // Label9
  virtual void SetAdapterStatus(const std::string& text) = 0;  // Label13
  virtual void ShowRelay(int r, bool on) = 0;                  // Label1..Label6: lime on, red off
  virtual void ShowInput(int k, bool closed) = 0;              // k 0: Label7 (K1), 1: Label8 (K2)
  // Enabled states of ComboBox19, Button7 (START), Button11 (Save),
  // Button12 (Load): enabled while stopped; Button8 (STOP) the opposite.
  virtual void ShowRunState(bool linkOpen) = 0;
};

// What the remote server shows and reads.
class RemoteView {
 public:
  virtual ~RemoteView() = default;
  // Label58: lime when green, red otherwise. It is also the server's test of
  // whether a client is connected.
  virtual void SetIndicator(bool green) = 0;
  virtual bool IndicatorGreen() const = 0;
  // Turns the Remote switch off after a failed open; this runs the switch's
  // click handling again, with the switch off.
  virtual void SwitchRemoteOff() = 0;
};

}  // namespace quibrano
