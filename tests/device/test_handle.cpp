// Handles on POSIX: whole writes or a reported failure, never a signal that ends the process.

#include <csignal>
#include <string>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/handle.h"
#include "tests/support/device_calls.h"
#include "tests/support/temp_dir.h"

namespace devicetest {
namespace {

class HandleTest : public ::testing::Test {
 protected:
  void SetUp() override { signal(SIGPIPE, SIG_DFL); }
};

// Plain descriptors (a file, an OS pipe) take the whole buffer, however large.
TEST_F(HandleTest, WritesWholeBuffersToFilesAndPipes) {
  TempDir dir;
  const std::string path = dir.File("out.bin");
  const std::string data = PatternBytes(3 * 1024 * 1024 + 17, 1);
  int file = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
  ASSERT_GE(file, 0);
  DWORD written = 0;
  EXPECT_TRUE(os::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written));
  EXPECT_EQ(written, data.size());
  EXPECT_TRUE(os::CloseHandle(file));
  EXPECT_TRUE(ReadWholeFile(path) == data);

  int fds[2];
  ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
  EXPECT_TRUE(os::WriteFile(fds[1], "hello", 5, &written));
  EXPECT_EQ(written, 5u);
  char back[8] = {};
  EXPECT_EQ(read(fds[0], back, sizeof back), 5);
  EXPECT_STREQ(back, "hello");
  EXPECT_TRUE(os::WriteFile(fds[1], nullptr, 0, &written)) << "nothing to write succeeds";
  EXPECT_TRUE(os::CloseHandle(fds[0]));
  EXPECT_TRUE(os::CloseHandle(fds[1]));
}

// A reader that has gone makes the write fail, on a socket and on an OS pipe alike, and the
// process goes on (SIGPIPE keeps its default action, which would end it).
TEST_F(HandleTest, WriteToAClosedPeerFailsWithoutSignal) {
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair), 0);
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
  close(pair[1]);
  close(fds[0]);
  for (int handle : {pair[0], fds[1]}) {
    DWORD written = 123;
    EXPECT_FALSE(os::WriteFile(handle, "x", 1, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(os::CloseHandle(handle));
  }
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE)) << "no SIGPIPE left pending";
}

// No handle, or one already closed, is refused.
TEST_F(HandleTest, RefusesInvalidHandles) {
  DWORD written = 0;
  EXPECT_FALSE(os::WriteFile(INVALID_HANDLE_VALUE, "x", 1, &written));
  EXPECT_FALSE(os::CloseHandle(INVALID_HANDLE_VALUE));
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
  EXPECT_TRUE(os::CloseHandle(fds[0]));
  EXPECT_TRUE(os::CloseHandle(fds[1]));
  EXPECT_FALSE(os::CloseHandle(fds[1])) << "closed twice";
  EXPECT_FALSE(os::WriteFile(fds[1], "x", 1, &written)) << "written after close";
}

}  // namespace
}  // namespace devicetest
