#pragma once
// The simulated device: answers presence tests, takes pipe sessions and records them, and
// misbehaves on purpose as the options say (slow, busy for a while, unplugged). One thread
// serves every connection with poll(), so presence tests are answered while a pipe streams,
// also while that pipe is held busy or throttled.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "devsim/options.h"
#include "devsim/session_record.h"

namespace devsim {

class SimulatedDevice {
 public:
  SimulatedDevice(const Options& options, int listenFd);
  SimulatedDevice(const SimulatedDevice&) = delete;
  SimulatedDevice& operator=(const SimulatedDevice&) = delete;
  // Ends every open session (its record complete) and closes every connection.
  ~SimulatedDevice();

  // Serves connections until `stopFd` becomes readable.
  void Run(int stopFd);

 private:
  using Clock = std::chrono::steady_clock;

  struct Connection {
    int fd = -1;
    bool isPipe = false;
    Clock::time_point greetingDeadline;
    // A pipe session:
    unsigned session = 0;
    std::uint64_t bytes = 0;
    std::uint64_t packets = 0;
    bool busyDone = false;  // the busy period of this session has begun
    bool busy = false;
    Clock::time_point busyUntil;
    Clock::time_point nextRead;  // throttling: the next packet is taken no earlier
    SessionRecord record;
  };

  void AcceptAll(Clock::time_point now);
  void OnGreeting(Connection& c, Clock::time_point now);
  void OpenPipe(Connection& c, Clock::time_point now);
  void ReadPipe(Connection& c);
  void OnPacket(Connection& c, std::size_t length, std::size_t stored);
  void CheckThresholds(Connection& c, Clock::time_point now);
  void Unplug();
  void EndSession(Connection& c);
  void Drop(Connection& c);
  void ExpireTimers(Clock::time_point now);
  bool WantsToRead(const Connection& c, Clock::time_point now) const;
  int PollTimeoutMs(Clock::time_point now) const;

  const Options options_;
  const int listenFd_;
  bool unplugged_ = false;
  unsigned sessionCount_ = 0;
  std::vector<std::unique_ptr<Connection>> connections_;
  std::vector<char> packet_;
};

}  // namespace devsim
