// The device library: opens connections to the device's socket. Every connection starts with a
// greeting and the device's answer (see protocol.h); a connection is handed to the caller only
// when the device has answered as asked, so a stale socket file or a hung device gives -1.
// The library keeps no state: the descriptors it returns belong to the caller and outlive it.

#include "hadrelusb/hadrelusb.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "hadrelusb/device_socket.h"
#include "hadrelusb/protocol.h"

namespace {

// A non-blocking connection to the device's socket, or -1. A listener that does not accept
// (its queue full) refuses at once instead of making us wait.
int ConnectToDevice() {
  std::string path = hadrel::DeviceSocketPath(false, nullptr);
  if (path.empty()) return -1;
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Sends the greeting and waits a bounded time for the device's answer; true when the answer is
// `expected`.
bool Exchange(int fd, std::string_view greeting, std::string_view expected) {
  ssize_t sent;
  do {
    sent = send(fd, greeting.data(), greeting.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (sent < 0 && errno == EINTR);
  if (sent != static_cast<ssize_t>(greeting.size())) return false;

  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(hadrel::kAnswerTimeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) return false;
    pollfd p{fd, POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(left) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char answer[hadrel::kMaxControlPacket];
    ssize_t n = recv(fd, answer, sizeof answer, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    return std::string_view(answer, static_cast<size_t>(n)) == expected;
  }
}

// Makes an opened pipe behave like a USB bulk pipe for the writer: a small send buffer, so that
// what the writer counts as sent stays close to what the device took, and blocking writes that
// give up after a few milliseconds when the device takes nothing.
bool ConfigurePipe(int fd) {
  int buffer = hadrel::kPipeSendBuffer;
  if (setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer) != 0) return false;
  timeval timeout{0, hadrel::kPipeSendTimeoutMs * 1000};
  if (setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) != 0) return false;
  int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

}  // namespace

extern "C" intptr_t open_dev(void) {
  int fd = ConnectToDevice();
  if (fd < 0) return -1;
  if (!Exchange(fd, hadrel::kGreetingPresence, hadrel::kAnswerPresent)) {
    close(fd);
    return -1;
  }
  return fd;
}

extern "C" intptr_t open_file(const char* pipe) {
  if (pipe == nullptr || hadrel::kPipeName != pipe) return -1;
  int fd = ConnectToDevice();
  if (fd < 0) return -1;
  std::string greeting(hadrel::kGreetingOpenPrefix);
  greeting += pipe;
  if (!ConfigurePipe(fd) || !Exchange(fd, greeting, hadrel::kAnswerOpened)) {
    close(fd);
    return -1;
  }
  return fd;
}
