#pragma once
// The simulated device for the benchmarks: hadrel-devsim unthrottled, recording nothing, on a
// socket of its own that this process and the programs it starts reach through
// HADREL_USB_SOCKET. What the device received is read back from its log.

#include <cstdint>
#include <string>

#include "bench/child_process.h"

namespace bench {

// What the device took in one pipe session.
struct SessionTotals {
  std::uint64_t bytes = 0;
  std::uint64_t packets = 0;
};

// The bytes and packets a device must take for an image of `imageLength` bytes: the 20-byte
// preamble, then the body after the 1024-byte header in packets of at most 2048 bytes.
SessionTotals ExpectedSession(std::uint64_t imageLength);

class Simulator {
 public:
  // Starts the simulator in `dir` and sets HADREL_USB_SOCKET for this process. Throws
  // std::runtime_error when it does not listen.
  Simulator(const std::string& binDir, const ScratchDir& dir);
  ~Simulator();

  // Waits until pipe session `session` (1, 2, ...) has closed and returns what it took. Throws
  // std::runtime_error when it does not close in time.
  SessionTotals WaitForSession(unsigned session);

 private:
  ChildProcess process_;
  std::string log_;
};

}  // namespace bench
