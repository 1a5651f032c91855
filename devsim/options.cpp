#include "devsim/options.h"

#include <cstdint>

namespace devsim {

const char kUsage[] =
    "usage: hadrel-devsim [--socket PATH] [--record DIR] [--speed KIB_PER_S]\n"
    "                     [--busy-after BYTES --busy-ms MS] [--unplug-after BYTES]\n"
    "                     [--max-packet N]\n"
    "Plays the HadrelUSB device on a local socket until SIGINT or SIGTERM.\n"
    "  --socket PATH        listen here (default: $HADREL_USB_SOCKET, else a private\n"
    "                       directory of the user's runtime directory)\n"
    "  --record DIR         write DIR/stream-N.bin and DIR/writes-N.txt for pipe session N\n"
    "  --speed KIB_PER_S    take bytes no faster than this (default: unthrottled)\n"
    "  --busy-after BYTES   after BYTES bytes of a session take nothing for --busy-ms MS\n"
    "  --unplug-after BYTES after BYTES bytes of a session the device is gone\n"
    "  --max-packet N       largest packet that is not a protocol error (default 2048)\n";

namespace {

// A day: longer pauses are surely typing errors.
constexpr std::uint64_t kMaxBusyMs = 24ull * 3600 * 1000;

// A decimal number without sign, spaces or suffix, that fits 64 bits.
bool ParseCount(const std::string& text, std::uint64_t* value) {
  if (text.empty() || text.size() > 19) return false;
  std::uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  *value = v;
  return true;
}

bool Fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options->help = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) return Fail(error, "unexpected argument: " + arg);
    std::string name = arg;
    std::string value;
    size_t equals = arg.find('=');
    if (equals != std::string::npos) name = arg.substr(0, equals);
    static const char* const kKnown[] = {"--socket", "--record", "--speed", "--busy-after",
                                         "--busy-ms", "--unplug-after", "--max-packet"};
    bool known = false;
    for (const char* k : kKnown) known = known || name == k;
    if (!known) return Fail(error, "unknown option " + name);
    if (equals != std::string::npos)
      value = arg.substr(equals + 1);
    else if (i + 1 < argc)
      value = argv[++i];
    else
      return Fail(error, "option " + arg + " needs a value");

    std::uint64_t number = 0;
    const bool isNumber = ParseCount(value, &number);
    auto needNumber = [&](std::uint64_t least, std::uint64_t most = UINT64_MAX) {
      if (!isNumber || number < least || number > most)
        return Fail(error, name + " needs a whole number from " + std::to_string(least) +
                               (most == UINT64_MAX ? "" : " to " + std::to_string(most)) +
                               ", not \"" + value + "\"");
      return true;
    };
    if (name == "--socket") {
      if (value.empty()) return Fail(error, "--socket needs a path");
      options->socketPath = value;
    } else if (name == "--record") {
      if (value.empty()) return Fail(error, "--record needs a directory");
      options->recordDir = value;
    } else if (name == "--speed") {
      if (!needNumber(1)) return false;
      options->speedKiBPerSecond = number;
    } else if (name == "--busy-after") {
      if (!needNumber(0)) return false;
      options->busyAfter = number;
    } else if (name == "--busy-ms") {
      if (!needNumber(1, kMaxBusyMs)) return false;
      options->busyMs = number;
    } else if (name == "--unplug-after") {
      if (!needNumber(0)) return false;
      options->unplugAfter = number;
    } else if (name == "--max-packet") {
      if (!needNumber(1)) return false;
      options->maxPacket = number;
    }
  }
  if (options->busyAfter.has_value() != (options->busyMs != 0))
    return Fail(error, "--busy-after and --busy-ms go together");
  return true;
}

}  // namespace devsim
