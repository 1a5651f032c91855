#pragma once
// A real hadrel-devsim process, started by a test on a socket of its choice, with what it prints
// read back as lines.

#include <string>
#include <vector>

#include <sys/types.h>

namespace devicetest {

// The generous bound for anything a test waits for.
constexpr int kWaitMs = 30000;

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

}  // namespace devicetest
