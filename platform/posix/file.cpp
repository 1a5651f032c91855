// Files on POSIX: descriptors opened read-only. Share modes become advisory locks (flock), the
// only kind of lock that other programs on Linux may hold on a file they read.

#include "platform/file.h"

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens `name` for reading if it is a regular file and the share lock can be had at once.
// O_NONBLOCK keeps the open itself from hanging on a FIFO; it is cleared again, as it means
// nothing for a regular file. -1 on any failure.
int OpenRegularFile(const char* name, bool exclusive) {
  if (name == nullptr || *name == '\0') return -1;
  int fd;
  do {
    fd = open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return -1;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  int locked;
  do {
    locked = flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  // Only a lock held by someone else refuses the open; a file system without locks does not.
  if (locked != 0 && errno == EWOULDBLOCK) {
    close(fd);
    return -1;
  }
  return fd;
}

// Reads until `count` bytes are in, the file ends, or reading fails. Returns the count read;
// `failed` tells whether it stopped on an error.
size_t ReadFully(int fd, void* buffer, size_t count, bool* failed) {
  char* out = static_cast<char*>(buffer);
  size_t done = 0;
  *failed = false;
  while (done < count) {
    // One read() returns at most about 2 GiB on Linux; the loop takes the rest.
    const size_t chunk = count - done < static_cast<size_t>(INT_MAX) ? count - done : static_cast<size_t>(INT_MAX);
    const ssize_t n = read(fd, out + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *failed = true;
      break;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool ToDescriptor(HANDLE handle, int* fd) {
  if (handle < 0 || handle > INT_MAX) return false;
  *fd = static_cast<int>(handle);
  return true;
}

}  // namespace

CFile::CFile() : m_fd(-1) {}

CFile::~CFile() { Close(); }

BOOL CFile::Open(const char* fileName, UINT, void*) {
  Close();
  m_fd = OpenRegularFile(fileName, true);
  return m_fd >= 0 ? TRUE : FALSE;
}

UINT CFile::Read(void* buffer, UINT count) {
  if (m_fd < 0 || (buffer == nullptr && count != 0)) return 0;
  bool failed;
  return static_cast<UINT>(ReadFully(m_fd, buffer, count, &failed));
}

void CFile::Close() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
}

namespace os {

HANDLE CreateFileA(const char* fileName, DWORD access, DWORD shareMode, void*, DWORD disposition, DWORD,
                   HANDLE) {
  if (access != GENERIC_READ || disposition != OPEN_EXISTING) return INVALID_HANDLE_VALUE;
  const int fd = OpenRegularFile(fileName, (shareMode & FILE_SHARE_READ) == 0);
  return fd >= 0 ? static_cast<HANDLE>(fd) : INVALID_HANDLE_VALUE;
}

DWORD GetFileSize(HANDLE file, DWORD* high) {
  int fd;
  struct stat info;
  if (!ToDescriptor(file, &fd) || fstat(fd, &info) != 0 || info.st_size < 0) {
    if (high) *high = INVALID_FILE_SIZE;
    return INVALID_FILE_SIZE;
  }
  const auto length = static_cast<unsigned long long>(info.st_size);
  if (high) *high = static_cast<DWORD>(length >> 32);
  return static_cast<DWORD>(length & 0xFFFFFFFFull);
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) {
  if (read) *read = 0;
  int fd;
  if (!ToDescriptor(file, &fd) || overlapped != nullptr || (buffer == nullptr && toRead != 0)) return FALSE;
  bool failed;
  const size_t done = ReadFully(fd, buffer, toRead, &failed);
  if (read) *read = static_cast<DWORD>(done);
  return failed ? FALSE : TRUE;
}

}  // namespace os
