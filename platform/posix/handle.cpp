// Handles on POSIX are file descriptors. Device pipes are SOCK_SEQPACKET sockets, on which one
// send is one packet, taken whole or refused whole; other descriptors get a plain write loop.

#include "platform/handle.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>

#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace os {
namespace {

bool ToDescriptor(HANDLE handle, int* fd) {
  if (handle < 0 || handle > INT_MAX) return false;
  *fd = static_cast<int>(handle);
  return true;
}

// write() on an OS pipe whose reader is gone raises SIGPIPE, which would end the process. The
// signal is blocked for this thread during the write, and a SIGPIPE that the write itself raised
// is taken back before the mask is restored; EPIPE then reports the failure.
ssize_t WriteWithoutSigpipe(int fd, const char* data, size_t len) {
  sigset_t pipeOnly, old, pending;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  sigpending(&pending);
  const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
  pthread_sigmask(SIG_BLOCK, &pipeOnly, &old);
  ssize_t n = write(fd, data, len);
  const int saved = errno;
  if (n < 0 && saved == EPIPE && !alreadyPending) {
    const timespec now{0, 0};
    while (sigtimedwait(&pipeOnly, nullptr, &now) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  errno = saved;
  return n;
}

// One attempt to hand over bytes: send() on sockets, where MSG_NOSIGNAL turns a closed peer into
// EPIPE, and write() on everything else. Resumes after EINTR.
ssize_t WriteSome(int fd, const char* data, size_t len, bool* is_socket) {
  for (;;) {
    ssize_t n;
    if (*is_socket) {
      n = send(fd, data, len, MSG_NOSIGNAL);
      if (n < 0 && errno == ENOTSOCK) {
        *is_socket = false;
        continue;
      }
    } else {
      n = WriteWithoutSigpipe(fd, data, len);
    }
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

}  // namespace

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD len, DWORD* written) {
  if (written) *written = 0;
  int fd;
  if (!ToDescriptor(handle, &fd) || (buffer == nullptr && len != 0)) return FALSE;
  const char* data = static_cast<const char*>(buffer);
  DWORD done = 0;
  bool is_socket = true;
  while (done < len) {
    ssize_t n = WriteSome(fd, data + done, len - done, &is_socket);
    if (n <= 0) break;  // refused, timed out or the peer is gone: the caller decides to retry
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return done == len ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE handle) {
  int fd;
  if (!ToDescriptor(handle, &fd)) return FALSE;
  // On Linux the descriptor is released even when close() reports EINTR, so it is never retried.
  return close(fd) == 0 || errno == EINTR ? TRUE : FALSE;
}

void Sleep(DWORD ms) {
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace os
