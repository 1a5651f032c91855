#include "tests/radtool_flash/program_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/devsim_process.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace flashtest {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

int StatusOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

ProgramProcess::ProgramProcess(std::string scratchDir) : scratchDir_(std::move(scratchDir)) {}

ProgramProcess::~ProgramProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  if (output_ >= 0) close(output_);
}

void ProgramProcess::Start(const std::string& program, const std::vector<std::string>& args, bool brokenStdout) {
  ASSERT_LT(pid_, 0) << "already started";
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
  if (brokenStdout) {
    close(fds[0]);
    fds[0] = -1;
  }
  const std::string errPath = scratchDir_ + "/.stderr";

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int error = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  output_ = fds[0];
  if (error != 0) pid_ = -1;
  ASSERT_EQ(error, 0) << "cannot start " << program << ": " << std::strerror(error);
}

bool ProgramProcess::ReadOnce(int timeoutMs) {
  if (output_ < 0) return false;
  pollfd p{output_, POLLIN, 0};
  const int ready = poll(&p, 1, timeoutMs);
  if (ready <= 0) return ready == 0 || errno == EINTR;
  char buffer[4096];
  const ssize_t n = read(output_, buffer, sizeof buffer);
  if (n < 0) return errno == EINTR || errno == EAGAIN;
  if (n == 0) {  // the program ended, or closed its stdout
    close(output_);
    output_ = -1;
    return false;
  }
  out_.append(buffer, static_cast<size_t>(n));
  return true;
}

bool ProgramProcess::WaitForOutput(const std::string& text) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(devicetest::kWaitMs);
  for (;;) {
    if (out_.find(text) != std::string::npos) return true;
    if (output_ < 0 || MsLeft(deadline) == 0) return false;
    ReadOnce(MsLeft(deadline));
  }
}

void ProgramProcess::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

int ProgramProcess::WaitForExit() {
  if (pid_ <= 0) return -1;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(devicetest::kWaitMs);
  for (;;) {
    // Reading stdout meanwhile, so that the program never blocks on a full pipe.
    if (output_ >= 0) ReadOnce(10);
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      // What it wrote last is still in the pipe.
      while (output_ >= 0) {
        pollfd p{output_, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0 || !ReadOnce(0)) break;
      }
      return StatusOf(status);
    }
    if (done < 0 && errno != EINTR) return -1;
    if (MsLeft(deadline) == 0) return -1;
    if (output_ < 0) usleep(10 * 1000);
  }
}

std::string ProgramProcess::err() const { return devicetest::ReadWholeFile(scratchDir_ + "/.stderr"); }

}  // namespace flashtest
