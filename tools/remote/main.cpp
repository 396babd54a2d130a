// quibrano-remote: asks the controller's remote server for the relay and
// contact state, sets the relays, or watches them change.
#include <QCoreApplication>
#include <QThread>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "relaystate.h"
#include "remoteclient.h"

namespace quibrano {
namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

// Time for an unexpected answer to a number (the server refuses while it
// drops its clients); the server says nothing when it takes one.
constexpr int kQuietAfterSetMs = 250;
constexpr int kWatchIntervalMs = 500;

constexpr std::string_view kUsage =
    "usage: quibrano-remote [--host H] [--port P] [--password X] [--timeout MS] repeat | set N | watch\n"
    "  repeat  print the relay word and what it means\n"
    "  set N   set the relays to N (0..255, bits 0-5 are relays 1-6); logs in first with --password\n"
    "  watch   print the state every time it changes, until interrupted\n"
    "exit status: 0 done, 1 refused by the server, 2 bad arguments, 3 no connection, no reply or\n"
    "an unexpected one\n";

struct Options {
  std::string host = "localhost";
  uint16_t port = 26535;
  std::optional<std::string> password;
  int timeoutMs = 3000;
  std::string command;
  int relays = 0;
};

template <typename T>
std::optional<T> Number(std::string_view text, T low, T high) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

int Fail(int status, const std::string& message) {
  std::fputs(("quibrano-remote: " + message + "\n").c_str(), stderr);
  return status;
}

std::optional<Options> ParseArguments(const std::vector<std::string>& args, std::string& error) {
  Options options;
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takesValue = arg == "--host" || arg == "--port" || arg == "--password" || arg == "--timeout";
    if (!takesValue) {
      if (arg.starts_with("--")) {
        error = "unknown option " + arg;
        return std::nullopt;
      }
      words.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) {
      error = arg + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    if (arg == "--host") {
      options.host = value;
    } else if (arg == "--password") {
      options.password = value;
    } else if (arg == "--port") {
      const auto port = Number<int>(value, 1, 65535);
      if (!port) {
        error = "port must be a number from 1 to 65535, not \"" + value + "\"";
        return std::nullopt;
      }
      options.port = static_cast<uint16_t>(*port);
    } else {
      const auto ms = Number<int>(value, 1, 600000);
      if (!ms) {
        error = "time-out must be 1 to 600000 milliseconds, not \"" + value + "\"";
        return std::nullopt;
      }
      options.timeoutMs = *ms;
    }
  }
  if (words.empty()) {
    error = "no command given";
    return std::nullopt;
  }
  options.command = words[0];
  const bool isSet = options.command == "set";
  if (options.command != "repeat" && options.command != "watch" && !isSet) {
    error = "unknown command \"" + options.command + "\"";
    return std::nullopt;
  }
  if (words.size() != (isSet ? 2u : 1u)) {
    error = isSet ? "set needs one number N" : options.command + " takes no arguments";
    return std::nullopt;
  }
  if (isSet) {
    const auto relays = Number<int>(words[1], 0, 255);
    if (!relays) {
      error = "N must be a number from 0 to 255, not \"" + words[1] + "\"";
      return std::nullopt;
    }
    options.relays = *relays;
  }
  return options;
}

std::string ClockText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  auto two = [](int v) { return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)}; };
  return two(local.tm_hour) + ":" + two(local.tm_min) + ":" + two(local.tm_sec);
}

void Print(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

// Asks "repeat"; the word, or the exit status of the failure.
std::optional<int> AskWord(RemoteClient& client, int& status) {
  const std::string reply = client.Ask("repeat");
  if (reply == "nolegal") {
    status = Fail(kExitRefused, "refused by the server (nolegal): it is dropping its remote clients");
    return std::nullopt;
  }
  const auto word = ParseRelayWord(reply);
  if (!word) {
    status = Fail(kExitFailed, reply.empty() ? client.error() : "unexpected reply \"" + reply + "\"");
    return std::nullopt;
  }
  return word;
}

int Run(const Options& options) {
  RemoteClient client(options.timeoutMs);
  if (!client.Open(options.host, options.port)) return Fail(kExitFailed, client.error());
  int status = 0;

  if (options.command == "repeat") {
    const auto word = AskWord(client, status);
    if (word) Print(DescribeRelayWord(*word));
    return status;
  }

  if (options.command == "watch") {
    std::optional<int> shown;
    for (;;) {
      const auto word = AskWord(client, status);
      if (!word) return status;
      if (word != shown) Print(ClockText() + "  " + DescribeRelayWord(*word));
      shown = word;
      QThread::msleep(kWatchIntervalMs);
    }
  }

  if (options.password) {
    const std::string reply = client.Ask("Pass:" + *options.password);
    if (reply == "nolegal") return Fail(kExitRefused, "login refused (nolegal)");
    if (reply != "legal")
      return Fail(kExitFailed, reply.empty() ? client.error() : "unexpected reply \"" + reply + "\"");
  }
  const std::string objection = client.Tell(std::to_string(options.relays), kQuietAfterSetMs);
  if (objection == "nolegal") return Fail(kExitRefused, "refused by the server (nolegal)");
  if (!objection.empty()) return Fail(kExitFailed, "unexpected reply \"" + objection + "\"");
  if (!client.error().empty()) return Fail(kExitFailed, client.error());
  const auto word = AskWord(client, status);
  if (!word) return status;
  Print(DescribeRelayWord(*word));
  if ((*word & 0x3F) == (options.relays & 0x3F)) return 0;
  // Without a login the server ignores numbers without a word. After one,
  // the number was taken; a relay that differs already is driven by the
  // controller's own rules (inputs, timers), which is no failure.
  if (!options.password) {
    return Fail(kExitRefused,
                "the relays were not set: the server takes numbers only after a login (--password)");
  }
  std::fputs("quibrano-remote: note: the controller's rules already drive some relays otherwise\n", stderr);
  return 0;
}

}  // namespace
}  // namespace quibrano

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(quibrano::kUsage.data(), stdout);
    return 0;
  }
  std::string error;
  const auto options = quibrano::ParseArguments(args, error);
  if (!options) {
    std::fputs(("quibrano-remote: " + error + "\n").c_str(), stderr);
    std::fputs(quibrano::kUsage.data(), stderr);
    return quibrano::kExitUsage;
  }
  return quibrano::Run(*options);
}
