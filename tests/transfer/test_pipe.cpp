#include "tests/transfer/test_pipe.h"

#include <cerrno>
#include <stdexcept>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/device_calls.h"

namespace transfertest {

TestPipe::TestPipe() {
  int live[2], dead[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, live) != 0 ||
      socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, dead) != 0) {
    throw std::runtime_error("socketpair failed");
  }
  liveWriter_ = live[0];
  liveReader_ = live[1];
  deadWriter_ = dead[0];
  close(dead[1]);  // writes to a socket whose peer is gone fail with EPIPE
  handle_ = fcntl(liveWriter_, F_DUPFD_CLOEXEC, 0);
  reader_ = std::thread([this] {
    std::string buffer(64 * 1024, '\0');
    for (;;) {
      const ssize_t n = recv(liveReader_, buffer.data(), buffer.size(), 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;  // every writer is closed
      std::lock_guard<std::mutex> lock(mutex_);
      packets_.emplace_back(buffer.data(), static_cast<std::size_t>(n));
    }
  });
}

TestPipe::~TestPipe() {
  if (!HandleClosed()) close(handle_);
  if (liveWriter_ >= 0) close(liveWriter_);
  if (reader_.joinable()) reader_.join();
  close(liveReader_);
  close(deadWriter_);
}

void TestPipe::Break() { dup3(deadWriter_, handle_, O_CLOEXEC); }

void TestPipe::Repair() { dup3(liveWriter_, handle_, O_CLOEXEC); }

bool TestPipe::HandleClosed() const { return fcntl(handle_, F_GETFD) == -1 && errno == EBADF; }

std::vector<std::string> TestPipe::Packets() {
  if (!HandleClosed()) close(handle_);
  if (liveWriter_ >= 0) {
    close(liveWriter_);
    liveWriter_ = -1;
  }
  if (reader_.joinable()) reader_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return packets_;
}

std::vector<std::string> ExpectedPackets(const std::string& image) {
  std::vector<std::string> packets{image.substr(0, 20)};
  for (std::size_t at = 1024; at < image.size(); at += 2048) packets.push_back(image.substr(at, 2048));
  return packets;
}

std::string TestImage(std::size_t bodyLength, unsigned seed) {
  std::string header(1024, '\0');
  for (std::size_t i = 0; i < header.size(); ++i) header[i] = static_cast<char>(0x80 | (i * 7 + seed));
  header[0] = '$';
  header[1] = 1;  // USB
  header[2] = 1;  // e-flash
  return header + devicetest::PatternBytes(bodyLength, seed);
}

}  // namespace transfertest
