// hadrel-devsim: the simulated HadrelUSB device, a process of its own that the device library
// reaches over its socket. See kUsage for the command line.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "devsim/event_log.h"
#include "devsim/listening_socket.h"
#include "devsim/options.h"
#include "devsim/session_record.h"
#include "devsim/simulated_device.h"
#include "hadrelusb/device_socket.h"

namespace {

int g_stopWrite = -1;

// Wakes the device's poll loop through a pipe, the one thing a signal handler may safely do.
void OnStopSignal(int signal) {
  int saved = errno;
  unsigned char byte = static_cast<unsigned char>(signal);
  ssize_t ignored = write(g_stopWrite, &byte, 1);
  (void)ignored;
  errno = saved;
}

bool InstallStopSignals(int* stopRead) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  *stopRead = fds[0];
  g_stopWrite = fds[1];
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  if (sigaction(SIGINT, &action, nullptr) != 0 || sigaction(SIGTERM, &action, nullptr) != 0) return false;
  // A client that hangs up while we answer must not end the device.
  signal(SIGPIPE, SIG_IGN);
  return true;
}

int Error(const std::string& text) {
  std::fprintf(stderr, "hadrel-devsim: %s\n", text.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  devsim::Options options;
  std::string error;
  if (!devsim::ParseOptions(argc - 1, argv + 1, &options, &error)) {
    std::fprintf(stderr, "hadrel-devsim: %s\n%s", error.c_str(), devsim::kUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(devsim::kUsage, stdout);
    return 0;
  }

  std::string path = options.socketPath;
  if (path.empty()) path = hadrel::DeviceSocketPath(true, &error);
  if (path.empty()) return Error(error);
  if (!options.recordDir.empty() && !devsim::PrepareRecordDirectory(options.recordDir, &error))
    return Error(error);

  int stopRead = -1;
  if (!InstallStopSignals(&stopRead)) return Error(std::string("cannot set up signals: ") + std::strerror(errno));

  devsim::ListeningSocket socket;
  if (!socket.Open(path, &error)) return Error(error);
  devsim::LogEvent("listening on %s", path.c_str());
  {
    devsim::SimulatedDevice device(options, socket.fd());
    device.Run(stopRead);
  }  // every session ends here, its record complete
  socket.Close();
  devsim::LogEvent("stopped");
  return 0;
}
