#pragma once
// The simulator's command line.

#include <cstdint>
#include <optional>
#include <string>

namespace devsim {

struct Options {
  std::string socketPath;                  // empty: $HADREL_USB_SOCKET or the private default
  std::string recordDir;                   // empty: nothing is recorded
  std::uint64_t speedKiBPerSecond = 0;     // 0: unthrottled
  std::optional<std::uint64_t> busyAfter;  // bytes of a session before the busy period
  std::uint64_t busyMs = 0;
  std::optional<std::uint64_t> unplugAfter;  // bytes of a session before the device is gone
  std::uint64_t maxPacket = 2048;
  bool help = false;
};

extern const char kUsage[];

// Fills `options` from argv (without argv[0]'s program name). On bad input returns false with a
// one-line `error` and leaves the meaning of `options` unspecified.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

}  // namespace devsim
