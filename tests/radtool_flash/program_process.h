#pragma once
// A built program run as a child process that the test watches while it runs: its stdout is read
// through a pipe as it comes (so a test can act on a line, then signal the program), its stderr
// collected in a file, and every wait bounded.

#include <string>
#include <vector>

#include <sys/types.h>

namespace flashtest {

class ProgramProcess {
 public:
  // `scratchDir`: an existing directory for the stderr file.
  explicit ProgramProcess(std::string scratchDir);
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;
  // Kills the program if it still runs, and reaps it.
  ~ProgramProcess();

  // Starts `program` with `args` in this process's environment. Fails the test when it cannot.
  // With `brokenStdout` its stdout is a pipe whose reader is already gone, so that every write
  // to it meets a broken pipe.
  void Start(const std::string& program, const std::vector<std::string>& args, bool brokenStdout = false);

  // Waits, up to a generous bound, until stdout holds `text`; false if it never did.
  bool WaitForOutput(const std::string& text);
  void Signal(int signal);

  // Waits, up to a generous bound, for the program to end. Returns its exit status, 128 + the
  // signal when a signal ended it, or -1 when it did not end in time.
  int WaitForExit();

  const std::string& out() const { return out_; }
  // What the program wrote to stderr so far.
  std::string err() const;

 private:
  bool ReadOnce(int timeoutMs);

  std::string scratchDir_;
  pid_t pid_ = -1;
  int output_ = -1;
  std::string out_;
};

}  // namespace flashtest
