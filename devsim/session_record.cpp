#include "devsim/session_record.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace devsim {
namespace {

bool WriteAll(int fd, const char* data, std::size_t len) {
  while (len > 0) {
    ssize_t n = write(fd, data, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    len -= static_cast<std::size_t>(n);
  }
  return true;
}

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

}  // namespace

SessionRecord::~SessionRecord() { Close(nullptr); }

bool SessionRecord::Open(const std::string& dir, unsigned session, std::string* error) {
  Close(nullptr);
  const std::string n = std::to_string(session);
  const std::string streamPath = dir + "/stream-" + n + ".bin";
  const std::string writesPath = dir + "/writes-" + n + ".txt";
  stream_ = open(streamPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (stream_ < 0) return Fail(error, "cannot create " + streamPath);
  writes_ = open(writesPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (writes_ < 0) {
    bool result = Fail(error, "cannot create " + writesPath);
    Close(nullptr);
    return result;
  }
  return true;
}

bool SessionRecord::Append(const char* data, std::size_t stored, std::size_t length,
                           std::string* error) {
  if (!WriteAll(stream_, data, stored)) return Fail(error, "cannot write the stream record");
  std::string line = std::to_string(length) + "\n";
  if (!WriteAll(writes_, line.data(), line.size())) return Fail(error, "cannot write the packet record");
  return true;
}

bool SessionRecord::Close(std::string* error) {
  bool ok = true;
  for (int* fd : {&stream_, &writes_}) {
    if (*fd < 0) continue;
    if (close(*fd) != 0 && errno != EINTR) ok = Fail(error, "cannot close a record file");
    *fd = -1;
  }
  return ok;
}

bool PrepareRecordDirectory(const std::string& dir, std::string* error) {
  if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
    return Fail(error, "cannot create record directory " + dir);
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return Fail(error, dir);
  if (!S_ISDIR(st.st_mode)) {
    *error = dir + " is not a directory";
    return false;
  }
  if (access(dir.c_str(), W_OK | X_OK) != 0) return Fail(error, "cannot write into " + dir);
  return true;
}

}  // namespace devsim
