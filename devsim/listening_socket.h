#pragma once
// The device's listening socket, held by one simulator at a time.

#include <string>

#include <sys/types.h>

namespace devsim {

class ListeningSocket {
 public:
  ListeningSocket() = default;
  ListeningSocket(const ListeningSocket&) = delete;
  ListeningSocket& operator=(const ListeningSocket&) = delete;
  ~ListeningSocket() { Close(); }

  // Takes the lock PATH.lock (refused while another simulator holds it), replaces a socket file
  // left behind by a simulator that died, and listens on PATH. Anything at PATH that is not a
  // socket is left alone and refused.
  bool Open(const std::string& path, std::string* error);
  // Stops listening, removes the socket and the lock file. Safe to call twice.
  void Close();

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }

 private:
  bool TakeLock(std::string* error);

  std::string path_;
  std::string lockPath_;
  int fd_ = -1;
  int lockFd_ = -1;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

}  // namespace devsim
