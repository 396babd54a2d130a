// A LinkView that remembers what the link showed, for the link tests.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "views.h"

namespace quibrano {

struct FakeLinkView : LinkView {
  std::string portStatus;
  std::string adapterStatus;
  int adapterWrites = 0;
  std::array<int, 6> relayShown{-1, -1, -1, -1, -1, -1};  // -1 never shown, else 0/1
  int relayShows = 0;
  std::array<int, 2> inputShown{-1, -1};
  int inputShows = 0;
  std::vector<bool> runStates;

  void SetPortStatus(const std::string& text) override { portStatus = text; }
  void SetAdapterStatus(const std::string& text) override {
    adapterStatus = text;
    ++adapterWrites;
  }
  void ShowRelay(int r, bool on) override {
    relayShown.at(static_cast<size_t>(r)) = on ? 1 : 0;
    ++relayShows;
  }
  void ShowInput(int k, bool closed) override {
    inputShown.at(static_cast<size_t>(k)) = closed ? 1 : 0;
    ++inputShows;
  }
  void ShowRunState(bool linkOpen) override { runStates.push_back(linkOpen); }
};

}  // namespace quibrano
