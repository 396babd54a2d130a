// quibrano-soak: the client side of `make soak` (scripts/soak.sh). Fifty remote
// clients against a running controller, the board's contacts flipped through
// the simulator's command stream, every answer judged where the protocol
// makes it certain.
#include <signal.h>

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "soakrun.h"
#include "soaksetup.h"
#include "soaktexts.h"

namespace {

using namespace quibrano::soak;

int Usage() {
  std::fputs(
      "usage: quibrano-soak --free-port\n"
      "       quibrano-soak --setup DIR --port P --password TEXT\n"
      "       quibrano-soak --port P --password TEXT --board-commands FIFO [--seconds N]\n"
      "                     [--clients SETTERS,JUNK,RECONNECTING] [--seed N] [--host ADDRESS]\n"
      "                     [--settle-ms N] [--quiet-ms N]\n"
      "  --free-port       print a TCP port nobody listens on\n"
      "  --setup DIR       write relf.ini (Remote on) and soak.dat (Toggle, IF K1, IF K2 relays on COM1)\n"
      "  --board-commands  the FIFO the board simulator reads its commands from\n"
      "  --settle-ms       how long an input must stand before answers are judged by it (1500)\n"
      "  --quiet-ms        how long after a set the input bits and IF relays are judged (400)\n"
      "The password must hold the character '~' (junk never does).\n",
      stderr);
  return 2;
}

template <typename T>
bool Number(std::string_view text, T& out) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc{} && end == text.data() + text.size();
}

bool ClientCounts(std::string_view text, SoakOptions& o) {
  const size_t a = text.find(',');
  const size_t b = a == std::string_view::npos ? a : text.find(',', a + 1);
  if (b == std::string_view::npos) return false;
  return Number(text.substr(0, a), o.setters) && Number(text.substr(a + 1, b - a - 1), o.junk) &&
         Number(text.substr(b + 1), o.reconnectors) && o.setters >= 1 && o.junk >= 0 && o.reconnectors >= 0 &&
         o.setters + o.junk + o.reconnectors <= 60;
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  QCoreApplication app(argc, argv);

  SoakOptions options;
  options.seed = static_cast<uint32_t>(std::time(nullptr));
  std::string setupFolder;
  bool freePort = false;
  bool havePort = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    const std::string_view value = hasValue ? argv[i + 1] : "";
    bool ok = true;
    if (arg == "--free-port") {
      freePort = true;
      continue;
    }
    if (!hasValue) return Usage();
    if (arg == "--setup") {
      setupFolder = value;
    } else if (arg == "--port") {
      ok = Number(value, options.port) && options.port != 0;
      havePort = true;
    } else if (arg == "--password") {
      options.password = value;
      ok = options.password.find(kPasswordMark) != std::string::npos;
    } else if (arg == "--board-commands") {
      options.boardCommands = value;
    } else if (arg == "--seconds") {
      ok = Number(value, options.seconds) && options.seconds > 0;
    } else if (arg == "--seed") {
      ok = Number(value, options.seed);
    } else if (arg == "--host") {
      options.host = value;
    } else if (arg == "--clients") {
      ok = ClientCounts(value, options);
    } else if (arg == "--settle-ms") {
      ok = Number(value, options.timing.inputSettleMs) && options.timing.inputSettleMs >= 0;
    } else if (arg == "--quiet-ms") {
      ok = Number(value, options.timing.setQuietMs) && options.timing.setQuietMs >= 0;
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "quibrano-soak: bad %s '%s'\n", argv[i], argv[i + 1]);
      return Usage();
    }
    ++i;
  }

  if (freePort) {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 1;
    std::printf("%u\n", static_cast<unsigned>(probe.serverPort()));
    return 0;
  }
  if (!havePort || options.password.empty()) return Usage();
  if (!setupFolder.empty()) {
    const std::string error = WriteSoakSetup(setupFolder, options.port, options.password);
    if (error.empty()) return 0;
    std::fprintf(stderr, "quibrano-soak: %s\n", error.c_str());
    return 1;
  }
  if (options.boardCommands.empty()) return Usage();
  Soak soak(options);
  return soak.Run();
}
