#pragma once
// Test helpers around the device: a real hadrel-devsim process started on a temporary socket,
// a temporary directory, and the tool's own call sequences into the device library.

#include <string>
#include <vector>

#include <sys/types.h>

#include "platform/types.h"

namespace devicetest {

// A fresh directory under /tmp (short, so socket paths fit), removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// One simulator process. Its stdout and stderr are read through one pipe into lines; when the
// test has failed, they are printed as the process ends.
class DevsimProcess {
 public:
  DevsimProcess() = default;
  DevsimProcess(const DevsimProcess&) = delete;
  DevsimProcess& operator=(const DevsimProcess&) = delete;
  // Stops the process (SIGTERM, then SIGKILL if it does not end) and reaps it.
  ~DevsimProcess();

  // Starts hadrel-devsim with `args`. `environment` entries "NAME=value" are set for it, and
  // "NAME" alone removes NAME from its environment.
  void Start(const std::vector<std::string>& args, const std::vector<std::string>& environment = {});
  // Starts it on `socket` and waits for its "listening" line; false if that never came.
  bool StartListening(const std::string& socket, std::vector<std::string> args = {});

  // Waits, up to a generous bound, until at least `count` lines containing `text` were printed.
  bool WaitForLine(const std::string& text, int count = 1);
  // Lines containing `text` among those printed so far.
  int CountLines(const std::string& text);
  // Reads what the process printed so far, so that it never blocks on a full pipe.
  void Drain();
  const std::vector<std::string>& lines() const { return lines_; }

  // Sends `signal` and waits for the process to end; returns its wait status.
  int Stop(int signal);
  // Waits for the process to end by itself; returns its wait status, or -1 after the bound.
  int WaitForExit();
  // Sends a signal without waiting (SIGSTOP, SIGCONT).
  void Signal(int signal);
  bool running() const { return pid_ > 0; }

 private:
  bool ReadOnce(int timeoutMs);

  pid_t pid_ = -1;
  int output_ = -1;
  std::string partial_;
  std::vector<std::string> lines_;
};

// The generous bound for anything a test waits for.
constexpr int kWaitMs = 30000;

// The tool's call sequences (load the library, take the entry point, call it, release the
// library); -1 also when the library does not load.
HANDLE CallOpenDev();
HANDLE CallOpenFile(const char* pipe);

// Presence test as the poll does it: true when open_dev gave a handle, which is closed at once.
bool DevicePresent();

// Writes one piece as the transfer worker does: on failure pause 1 ms and write the same bytes
// again, at most `attempts` times. Adds the failed attempts to `*failures`.
bool WriteWithRetries(HANDLE pipe, const std::string& piece, int attempts, int* failures);

// Number of open descriptors of this process.
int OpenDescriptorCount();

std::string ReadFile(const std::string& path);
// Deterministic bytes that differ from piece to piece, so a lost or repeated packet shows.
std::string PatternBytes(std::size_t size, unsigned seed);

// Sets (or with nullptr removes) an environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_ = false;
  std::string old_;
};

}  // namespace devicetest
