// radtool flash: the upgrade window's transfer without the window. The image is judged in the
// window's order, the device found through the same library loaded the same way, and the image
// sent by the same streaming function as the window's worker; only the words and the progress
// display are radtool's own.

#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/ioctl.h>
#include <unistd.h>

#include "device/device_access.h"
#include "platform/handle.h"
#include "platform/module.h"
#include "tools/flash_image_file.h"
#include "tools/flash_progress.h"
#include "tools/flash_signals.h"
#include "tools/radtool_command.h"
#include "tools/radtool_describe.h"
#include "tools/radtool_numbers.h"
#include "transfer/rad_header.h"
#include "transfer/stream_image.h"

namespace {

constexpr char kUsage[] =
    "Usage: radtool flash IMAGE [--wait SECONDS] [--quiet]\n"
    "\n"
    "Sends IMAGE to the attached device as the upgrade window does: judges it (too short, not\n"
    "an image, UART image are refused), tells what flash memory it is for, then writes the\n"
    "20-byte preamble and the body through the device library, with the window's retries.\n"
    "\n"
    "  --wait SECONDS  when no device is attached, test again every 800 ms for up to SECONDS\n"
    "                  (0 to 86400; default 0: fail at once)\n"
    "  --quiet         print nothing but errors: no description, no progress, no summary\n"
    "\n"
    "Progress: on a terminal, a bar redrawn in place; otherwise one line per 10 percent.\n"
    "Ctrl-C stops between two pieces and closes the pipe; the device then holds a partial\n"
    "image. A second Ctrl-C ends radtool at once.\n"
    "\n"
    "Exit status: 0 every byte delivered, 1 refused image, no device, or failed transfer,\n"
    "2 usage, file or device library error, 130 stopped by Ctrl-C (143 by SIGTERM).\n";

constexpr const char* kPrefix = "radtool flash: ";
// The window tests again this often while the device is absent.
constexpr int kAbsentPollMs = 800;
// Waits are cut into slices this long, so that Ctrl-C is noticed at once.
constexpr int kWaitSliceMs = 50;
constexpr std::int64_t kMaxWaitSeconds = 24 * 3600;

using Clock = std::chrono::steady_clock;

struct FlashOptions {
  std::string image;
  std::int64_t waitSeconds = 0;
  bool quiet = false;
};

void Error(const std::string& text) { std::fprintf(stderr, "%s%s\n", kPrefix, text.c_str()); }

// Informational output; none with --quiet.
void Say(const FlashOptions& options, const std::string& text) {
  if (options.quiet) return;
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

bool ParseArguments(const std::vector<std::string>& args, FlashOptions* options) {
  std::vector<std::string> images;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      images.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--quiet") {
      options->quiet = true;
    } else if (arg == "--wait" || arg.rfind("--wait=", 0) == 0) {
      std::string value;
      if (arg.size() > 6) {
        value = arg.substr(7);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        Error("--wait needs a number of seconds (see radtool flash --help)");
        return false;
      }
      std::string error;
      if (!ParseInteger(value, 0, kMaxWaitSeconds, &options->waitSeconds, &error)) {
        Error("--wait: " + error + " (see radtool flash --help)");
        return false;
      }
    } else {
      Error("unknown option '" + arg + "' (see radtool flash --help)");
      return false;
    }
  }
  if (images.size() != 1) {
    Error("expected one IMAGE, got " + std::to_string(images.size()) + " (see radtool flash --help)");
    return false;
  }
  options->image = images[0];
  return true;
}

// The exit status of a process that a signal asked to stop, as a shell reports it.
int StoppedStatus() { return 128 + FlashStopSignal(); }

const char* StopSignalName() { return FlashStopSignal() == SIGTERM ? "SIGTERM" : "Ctrl-C"; }

// Sleeps up to `ms`, in slices, and returns early (false) when a stop was asked.
bool SleepUnlessStopped(const std::atomic<bool>& stop, Clock::time_point until) {
  while (!stop.load()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return true;
    os::Sleep(static_cast<DWORD>(left < kWaitSliceMs ? left : kWaitSliceMs));
  }
  return false;
}

enum class WaitOutcome { Attached, Absent, LibraryMissing, Stopped };

// Tests presence as the window's poll does, again every 800 ms while the device is absent,
// until it is attached or `waitSeconds` have passed. The last test falls on the deadline.
WaitOutcome WaitForDevice(const FlashOptions& options, const std::atomic<bool>& stop) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(options.waitSeconds);
  bool told = false;
  for (;;) {
    switch (TestDevicePresence()) {
      case DevicePresence::LibraryMissing: return WaitOutcome::LibraryMissing;
      case DevicePresence::Attached:
        if (told) Say(options, "Device attached.\n");
        return WaitOutcome::Attached;
      case DevicePresence::Absent: break;
    }
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return WaitOutcome::Absent;
    if (!told) {
      Say(options, "No device attached; waiting up to " + std::to_string(options.waitSeconds) + " s for one...\n");
      told = true;
    }
    const Clock::time_point next = now + std::chrono::milliseconds(kAbsentPollMs);
    if (!SleepUnlessStopped(stop, next < deadline ? next : deadline)) return WaitOutcome::Stopped;
  }
}

int TerminalColumns() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

std::string Seconds(Clock::duration elapsed) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(elapsed).count());
  return text;
}

