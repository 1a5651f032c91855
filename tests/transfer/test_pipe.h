#pragma once
// A device pipe for tests of the streaming code: the handle is a real SOCK_SEQPACKET socket, the
// kind the device library hands out, so one write is one packet; a reader thread records every
// packet. Between any two write attempts a test can break the pipe (every write then fails, as
// on an unplugged device) and repair it again, without the code under test noticing anything but
// the writes' results.

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/types.h"

namespace transfertest {

class TestPipe {
 public:
  TestPipe();
  // Closes what is still open and stops the reader.
  ~TestPipe();
  TestPipe(const TestPipe&) = delete;
  TestPipe& operator=(const TestPipe&) = delete;

  // The pipe handle to give to the code under test.
  HANDLE handle() const { return handle_; }
  // From now on every write on the handle fails; Repair makes writes succeed again.
  void Break();
  void Repair();
  // True when the handle is no longer open (the code under test closed it).
  bool HandleClosed() const;

  // Every packet that went out, in order. Closes the handle if the code under test has not, and
  // waits until the reader has seen the end of the stream; ask HandleClosed first.
  std::vector<std::string> Packets();

 private:
  int handle_ = -1;  // the descriptor number the code under test writes to
  int liveWriter_ = -1;
  int liveReader_ = -1;
  int deadWriter_ = -1;  // a socket whose peer is gone
  std::thread reader_;
  std::mutex mutex_;
  std::vector<std::string> packets_;
};

// The packets the device should get for `image`: bytes 0 to 19, then the body from byte 1024 in
// pieces of 2048 bytes and the rest.
std::vector<std::string> ExpectedPackets(const std::string& image);

// An image file's bytes with a body of `bodyLength` bytes: a header that is not zero anywhere
// (so bytes 20 to 1023 would show if they were sent) and a body that differs from piece to piece.
std::string TestImage(std::size_t bodyLength, unsigned seed = 1);

}  // namespace transfertest
