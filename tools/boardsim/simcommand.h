// The simulator's command language, shared by its program (stdin) and tests.
#pragma once

#include <string>

#include "boardsim.h"

namespace quibrano {

// Runs one command line against sim and returns the reply for the person
// typing ("" for a blank line). Sets quit on "quit". Bad input gets a reply
// beginning with "error:" and changes nothing.
std::string RunSimCommand(BoardSim& sim, const std::string& line, bool& quit);

}  // namespace quibrano
