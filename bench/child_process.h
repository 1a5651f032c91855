#pragma once
// Other programs of the build, started by the benchmarks: what they print goes to a file, and
// their end is waited for with the resources they used.

#include <string>
#include <vector>

#include <sys/types.h>

namespace bench {

// A started program. It inherits this process's environment.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // A program still running is ended (SIGTERM, then SIGKILL) and reaped.
  ~ChildProcess();

  // Starts `program` with `args`; its stdout and stderr go to `outputPath`. Throws
  // std::runtime_error when it cannot be started.
  void Start(const std::string& program, const std::vector<std::string>& args, const std::string& outputPath);

  // Waits for the end. Returns false after `timeoutMs` (the program is then still running).
  bool Wait(int timeoutMs);
  // Sends `signal` and waits for the end.
  void Stop(int signal);

  bool running() const { return pid_ > 0; }
  // After the end: the exit code (-1 when a signal ended it) and the peak resident memory in KiB.
  int exitCode() const { return exitCode_; }
  long peakResidentKiB() const { return peakResidentKiB_; }

 private:
  bool Reap(bool block);

  pid_t pid_ = -1;
  int exitCode_ = -1;
  long peakResidentKiB_ = 0;
};

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// A fresh directory under /tmp, removed with its content when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace bench
