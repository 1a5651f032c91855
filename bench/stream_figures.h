#pragma once
// One 64 MiB image into the simulated device, three ways: a bare loop of writes (the reference:
// what this machine allows), the shared streaming engine, and the upgrade window's whole path.
// Each sends from a heap copy of the image made before its clock starts (see HeapCopy).

#include <vector>

#include "platform/types.h"

namespace bench {

struct StreamRun {
  // From the first write to the pipe's close; for the window, from the worker's start to the
  // completion text on screen.
  double seconds = 0;
  // The window only: to the worker's last call (after it has set the bar to 0, freed the image
  // and closed the pipe), which enables the image button again.
  double secondsToEnd = 0;
  int failedWrites = 0;  // writes the device did not take in time, written again
};

// The preamble, then the body in 2048-byte writes, with os::WriteFile on the pipe that the
// device library's open_file gives, each failed write repeated at once.
StreamRun RunBareLoop(const std::vector<BYTE>& image);

// StreamImage, as radtool flash and the window's worker call it, with os::Sleep between retries.
StreamRun RunEngine(const std::vector<BYTE>& image);

// The upgrade window (headless) with the image handed over as its image button does: the
// transfer worker with its progress updates, the window's thread painting the bar, up to the
// completion text and on to the worker's last call. Needs the window system
// (platform::test::InitWindowSystem).
StreamRun RunWindowPath(const std::vector<BYTE>& image);

// The pause between retries that the engine and the window's worker get in these figures:
// os::Sleep, counted.
void CountedSleep(DWORD ms);
// The pauses counted since the last call.
int TakePauseCount();

}  // namespace bench
