#pragma once

namespace quibrano {

// Random switching inside the daily windows; clears MinuteFlag at the end.
void EvaluateRandomSwitching();

}  // namespace quibrano
