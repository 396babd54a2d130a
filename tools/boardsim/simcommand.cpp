#include "simcommand.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace quibrano {
namespace {

constexpr int kMaxGarbage = 100000;
const char kHelp[] =
    "commands: k1 open|closed, k2 open|closed, silent on|off, garbage N, flood on|off, pace on|off, "
    "unplug, replug, state, quit";

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) {
    for (char& c : w)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    words.push_back(w);
  }
  return words;
}

// "on"/"off" (or "open"/"closed") as a flag; -1 for anything else.
int Flag(const std::vector<std::string>& w, const char* yes, const char* no) {
  if (w.size() != 2) return -1;
  if (w[1] == yes) return 1;
  if (w[1] == no) return 0;
  return -1;
}

std::string Usage(const std::string& what) { return "error: usage: " + what; }

}  // namespace

std::string RunSimCommand(BoardSim& sim, const std::string& line, bool& quit) {
  const auto w = Words(line);
  if (w.empty()) return {};
  const std::string& cmd = w[0];

  if (cmd == "k1" || cmd == "k2") {
    const int open = Flag(w, "open", "closed");
    if (open < 0) return Usage(cmd + " open|closed");
    sim.SetContact(cmd == "k1" ? 0 : 1, open == 0);
    return (cmd == "k1" ? "K1 " : "K2 ") + std::string(open ? "open" : "closed");
  }
  if (cmd == "silent" || cmd == "flood" || cmd == "pace") {
    const int on = Flag(w, "on", "off");
    if (on < 0) return Usage(cmd + " on|off");
    if (cmd == "silent") sim.SetSilent(on == 1);
    if (cmd == "flood") sim.SetFlood(on == 1);
    if (cmd == "pace") sim.SetPace(on == 1);
    return cmd + (on ? " on" : " off");
  }
  if (cmd == "garbage") {
    int count = -1;
    if (w.size() == 2) {
      const auto* first = w[1].data();
      const auto* last = first + w[1].size();
      const auto [ptr, ec] = std::from_chars(first, last, count);
      if (ec != std::errc{} || ptr != last) count = -1;
    }
    if (count < 0 || count > kMaxGarbage) return Usage("garbage N (N from 0 to 100000)");
    if (!sim.Plugged()) return "error: unplugged";
    sim.SendGarbage(count);
    return "garbage " + w[1];
  }
  const bool bare = cmd == "unplug" || cmd == "replug" || cmd == "state" || cmd == "quit" || cmd == "help";
  if (!bare) return "error: unknown command '" + cmd + "'; " + kHelp;
  if (w.size() != 1) return "error: " + cmd + " takes no argument";
  if (cmd == "unplug") {
    sim.Unplug();
    return "unplugged";
  }
  if (cmd == "replug") {
    std::string error;
    if (!sim.Replug(&error)) return "error: " + error;
    return "replugged " + sim.SlavePath();
  }
  if (cmd == "state") return sim.StateText();
  if (cmd == "quit") {
    quit = true;
    return "bye";
  }
  return kHelp;
}

}  // namespace quibrano
