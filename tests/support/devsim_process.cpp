#include "tests/support/devsim_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern char** environ;

namespace devicetest {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

DevsimProcess::~DevsimProcess() {
  if (pid_ > 0 && Stop(SIGTERM) == -1) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  if (::testing::Test::HasFailure()) {
    Drain();
    for (const std::string& line : lines_) std::cerr << "devsim| " << line << "\n";
    if (!partial_.empty()) std::cerr << "devsim| " << partial_ << "\n";
  }
  if (output_ >= 0) close(output_);
}

void DevsimProcess::Start(const std::vector<std::string>& args,
                          const std::vector<std::string>& environment) {
  ASSERT_LT(pid_, 0) << "already started";
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);

  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  for (const std::string& change : environment) {
    std::string name = change.substr(0, change.find('='));
    for (auto it = env.begin(); it != env.end();)
      it = it->compare(0, name.size() + 1, name + "=") == 0 ? env.erase(it) : it + 1;
    if (change.find('=') != std::string::npos) env.push_back(change);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  std::string program = std::string(DOWNLOAD_BIN_DIR) + "/hadrel-devsim";
  std::vector<std::string> argStrings{program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
  int error = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  output_ = fds[0];
  if (error != 0) pid_ = -1;
  ASSERT_EQ(error, 0) << "cannot start " << program << ": " << std::strerror(error);
}

bool DevsimProcess::StartListening(const std::string& socket, std::vector<std::string> args) {
  args.insert(args.begin(), {"--socket", socket});
  Start(args);
  return pid_ > 0 && WaitForLine("listening on " + socket);
}

bool DevsimProcess::ReadOnce(int timeoutMs) {
  if (output_ < 0) return false;
  pollfd p{output_, POLLIN, 0};
  int ready = poll(&p, 1, timeoutMs);
  if (ready <= 0) return ready == 0 || errno == EINTR;
  char buffer[4096];
  ssize_t n = read(output_, buffer, sizeof buffer);
  if (n < 0) return errno == EINTR || errno == EAGAIN;
  if (n == 0) {  // every writer has gone: the process ended
    close(output_);
    output_ = -1;
    return false;
  }
  partial_.append(buffer, static_cast<size_t>(n));
  size_t newline;
  while ((newline = partial_.find('\n')) != std::string::npos) {
    lines_.push_back(partial_.substr(0, newline));
    partial_.erase(0, newline + 1);
  }
  return true;
}

void DevsimProcess::Drain() {
  while (output_ >= 0) {
    pollfd p{output_, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return;
    if (!ReadOnce(0)) return;
  }
}

int DevsimProcess::CountLines(const std::string& text) {
  Drain();
  int count = 0;
  for (const std::string& line : lines_)
    if (line.find(text) != std::string::npos) ++count;
  return count;
}

bool DevsimProcess::WaitForLine(const std::string& text, int count) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kWaitMs);
  for (;;) {
    if (CountLines(text) >= count) return true;
    if (output_ < 0 || MsLeft(deadline) == 0) return false;
    ReadOnce(MsLeft(deadline));
  }
}

void DevsimProcess::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

int DevsimProcess::Stop(int signal) {
  Signal(signal);
  return WaitForExit();
}

int DevsimProcess::WaitForExit() {
  if (pid_ <= 0) return -1;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kWaitMs);
  for (;;) {
    // Reading the output until it ends is what tells that the process has gone (or closed its
    // output); only then is it reaped, so that it never blocks on a full pipe meanwhile.
    while (output_ >= 0 && MsLeft(deadline) > 0) ReadOnce(MsLeft(deadline));
    int status = 0;
    pid_t done = waitpid(pid_, &status, output_ >= 0 ? WNOHANG : 0);
    if (done == pid_) {
      pid_ = -1;
      return status;
    }
    if (done < 0 && errno != EINTR) return -1;
    if (MsLeft(deadline) == 0) return -1;
  }
}

}  // namespace devicetest
