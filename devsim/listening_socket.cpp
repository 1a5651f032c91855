#include "devsim/listening_socket.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "hadrelusb/device_socket.h"

namespace devsim {
namespace {

bool Fail(std::string* error, const std::string& what) {
  *error = what + ": " + std::strerror(errno);
  return false;
}

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  return address;
}

// True when some process accepts connections on the socket at `path`.
bool SomeoneListens(const std::string& path) {
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address = AddressOf(path);
  bool listening = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
                   errno == EAGAIN;
  close(fd);
  return listening;
}

}  // namespace

// flock() on a file next to the socket: the kernel drops the lock when its holder dies, so a
// crashed simulator never keeps the next one out. After locking, the file must still be the one
// at the path: a simulator that was just stopping may have removed it in between.
bool ListeningSocket::TakeLock(std::string* error) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    int fd = open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Fail(error, "cannot create lock file " + lockPath_);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      bool held = errno == EWOULDBLOCK;
      int saved = errno;
      close(fd);
      if (held) {
        *error = "another simulator is already running on " + path_;
        return false;
      }
      errno = saved;
      return Fail(error, "cannot lock " + lockPath_);
    }
    struct stat locked, current;
    if (fstat(fd, &locked) == 0 && stat(lockPath_.c_str(), &current) == 0 &&
        locked.st_dev == current.st_dev && locked.st_ino == current.st_ino) {
      lockFd_ = fd;
      return true;
    }
    close(fd);
  }
  *error = "cannot take the lock " + lockPath_ + ": it keeps changing";
  return false;
}

bool ListeningSocket::Open(const std::string& path, std::string* error) {
  Close();
  if (!hadrel::FitsSocketAddress(path)) {
    *error = "socket path too long (at most " + std::to_string(sizeof(sockaddr_un{}.sun_path) - 1) +
             " bytes): " + path;
    return false;
  }
  path_ = path;
  lockPath_ = path + ".lock";
  if (!TakeLock(error)) return false;

  struct stat st;
  if (lstat(path_.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      *error = path_ + " exists and is not a socket; remove it or choose another --socket";
      Close();
      return false;
    }
    // Holding the lock, a listener here can only be a program that does not use it.
    if (SomeoneListens(path_)) {
      *error = "another program is listening on " + path_;
      Close();
      return false;
    }
    unlink(path_.c_str());  // left behind by a simulator that died
  }

  fd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_un address = AddressOf(path_);
  if (fd_ < 0 || bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    Fail(error, "cannot listen on " + path_);
    Close();
    return false;
  }
  if (stat(path_.c_str(), &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
  }
  if (listen(fd_, 64) != 0) {
    Fail(error, "cannot listen on " + path_);
    Close();
    return false;
  }
  return true;
}

void ListeningSocket::Close() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
    // Only our own socket is removed, never one that replaced it.
    struct stat st;
    if (inode_ != 0 && lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
      unlink(path_.c_str());
    inode_ = 0;
  }
  if (lockFd_ >= 0) {
    unlink(lockPath_.c_str());  // still holding the lock, so nobody else is using this file
    close(lockFd_);
    lockFd_ = -1;
  }
}

}  // namespace devsim
