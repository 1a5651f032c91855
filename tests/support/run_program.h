#pragma once
// Runs a built program as a child process and collects what it printed, for tests that drive a
// program from outside, the way scripts and people use it.

#include <string>
#include <vector>

namespace devicetest {

struct ProgramResult {
  int exitCode = -1;  // -1 when the program did not exit normally (killed by a signal)
  std::string out;
  std::string err;
};

// Runs `program` with `args`, waits for it to end, and returns its exit status, stdout and
// stderr. scratchDir is an existing directory where the output is collected (and removed again).
// Throws std::runtime_error when the program cannot be started.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& scratchDir);

// True when `text` is exactly one line, ending in its newline: how a program's one-line message
// looks.
bool IsOneLine(const std::string& text);

}  // namespace devicetest
