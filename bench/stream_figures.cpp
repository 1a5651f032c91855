// The bare loop and the engine: no window.

#include "bench/stream_figures.h"

#include <atomic>
#include <chrono>
#include <stdexcept>

#include "bench/bench_image.h"
#include "device/device_access.h"
#include "platform/handle.h"
#include "transfer/rad_header.h"
#include "transfer/stream_image.h"

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

HANDLE OpenPipe() {
  bool loaded = false;
  const HANDLE pipe = OpenDevicePipe(&loaded);
  if (!loaded) throw std::runtime_error("the device library cannot be loaded from the bench program's directory");
  if (pipe == INVALID_HANDLE_VALUE) throw std::runtime_error("the simulated device did not open its pipe");
  return pipe;
}

// Writes until the device takes the bytes; counts the refusals.
void WriteUntilTaken(HANDLE pipe, const BYTE* data, DWORD length, int* failed) {
  while (!os::WriteFile(pipe, data, length, nullptr)) ++*failed;
}

std::atomic<int> g_pauses{0};

}  // namespace

void CountedSleep(DWORD ms) {
  ++g_pauses;
  os::Sleep(ms);
}

int TakePauseCount() { return g_pauses.exchange(0); }

StreamRun RunBareLoop(const std::vector<BYTE>& image) {
  const HeapImage copy = HeapCopy(image);
  const BYTE* const bytes = copy.get();
  const HANDLE pipe = OpenPipe();
  StreamRun run;
  const Clock::time_point start = Clock::now();
  WriteUntilTaken(pipe, bytes, RAD_PREAMBLE_LENGTH, &run.failedWrites);
  const DWORD length = static_cast<DWORD>(image.size());
  for (DWORD at = RAD_HEADER_LENGTH; at < length; at += STREAM_PIECE_LENGTH) {
    const DWORD piece = length - at < STREAM_PIECE_LENGTH ? length - at : STREAM_PIECE_LENGTH;
    WriteUntilTaken(pipe, bytes + at, piece, &run.failedWrites);
  }
  os::CloseHandle(pipe);
  run.seconds = SecondsSince(start);
  return run;
}

StreamRun RunEngine(const std::vector<BYTE>& image) {
  const HeapImage copy = HeapCopy(image);
  const HANDLE pipe = OpenPipe();
  std::atomic<DWORD> sent{0};
  TakePauseCount();
  const Clock::time_point start = Clock::now();
  const StreamResult result = StreamImage(
      pipe, copy.get(), static_cast<DWORD>(image.size()), [&](DWORD bodySent) { sent.store(bodySent); },
      CountedSleep);
  os::CloseHandle(pipe);
  StreamRun run;
  run.seconds = SecondsSince(start);
  run.failedWrites = TakePauseCount();
  if (!result.complete) throw std::runtime_error("the engine did not deliver the whole image");
  return run;
}

}  // namespace bench
