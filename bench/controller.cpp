#include "controller.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "benchenv.h"
#include "tcpclient.h"

namespace quibrano::bench {
namespace {

constexpr double kStartTimeoutMs = 20000;
constexpr uint8_t kPollByte = 0x73;

}  // namespace

std::string ControllerProgram() {
  const char* path = std::getenv("BENCH_PROGRAM");
  return path != nullptr && *path != '\0' ? std::string(path) : std::string(QUIBRANO_PROGRAM);
}

Controller::Controller() = default;

Controller::~Controller() {
  Stop();
  if (board_) board_->Stop();
}

bool Controller::Start(const ControllerOptions& options, std::string* error) {
  if (folder_.Path().empty()) {
    *error = "cannot make a working folder";
    return false;
  }
  if (options.programs) options.programs();
  if (!folder_.WriteConfig("bench.dat", error)) return false;
  SettingsLines settings;
  settings.password = options.password;
  settings.remoteOn = options.remote;
  if (options.remote) {
    port_ = FreePort();
    settings.port = std::to_string(port_);
  }
  if (!folder_.WriteSettings(settings, error)) return false;

  std::string device = folder_.File("no-device");
  if (options.linkOpen) {
    BoardSim::Options board;
    board.pace = options.pace;
    board.logPath = folder_.File("board.log");
    boardStartMs_ = SteadyMs();
    board_ = std::make_unique<BoardSim>(board);
    if (!board_->Start(error)) return false;
    device = board_->SlavePath();
  }

  ChildProcess::Options child;
  child.program = options.program.empty() ? ControllerProgram() : options.program;
  for (std::string arg : options.args) {
    if (arg == "{device}") arg = device;
    child.args.push_back(arg);
  }
  child.workDir = folder_.Path();
  child.logPath = folder_.File("quibrano.log");
  child.env = {{"QT_QPA_PLATFORM", "offscreen"}, {"QUIBRANO_COM1", device}};
  if (!process_.Start(child, error)) return false;
  return WaitUntilWorking(options, error);
}

bool Controller::WaitUntilWorking(const ControllerOptions& options, std::string* error) {
  const double deadline = SteadyMs() + kStartTimeoutMs;
  bool polled = !options.linkOpen;
  bool listening = !options.remote;
  while (!(polled && listening)) {
    if (!process_.Running()) {
      *error = "the controller ended during start-up (" + process_.Stop() + "): " + LogTail();
      return false;
    }
    if (SteadyMs() > deadline) {
      *error = std::string("the controller did not ") + (polled ? "open its remote port" : "poll the board") +
               " within 20 s: " + LogTail();
      return false;
    }
    if (!polled) {
      for (const ReceivedByte& b : board_->Received()) {
        if (firstByteMs_ == 0) firstByteMs_ = BoardTimeMs(b.ms);
        if (b.value == kPollByte) {
          firstPollMs_ = BoardTimeMs(b.ms);
          polled = true;
          break;
        }
      }
    }
    if (!listening) listening = CanConnect(port_);
    SleepMs(polled ? 5 : 1);
  }
  return true;
}

std::string Controller::Stop() { return process_.Stop(); }

std::string Controller::LogTail() const {
  std::ifstream in(folder_.File("quibrano.log"));
  std::stringstream all;
  all << in.rdbuf();
  std::string text = all.str();
  if (text.size() > 600) text = "..." + text.substr(text.size() - 600);
  return text.empty() ? std::string("(no output)") : text;
}

}  // namespace quibrano::bench
