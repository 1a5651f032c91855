#include "bench/child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

ChildProcess::~ChildProcess() {
  if (running()) Stop(SIGTERM);
}

void ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::string& outputPath) {
  const int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (output < 0) throw std::runtime_error("cannot create " + outputPath + ": " + std::strerror(errno));
  std::vector<std::string> argStrings{program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
  const int error = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output);
  if (error != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
  }
  exitCode_ = -1;
  peakResidentKiB_ = 0;
}

bool ChildProcess::Reap(bool block) {
  int status = 0;
  rusage usage{};
  pid_t done;
  do {
    done = wait4(pid_, &status, block ? 0 : WNOHANG, &usage);
  } while (done < 0 && errno == EINTR);
  if (done != pid_) return false;
  pid_ = -1;
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  peakResidentKiB_ = usage.ru_maxrss;  // KiB on Linux
  return true;
}

bool ChildProcess::Wait(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (running()) {
    if (Reap(false)) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void ChildProcess::Stop(int signal) {
  if (!running()) return;
  kill(pid_, signal);
  if (!Wait(10000)) {
    kill(pid_, SIGKILL);
    Reap(true);
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/download-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error(std::string("cannot make a directory in /tmp: ") + std::strerror(errno));
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace bench
