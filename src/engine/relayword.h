// The relay word and the input logic.
#pragma once

#include <cstdint>

namespace quibrano {

void SetRelay(uint8_t r);
void ClearRelay(uint8_t r);
void ToggleRelay(uint8_t r);
bool RelayIsOn(uint8_t r);

// Drives every relay in one of the six input modes from K1Closed/K2Closed.
void EvaluateInputLogic();

}  // namespace quibrano
