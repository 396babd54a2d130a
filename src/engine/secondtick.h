// The second tick: snapshot, status texts, and the time rules in order.
#pragma once

#include <functional>
#include <string>

namespace quibrano {

struct StatusTexts {
  std::string dateLine;  // Label10: WeekdayName + " ,  " + date text
  std::string timeLine;  // Label11: time text
};

// Steps 1-14 of the tick: Elapsed counting, snapshot, SecondsText,
// SecondCount/MinuteFlag, EvaluateTimerPrograms, EvaluateClockPulse,
// EvaluateSecondsTimers, EvaluateRandomSwitching, and last the server's
// pending close. Returns the two status texts for the window.
StatusTexts SecondTick();

// Filled in by the remote server: called by the tick's last step when
// RemoteState is ClosePending (the tick then sets RemoteState to Idle).
void SetServerCloseHook(std::function<void()> hook);

void EvaluateClockPulse();
void EvaluateSecondsTimers();

}  // namespace quibrano
