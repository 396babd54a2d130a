#pragma once

namespace quibrano {

// Sets or clears every Timer-mode relay whose program starts or ends now.
void EvaluateTimerPrograms();

}  // namespace quibrano
