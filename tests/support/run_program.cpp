#include "tests/support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace devicetest {

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& scratchDir) {
  // Output goes to files rather than pipes, so a chatty child can never block on a full pipe.
  const std::string outPath = scratchDir + "/.stdout";
  const std::string errPath = scratchDir + "/.stderr";

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);

  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ProgramResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadWholeFile(outPath);
  result.err = ReadWholeFile(errPath);
  std::error_code ignored;
  std::filesystem::remove(outPath, ignored);
  std::filesystem::remove(errPath, ignored);
  return result;
}

bool IsOneLine(const std::string& text) {
  return !text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1;
}

}  // namespace devicetest