// Sends the image, closes the pipe and tells how it went; returns the exit status.
int Stream(const FlashOptions& options, const WholeImage& image, HANDLE pipe, const std::atomic<bool>& stop) {
  const DWORD bodyLength = image.size - static_cast<DWORD>(RAD_HEADER_LENGTH);
  Say(options, "Sending the " + std::to_string(RAD_PREAMBLE_LENGTH) + "-byte preamble and the " +
                   std::to_string(bodyLength) + "-byte body.\n");

  const ProgressStyle style = options.quiet                ? ProgressStyle::None
                              : isatty(STDOUT_FILENO) == 1 ? ProgressStyle::Bar
                                                           : ProgressStyle::Lines;
  FlashProgress progress(style, bodyLength, style == ProgressStyle::Bar ? TerminalColumns() : 80,
                         [](const std::string& text) {
                           std::fputs(text.c_str(), stdout);
                           std::fflush(stdout);
                         });
  const Clock::time_point start = Clock::now();
  const StreamResult result = StreamImage(
      pipe, image.bytes.get(), image.size,
      [&](DWORD sent) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        progress.Update(sent, static_cast<std::uint64_t>(ms));
      },
      os::Sleep, &stop);
  const Clock::duration elapsed = Clock::now() - start;
  os::CloseHandle(pipe);
  progress.Finish();

  const std::string howFar = std::to_string(result.bodySent) + " of " + std::to_string(bodyLength) +
                             " body bytes (" + std::to_string(ProgressPercent(result.bodySent, bodyLength)) + "%)";
  if (result.complete) {
    Say(options, "Done: the preamble and all " + std::to_string(bodyLength) + " body bytes were delivered in " +
                     Seconds(elapsed) + ".\n");
    return kExitSuccess;
  }
  if (result.stopped) {
    if (!result.preambleDelivered && result.bodySent == 0) {
      Error(std::string("stopped by ") + StopSignalName() + " before anything was sent");
    } else {
      Error(std::string("stopped by ") + StopSignalName() + " after " + howFar +
            ": the device holds a partial image; flash it again");
    }
    return StoppedStatus();
  }
  if (result.bodySent == bodyLength) {
    // Every piece went out, but the device never took the preamble that introduces them.
    Error("transfer failed: the device never took the 20-byte preamble, so it holds a partial "
          "image; reconnect it and flash again");
  } else {
    Error("transfer failed after " + howFar +
          ": the device stopped taking data and holds a partial image; reconnect it and flash again");
  }
  return kExitRefused;
}

int RunFlash(const std::vector<std::string>& args) {
  FlashOptions options;
  if (!ParseArguments(args, &options)) return kExitUsage;
  const std::atomic<bool>& stop = *InstallFlashSignals();

  // The window's order: too short, magic, the flash-memory text, then the port.
  ImageHead head;
  std::string error;
  if (!ReadImageHead(options.image, &head, &error)) {
    Error(error);
    return kExitUsage;
  }
  RadHeader header;
  if (head.bytesRead == RAD_VALIDATION_LENGTH) header = DecodeRadHeader(head.bytes);
  const RadVerdict verdict = JudgeRadImage(head.bytesRead, header);
  if (verdict == RadVerdict::TooShort || verdict == RadVerdict::NotAnImage) {
    Error(options.image + " is refused: " + RefusalReason(verdict, head.bytesRead, header));
    return kExitRefused;
  }
  Say(options, "Flash memory: " + FlashDescription(header) + "\n");
  if (verdict == RadVerdict::UartImage) {
    Error(options.image + " is refused: " + RefusalReason(verdict, head.bytesRead, header));
    return kExitRefused;
  }

  // The whole image before the device: a file that cannot be sent is told without a wait, and
  // the device never sees a pipe opened for nothing.
  WholeImage image;
  if (!ReadWholeImage(options.image, head, &image, &error)) {
    Error(error);
    return kExitUsage;
  }

  switch (WaitForDevice(options, stop)) {
    case WaitOutcome::Attached: break;
    case WaitOutcome::LibraryMissing:
      Error("the device library (HadrelUSB) cannot be loaded from " + os::DirectoryOf(os::GetModuleFileName()) +
            "; reinstall the tool");
      return kExitUsage;
    case WaitOutcome::Absent:
      if (options.waitSeconds == 0) {
        Error("no device attached; connect it, or give --wait SECONDS to wait for it");
      } else {
        Error("no device attached after waiting " + std::to_string(options.waitSeconds) + " s; connect it and try again");
      }
      return kExitRefused;
    case WaitOutcome::Stopped:
      Error(std::string("stopped by ") + StopSignalName() + " while waiting for the device; nothing was sent");
      return StoppedStatus();
  }

  // A Ctrl-C that came while the file was read: the device has not been touched yet.
  if (stop.load()) {
    Error(std::string("stopped by ") + StopSignalName() + " before anything was sent");
    return StoppedStatus();
  }

  bool loaded = false;
  const HANDLE pipe = OpenDevicePipe(&loaded);
  if (!loaded) {
    Error("the device library (HadrelUSB) cannot be loaded from " + os::DirectoryOf(os::GetModuleFileName()) +
          "; reinstall the tool");
    return kExitUsage;
  }
  // The window hands an unopened pipe to its worker, which then spends some 18 s failing to
  // write; here the user hears at once.
  if (pipe == INVALID_HANDLE_VALUE) {
    Error("the device did not open its pipe (was it unplugged?); nothing was sent");
    return kExitRefused;
  }
  return Stream(options, image, pipe, stop);
}

}  // namespace

const RadtoolCommand kFlashCommand = {
    "flash",
    "send an image to the attached device, as the upgrade window does",
    kUsage,
    RunFlash,
};
