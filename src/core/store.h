// The program store: every table and run-time value of the controller, one
// module-level instance reached directly by every layer. Only the GUI thread
// touches it, so nothing here is locked.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quibrano {

constexpr int kRelays = 6;
constexpr int kSlots = 6;    // timer programs per relay
constexpr int kWindows = 3;  // random windows per relay
constexpr int kTableRows = 18;
// The tables are eleven columns wide on paper; only columns 0..5 are ever
// used or carried by the configuration file, so six are held.
constexpr int kTableCols = 6;

// Values of Modes[r]: the item index of the relay's mode list.
enum RelayMode : int32_t {
  Toggle = 0,
  Timer = 1,
  IfK1 = 2,
  IfK2 = 3,
  IfK1AndK2 = 4,
  IfK1OrK2 = 5,
  IfK1NorK2 = 6,
  IfK1XorK2 = 7,
  SecTimer = 8,
  Random = 9,
  ClockPulse = 10,
};

// Values of RemoteState.
enum RemoteStateValue : int32_t {
  Idle = 0,
  DropRequested = 1,
  Refused = 2,
  LoggedIn = 3,
  ClosePending = 4,
};

struct SecondsTimerRecord {
  int32_t Repeat = 0;
  int32_t StartAfter = 0;
  int32_t EndAfter = 0;
  int32_t Elapsed = 0;
};

using IntRows = std::array<std::array<int32_t, kTableCols>, kTableRows>;
using TimeRows = std::array<std::array<double, kTableCols>, kTableRows>;
template <typename T>
using PerWindow = std::array<std::array<T, kWindows>, kRelays>;

struct Store {
  // Relay programs (carried by the configuration file).
  IntRows IntTable{};    // rows 0-5 Modes (+spare), 6-11 SelectedProgram (+spare), 12-17 ProgramDay
  TimeRows TimeTable{};  // rows 0-5 ProgramDate, 6-11 ProgramStart, 12-17 ProgramEnd
  std::array<SecondsTimerRecord, kRelays> SecondsTimer{};
  PerWindow<int32_t> RandomSel{};  // column 0 is SelectedWindow, 1-2 spare
  PerWindow<int32_t> MaxMinutes{};
  PerWindow<double> WindowStart{};
  PerWindow<double> WindowEnd{};

  // Random countdowns (run time only).
  PerWindow<int32_t> OnCountdown{};
  PerWindow<int32_t> OffCountdown{};

  // Snapshot and counters of the second tick.
  double NowTime = 0.0;
  double NowDate = 0.0;
  int32_t WeekdayIndex = 0;
  std::string WeekdayName;
  std::string SecondsText;
  int32_t SecondCount = 0;
  bool MinuteFlag = false;

  // Link, inputs and relay output.
  uint8_t RelayWord = 0;
  bool K1Closed = false;
  bool K2Closed = false;
  uint8_t Debounce = 0;
  uint8_t PrevInputBits = 0;
  int32_t PollPhase = 0;
  bool AdapterAnswered = false;
  bool PortOpen = false;
  int32_t PortNumber = 0;
  std::string PortSpec;

  // Remote connection.
  int32_t RemoteState = Idle;

  // File names and remote credentials.
  std::string ConfigName;
  std::string Password;
  std::string RemotePort;
};

// The one store of the program.
extern Store store;

// Named views into the tables, as the rest of the program speaks of them.
inline int32_t& Modes(int r) { return store.IntTable[r][0]; }
inline int32_t& SelectedProgram(int r) { return store.IntTable[6 + r][0]; }
inline int32_t& ProgramDay(int r, int p) { return store.IntTable[12 + r][p]; }
inline double& ProgramDate(int r, int p) { return store.TimeTable[r][p]; }
inline double& ProgramStart(int r, int p) { return store.TimeTable[6 + r][p]; }
inline double& ProgramEnd(int r, int p) { return store.TimeTable[12 + r][p]; }
inline int32_t& SelectedWindow(int r) { return store.RandomSel[r][0]; }

// Every table zero, every flag false, every text empty: the store as the
// program starts. Tests call it between cases.
void ResetStore();

// The entries a configuration load sets when it finds no readable file:
// modes, selections, day codes, spare columns, seconds timers and random
// windows 0; program dates today; every program and window time the current
// time of day, read from the clock anew for each entry. PortNumber is left
// alone.
void SetConfigDefaults();

}  // namespace quibrano
