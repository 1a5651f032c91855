#pragma once
// Runs a built program as a child process and collects what it printed, for tests that drive
// radtool from outside, the way scripts and people use it.

#include <string>
#include <vector>

struct ProgramResult {
  int exitCode = -1;  // -1 when the program did not exit normally (killed by a signal)
  std::string out;
  std::string err;
};

// Runs `program` with `args`, waits for it to end, and returns its exit status, stdout and
// stderr. scratchDir is an existing directory where the output is collected.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& scratchDir);

// A fresh directory under the system's temporary directory, removed with everything in it when
// the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
